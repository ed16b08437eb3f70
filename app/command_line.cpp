#include "app/command_line.h"

#include <algorithm>

namespace omb {

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine c;
  auto has = [&](std::initializer_list<const char*> names) {
    return std::any_of(args.begin(), args.end(), [&](const std::string& a) {
      return std::find(names.begin(), names.end(), a) != names.end();
    });
  };
  // ("ombrisal ctl /run/user/1000/omb.sock set X0 1")
  if (args.size() >= 2 && args[0] == "ctl" && args[1] != "--help" && args[1] != "-h") {
    if (args.size() < 3) {
      c.error = "ctl needs the socket and a command, e.g. ombrisal ctl /tmp/ombrisal.sock get D0";
      return c.action = CommandLine::Action::Mistake, c;
    }
    c.action = CommandLine::Action::Control;
    c.controlPath = args[1];
    c.controlWords.assign(args.begin() + 2, args.end());
    return c;
  }
  if (has({"--help", "-h"})) return c.action = CommandLine::Action::Help, c;
  if (has({"--version"})) return c.action = CommandLine::Action::Version, c;
  if (args.empty()) return c;
  // ("ombrisal line3.bin", as a file manager or a shell starts it.)
  if (args.size() == 1 && !args[0].empty() && args[0][0] != '-') {
    c.project = args[0];
    return c;
  }
  auto options = parseServeOptions(args, c.error);
  if (!options) return c.action = CommandLine::Action::Mistake, c;
  c.action = CommandLine::Action::Serve;
  c.serve = std::move(*options);
  return c;
}

std::string versionLine() {
  return "ombrisal " + std::to_string(PROJECT_VERSION_MAJOR) + "." + std::to_string(PROJECT_VERSION_MINOR) + "." +
         std::to_string(PROJECT_VERSION_PATCH);
}

}  // namespace omb
