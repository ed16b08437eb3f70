// What the command line asks for: the main window (with a project to open
// at once), the serve mode, the usage text or the version.
#pragma once

#include <string>
#include <vector>

#include "app/serve_mode.h"

namespace omb {

struct CommandLine {
  enum class Action { Window, Serve, Help, Version, Mistake };
  Action action = Action::Window;
  std::string project;  // Window: opened as the window comes up; empty for none
  ServeOptions serve;   // Serve
  std::string error;    // Mistake: the message for the user
};

// `args` are the arguments after the program name.  --help (-h) and
// --version win wherever they stand; a single argument that is not an
// option is a project file for the window; anything else is the serve
// mode's.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// "ombrisal 2.1.2": the line of --version, the project's version.
std::string versionLine();

}  // namespace omb
