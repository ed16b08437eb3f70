// The PC program's side of the line, from the shell:
//   ombrisal send PORT COMMAND...                 one request, its reply read out
//   ombrisal poll PORT COMMAND... --every MS [--count N]
//                                                 the request repeated, values as
//                                                 they change, latency at the end
//   ombrisal replay FILE PORT [--speed X]         a capture's requests sent again
//                                                 with their spacing, the replies
//                                                 compared with the captured ones
// PORT is written as --serve takes it: a device, pty:PATH, tcp:[HOST:]PORT
// or tcp-connect:ADDRESS:PORT.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/frame_reading.h"
#include "serial/line_config.h"

namespace omb {

struct PcOptions {
  enum class Mode { Send, Poll, Replay };
  Mode mode = Mode::Send;
  std::string port;
  std::vector<std::string> words;  // send, poll: the command and its arguments
  std::string frame;               // send, poll: the request the words make
  std::string capture;             // replay: the capture file
  RequestOptions request;          // format, station, PC number, sum, message wait
  int timeoutMs = 1000;
  LineConfig line;
  int everyMs = 0;   // poll
  long count = 0;    // poll: 0 runs until stopped
  double speed = 1;  // replay
  bool help = false;
};

// Exit status of the PC-side commands.
enum PcExit { kAnswered = 0, kNak = 1, kNoAnswer = 2, kPcMistake = 3 };

// Whether the arguments (after the program name) are a PC-side command.
bool isPcSideCommand(const std::vector<std::string>& args);
// Empty with `error` set (for the user) on a mistake.
std::optional<PcOptions> parsePcOptions(const std::vector<std::string>& args, std::string& error);
std::string pcSideUsage();
// Runs the command; returns the exit status.
int runPcSide(int argc, char** argv, const std::vector<std::string>& args);

}  // namespace omb
