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
// --version win wherever they stand; a single argument that is not an
// option is a project file for the window; "ctl PATH COMMAND..." is a
// request to a control channel (its words are the request's, --help among
// them); anything else is the serve mode's.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// "ombrisal 2.1.2": the line of --version, the project's version.
std::string versionLine();

}  // namespace omb
