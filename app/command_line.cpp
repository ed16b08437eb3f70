#include "app/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <map>

#include "core/atomic_file.h"

namespace omb {

namespace {

// Every option of the program: its long name and, for one that takes a
// value, the value's name (the usage text describes them).
struct OptionSpec {
  const char* name;
  const char* value;  // nullptr: a switch
};
constexpr OptionSpec kOptions[] = {
    {"serve", "PORT"},     {"format", "N"},       {"cpu", "TYPE"},        {"station", "NN"},
    {"pc", "NN"},          {"sum", nullptr},      {"no-sum", nullptr},    {"no-check", nullptr},
    {"wait", "MS"},        {"line", "B,P,D,S"},   {"handshake", "N"},     {"project", "FILE"},
    {"save-on-exit", "FILE"}, {"fault", "RULE"},  {"faults", "FILE"},     {"fault-seed", "N"},
    {"sim", "FILE"},       {"record", "FILE"},    {"pace", nullptr},      {"control", "PATH"},
    {"stats", "KIND"},     {"ini", "FILE"},       {"no-reopen", nullptr}, {"ready-fd", "N"},
    {"options-file", "FILE"}, {"tcp-idle-timeout", "S"}, {"script", "FILE"},
    {"log-format", "KIND"}, {"capture", "FILE"}, {"values", "FILE"},
};

bool takesValue(const std::string& name) {
  return std::any_of(std::begin(kOptions), std::end(kOptions),
                     [&](const OptionSpec& o) { return o.value && name == o.name; });
}

// The argument that named `name` ("bogus" -> "--bogus", "x" -> "-x"), for a
// message in the user's own spelling.
std::string spelledAs(const std::vector<std::string>& args, const std::string& name) {
  for (const std::string& a : args) {
    const std::string bare = a.substr(0, a.find('='));
    if (bare == "--" + name || bare == "-" + name) return bare;
  }
  return (name.size() == 1 ? "-" : "--") + name;
}

}  // namespace

SplitArguments splitArguments(const std::vector<std::string>& args) {
  SplitArguments split;
  QCommandLineParser parser;
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
  for (const OptionSpec& o : kOptions) {
    QCommandLineOption option(QString::fromLatin1(o.name));
    if (o.value) option.setValueName(QString::fromLatin1(o.value));
    parser.addOption(option);
  }
  parser.addOption(QCommandLineOption(QStringList{"h", "help"}));
  parser.addOption(QCommandLineOption(QStringList{"V", "version"}));

  QStringList list{QStringLiteral("ombrisal")};
  // Latin-1 both ways keeps every byte of a file name, whatever its code.
  for (const std::string& a : args) list << QString::fromLatin1(a.data(), static_cast<qsizetype>(a.size()));
  const bool ok = parser.parse(list);
  // (The parser goes on to the end after a mistake, so --help still counts.)
  split.help = parser.isSet("help");
  split.version = parser.isSet("version");
  if (!ok) {
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
      split.error = "unknown option: " + spelledAs(args, unknown.front().toStdString());
    } else {
      // A missing value can only be at the end; anything else is a value
      // given to a switch.
      const std::string last = args.empty() ? std::string() : args.back();
      split.error = parser.errorText().toStdString();
      if (last.rfind("--", 0) == 0 && takesValue(last.substr(2))) split.error = last + " needs a value";
      for (const std::string& a : args)
        if (const std::size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos &&
                                                !takesValue(a.substr(2, eq - 2)))
          split.error = a.substr(0, eq) + " takes no value";
    }
    return split;
  }
  // optionNames() keeps the order and the repeats; values() each option's
  // values in order.
  std::map<QString, int> seen;
  for (const QString& name : parser.optionNames()) {
    if (name == "h" || name == "help" || name == "V" || name == "version") continue;
    GivenOption given{"--" + name.toStdString(), {}};
    if (takesValue(name.toStdString())) {
      const QStringList values = parser.values(name);
      const int n = seen[name]++;
      if (n < values.size()) {
        const QByteArray bytes = values[n].toLatin1();
        given.value.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
      }
    }
    split.options.push_back(std::move(given));
  }
  for (const QString& p : parser.positionalArguments()) {
    const QByteArray bytes = p.toLatin1();
    split.positional.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  return split;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine c;
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
  std::vector<std::string> expanded = args;
  if (!expandOptionsFiles(expanded, c.error)) return c.action = CommandLine::Action::Mistake, c;
  const SplitArguments split = splitArguments(expanded);
  // Spelled out, they win even where the parser took them for a value.
  auto has = [&](std::initializer_list<const char*> names) {
    return std::any_of(expanded.begin(), expanded.end(), [&](const std::string& a) {
      return std::find_if(names.begin(), names.end(), [&](const char* n) { return a == n; }) != names.end();
    });
  };
  if (split.help || has({"--help", "-h"})) return c.action = CommandLine::Action::Help, c;
  if (split.version || has({"--version", "-V"})) return c.action = CommandLine::Action::Version, c;
  if (expanded.empty()) return c;
  // ("ombrisal line3.bin", as a file manager or a shell starts it.)
  if (expanded.size() == 1 && !expanded[0].empty() && expanded[0][0] != '-') {
    c.project = expanded[0];
    return c;
  }
  auto options = parseServeOptions(split, c.error);
  if (!options) return c.action = CommandLine::Action::Mistake, c;
  c.action = CommandLine::Action::Serve;
  c.serve = std::move(*options);
  return c;
}

bool expandOptionsFiles(std::vector<std::string>& args, std::string& error) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string file;
    if (args[i] == "--options-file") {
      if (i + 1 >= args.size()) return error = "--options-file needs a value", false;
      file = args[++i];
    } else if (args[i].rfind("--options-file=", 0) == 0) {
      file = args[i].substr(std::strlen("--options-file="));
    } else {
      out.push_back(args[i]);
      continue;
    }
    std::string text;
    int err = 0;
    if (!readWholeFile(file, text, err))
      return error = "cannot read the options file " + file + ": " + std::strerror(err), false;
    int lineNo = 0;
    for (std::size_t at = 0; at < text.size();) {
      std::size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(at, end - at);
      at = end + 1;
      ++lineNo;
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
      const std::size_t start = line.find_first_not_of(" \t");
      if (start == std::string::npos || line[start] == '#') continue;
      line.erase(0, start);
      const std::string where = file + ":" + std::to_string(lineNo) + ": ";
      if (line.rfind("--", 0) != 0 || line.size() == 2)
        return error = where + "\"" + line + "\" is not an option (one option a line, such as --serve pty:/run/plc)",
               false;
      const std::size_t blank = line.find_first_of(" \t");
      const std::string name = line.substr(0, std::min(blank, line.find('=')));
      if (name == "--options-file") return error = where + "an options file cannot name another", false;
      if (blank == std::string::npos || line.find('=') < blank) {
        out.push_back(line);
      } else {
        out.push_back(line.substr(0, blank));
        out.push_back(line.substr(line.find_first_not_of(" \t", blank)));
      }
    }
  }
  args = std::move(out);
  return true;
}

std::string versionLine() {
  return "ombrisal " + std::to_string(PROJECT_VERSION_MAJOR) + "." + std::to_string(PROJECT_VERSION_MINOR) + "." +
         std::to_string(PROJECT_VERSION_PATCH);
}

}  // namespace omb
