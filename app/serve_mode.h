// ombrisal --serve PORT [options]: the simulated controller without any
// window, for automated tests of PC programs.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace omb {

class AppCore;

struct ServeOptions {
  std::string port;        // COMn, a device path, or pty:PATH
  int format = 1;
  std::string cpu = "ACPU";
  std::string station = "00";
  std::string pcNo = "FF";
  bool sum = true;
  bool noCheck = false;
  int waitMs = 40;
  std::string line = "9600,n,8,1";
  int handshake = 0;
  std::string project;
  std::string saveOnExit;  // project file written when the program is stopped
  std::string ini;
  bool reopen = true;  // look for a device that went away until it is back
  int tcpIdleTimeout = 0;  // seconds a TCP client may hold the line silently; 0: no limit
  // Every station on the line; the first is `station`.
  std::vector<std::string> stations{"00"};
  // Projects and saves of further stations: (station, file).
  std::vector<std::pair<std::string, std::string>> stationProjects, stationSaves;
  std::vector<std::string> faults;  // rules, in order
  std::string faultsFile;
  std::uint64_t faultSeed = 1;
  bool pace = false;
  std::string simFile;     // value generators, in place of the project's own
  std::string scriptFile;  // the controller's program, in place of the project's own
  std::string recordFile;  // every change of device memory, as CSV
  std::string control;     // the control channel's socket; empty: none
  std::string logFormat = "text";  // standard output: text, decoded (readings) or jsonl
  std::string capture;             // every frame as JSON lines (app/frame_journal.h)
  std::string values;              // device values (CSV or JSON) set once the project is loaded
  std::string stats = "text";  // text, json (the last line of standard output) or none
  // Told one line (the banner) once the line is open and the control socket
  // listens, then closed; -1: none.
  int readyFd = -1;
  // The link and line options given on the command line: over a project's
  // own settings only these apply.
  std::vector<std::string> given;
  bool gave(const std::string& option) const;
};

struct SplitArguments;
// Reads the arguments after the program name, as splitArguments
// (app/command_line.h) took them apart.  On a mistake returns empty and
// sets `error` to a message for the user.
std::optional<ServeOptions> parseServeOptions(const SplitArguments& split, std::string& error);

// The usage text of --help.
std::string serveUsage();

// The line printed once the port is open: the format, CPU type, stations,
// PC number and sum check served (and unchecked mode, pacing, faults).
std::string serveBanner(const AppCore& core, const std::string& peer);

// Runs until SIGINT, SIGTERM or SIGHUP; returns the process exit status.
int runServe(int argc, char** argv, const ServeOptions& options);

}  // namespace omb
