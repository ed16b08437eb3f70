// What the command line asks for: the main window (with a project to open
// at once), the serve mode, a request to a running program's control
// channel, the usage text or the version.
#pragma once

#include <string>
#include <vector>

#include "app/serve_mode.h"

namespace omb {

struct CommandLine {
  enum class Action { Window, Serve, Control, Help, Version, Mistake };
  Action action = Action::Window;
  std::string project;  // Window: opened as the window comes up; empty for none
  ServeOptions serve;   // Serve
  // Control: the socket and the words of the request.
  std::string controlPath;
  std::vector<std::string> controlWords;
  std::string error;    // Mistake: the message for the user
};

// `args` are the arguments after the program name.  --help (-h) and
// --version (-V) win wherever they stand; a single argument that is not an
// option is a project file for the window; "ctl PATH COMMAND..." is a
// request to a control channel (its words are the request's, --help among
// them); anything else is the serve mode's.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// One option as it was given, "--opt value" and "--opt=value" alike: its
// long name with the dashes and its value (empty for a switch).
struct GivenOption {
  std::string name;
  std::string value;
  bool operator==(const GivenOption&) const = default;
};

// The arguments taken apart by the program's option table, in the order
// given.  `error` is set, in the words the user reads, for an unknown
// option, a missing value or a value given to a switch.
struct SplitArguments {
  std::vector<GivenOption> options;
  std::vector<std::string> positional;
  bool help = false;
  bool version = false;
  std::string error;
};
SplitArguments splitArguments(const std::vector<std::string>& args);

// Every --options-file FILE replaced by the options FILE holds: one option a
// line, its value after the first blanks or an equals sign, taken as it
// stands (no quoting: a path may hold blanks); empty lines and lines
// beginning with # are skipped.  On a file that cannot be read or a line
// that is not an option, returns false with `error` naming file and line.
bool expandOptionsFiles(std::vector<std::string>& args, std::string& error);

// "ombrisal 2.1.2": the line of --version, the project's version.
std::string versionLine();

}  // namespace omb
