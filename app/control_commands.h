// The control channel's commands: what a test script asks of the running
// program while a PC program uses the line (set the inputs, read what the
// PC program wrote, load or save a project, switch faults, read the
// statistics, wait for a device to change).  One request is one line of
// words; its answer is one line of JSON.  Nothing here knows sockets: the
// server (app/control_channel.h) hands lines in and answers out, and tests
// drive the interpreter directly.
//
// Requests (words separated by blanks; a trailing CR is ignored):
//   get DEVICE [POINTS]        DEVICE and the POINTS-1 devices after it
//   get FIRST-LAST             a run of devices (D100-D109 or D100-109)
//   set DEVICE VALUE...        VALUE to DEVICE, the next to the device after
//                              it, ...; all or nothing
//   load PROJECT               the project as the window opens it: device
//                              memory, lists, device comments, value
//                              generators (NAME_Sim.txt, none without one)
//                              and link settings; an open line keeps its
//                              rate and framing until it is opened again
//   save PROJECT               the state as a project file (whole or not at
//                              all) with its comment and generator files
//   export FILE                the device values that are not 0, as CSV
//                              (device,value) or, for a name ending in .json,
//                              JSON (app/device_values.h)
//   import FILE                the values FILE names set, all or nothing; a
//                              bad line is named
//   fault add RULE             one rule as --fault reads it
//   fault clear                every rule gone
//   stats                      the traffic statistics
//   wait-change DEVICE TIMEOUT_MS
//                              answers when DEVICE (or a run FIRST-LAST)
//                              holds a value other than when asked, or after
//                              TIMEOUT_MS
//   script load FILE | script stop | script status
//                              the controller's program (app/script_control.h)
//   quit                       the program ends after answering
// Devices are written as the protocol writes them (X0000, D0100, Y07FF) or
// short (X0, D100, D9000 for a special register); the number is in the
// kind's own radix (hexadecimal for X, Y, B, W).  POINTS is 1 to 4096.
// Word values are decimal (-32768 to 65535) or hexadecimal with 0x (0x0 to
// 0xFFFF); bit values are 0 or 1.  A device is the first station's unless
// its station is written before it: 01:D100, 05:X0-X7 (get, set and
// wait-change; whichever station the windows show).
//
// Answers (one line, no blanks between tokens):
//   {"ok":true}                                   set, load, save, quit
//   {"ok":true,"values":[1,0,-5]}                 get, wait-change: bits 0/1,
//                                                 words signed 16-bit
//   {"ok":true,"rules":2}                         fault add / clear
//   {"ok":true,"stats":{...}}                     stats (LinkStats::json)
//   {"ok":false,"error":"TEXT"}                   any mistake, nothing done
//   {"ok":false,"error":"TEXT","timeout":true}    wait-change timed out
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/device_kind.h"
#include "app/project_commands.h"
#include "core/device_memory.h"
#include "link/fault_injector.h"
#include "link/link_stats.h"
#include "link/scheduler.h"

namespace omb {

class AppCore;

// What the commands work on.  `load` and `save` return why they failed,
// empty on success.
struct ControlTargets {
  DeviceMemory& memory;
  Scheduler& scheduler;
  FaultInjector& faults;
  LinkStats& stats;
  std::function<std::optional<std::string>(const std::string& path)> load, save;
  // Further stations (01:D100): a station's memory by its number (nullptr
  // when the line does not carry it), and a watch on every station's
  // changes for wait-change.  Without them only `memory` is served.
  std::function<DeviceMemory*(std::string_view station)> stationMemory;
  std::function<int(std::function<void()>)> watchAll;
  std::function<void(int)> unwatchAll;
  // "script ...": the answer to its words (and what follows "script
  // load"); without it the command is not available.
  std::function<std::string(const std::vector<std::string_view>& words, std::string_view rest)> script = {};
};

// Why a project could not be loaded, in the words of standard error and the
// control channel.
std::string projectLoadError(const std::string& path, const ProjectCommands::LoadFailure& failed);

// The targets of the running program: its device memory in front, its
// timers, faults and statistics, and the project commands.
ControlTargets controlTargetsOf(AppCore& core, ProjectCommands& project);

class ControlInterpreter {
 public:
  static constexpr int kMaxPoints = 4096;
  static constexpr int kMaxTimeoutMs = 3600 * 1000;

  using WaitId = std::uint64_t;
  struct Result {
    std::string answer;  // the JSON line without its newline; empty while waiting
    WaitId wait = 0;     // not 0: the answer comes later, through `later`
    bool quit = false;   // the program is asked to end once this is answered
  };

  explicit ControlInterpreter(ControlTargets targets);
  ~ControlInterpreter();
  ControlInterpreter(const ControlInterpreter&) = delete;
  ControlInterpreter& operator=(const ControlInterpreter&) = delete;

  // Runs one request.  A request that waits hands its answer to `later`
  // exactly once, from the scheduler (never from inside run, nor from
  // inside a publication of device memory), unless cancelled first.
  Result run(std::string_view line, std::function<void(const std::string&)> later = {});
  // The asker has gone: its wait ends without an answer.
  void cancel(WaitId id);
  std::size_t waiting() const { return waits_.size(); }

 private:
  struct Wait {
    std::string station;
    DeviceSpan span;
    std::vector<std::int16_t> seen;
    std::function<void(const std::string&)> later;
    Scheduler::TimerId timer = 0;
    bool answered = false;  // the answer is on its way
  };
  Result get(const std::vector<std::string_view>& words);
  Result set(const std::vector<std::string_view>& words);
  Result fault(const std::vector<std::string_view>& words, std::string_view rest);
  Result values(std::string_view command, std::string_view rest);
  Result waitChange(const std::vector<std::string_view>& words, std::function<void(const std::string&)> later);
  // Values of every device of the span, or the error answer naming the
  // first device that device memory does not hold.
  std::optional<std::vector<std::int16_t>> read(const std::string& station, const DeviceSpan& span,
                                                std::string& error) const;
  // The memory of `station` (empty: the first), or nullptr with `error` set.
  DeviceMemory* memoryOf(const std::string& station, std::string& error) const;
  void changed();
  void answer(WaitId id, std::string json);

  ControlTargets t_;
  DeviceMemory::SubscriptionId subscription_ = 0;
  int watch_ = 0;
  std::map<WaitId, Wait> waits_;
  WaitId nextWait_ = 0;
};

// JSON text of a string: quoted, with quotes, backslashes and control
// characters escaped; bytes that are not UTF-8 become U+FFFD, so an answer
// echoing a peer's garbage is still valid JSON.
std::string jsonQuoted(std::string_view text);
// The answer of a failure: {"ok":false,"error":TEXT}.
std::string controlError(std::string_view text);
// Whether an answer reports success, and the text of its "error" member
// (empty when it has none), for the command-line client.
bool controlAnswerOk(std::string_view answer);
// Whether it is the answer of a wait-change that timed out.
bool controlAnswerTimedOut(std::string_view answer);
std::string controlAnswerError(std::string_view answer);

}  // namespace omb
