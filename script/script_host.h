// The controller's program as a short script: JavaScript run by Qt's own
// engine (QJSEngine) on the program's clock and event loop, reacting to
// device changes and to time, and writing through device memory like any
// other writer.  A PC program's handshakes (request, busy, done, result
// words) then answer by themselves.
//
// What a script can call, and nothing else (no console, no files, no
// network, no imports):
//   on(DEVICE, fn[, {line: true}])  fn(value, old) when DEVICE changes, from
//                                   any writer, or with line: true only
//                                   from the line's requests; returns an id
//   every(MS, fn), after(MS, fn)    fn() every MS ms / once after MS ms
//                                   (MS of at least 1); returns an id
//   cancel(ID)                      an every/after/on registration gone
//   get(DEVICE), get(DEVICE, N)     a value, or N values from DEVICE on
//   set(DEVICE, V), set(DEVICE, [V, ...])
//   log(TEXT)                       a line on the console
//   station(NN)                     the same get, set, on, every, after,
//                                   cancel and log on station NN's memory
// Words read as signed 16-bit values, bits as 0 or 1; a word takes any
// value modulo 65536, a bit is on for anything but 0.
//
// How it runs:
//   - A handler's writes are published as one change set when it returns,
//     so windows redraw once and a recording sees them.
//   - A change that a request of the line made is told to the handlers
//     only after that request's reply has left (lineReplied()); any other
//     writer's change is told from the event loop right after it.
//   - At one moment the line's requests come first, then the timers due
//     then, in the order they were registered; the handlers of one change
//     set are called in the order they were registered.  A change a
//     handler makes is told after what is already due at that moment;
//     such a chain is cut after kMaxChain steps.
//   - A handler that runs longer than `limitMs` is interrupted from a
//     watchdog thread, reported with its file and line and removed; an
//     exception is reported with its file and line, and the handler stays.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "core/device_memory.h"
#include "link/scheduler.h"

namespace omb {

struct ScriptMessage {
  enum class Kind { Log, Error };
  Kind kind = Kind::Log;
  std::string text;  // log: the text; error: what went wrong (Japanese)
  std::string file;  // where, for an error (empty when unknown)
  int line = 0;      // 0 when unknown
  // "NAME:LINE: text" for an error with a place, the text otherwise.
  std::string display() const;
};

struct ScriptStatus {
  bool running = false;
  std::string file;  // the name the script was loaded with
  int handlers = 0;  // on() registrations
  int timers = 0;    // every() and after() waiting
  int errors = 0;    // reported since it was loaded
  std::string lastError;
};

class ScriptRun;

class ScriptHost {
 public:
  static constexpr int kMaxChain = 64;
  static constexpr std::size_t kConsoleLines = 1000;

  ScriptHost(Scheduler& scheduler, const Clock& clock);
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  // A station's memory by number (empty: the first station); nullptr when
  // the line does not carry it.  Set before loading.
  std::function<DeviceMemory*(std::string_view station)> memoryOf;
  // How long a handler (or the script's first run) may take.
  int limitMs = 100;
  // Each log line and error as it comes (a window, standard error).
  std::function<void(const ScriptMessage&)> told;
  // Loaded, stopped or its registrations changed (for a window).
  std::function<void()> changed;

  // Runs `source` (UTF-8) as the script named `file`: its first run
  // registers its handlers.  On a syntax error or an exception of that run
  // nothing of it stays and the script that ran before goes on; the error
  // is returned (and told).  Otherwise it replaces the script running.  A
  // source of blanks only stops the script and forgets it.
  std::optional<ScriptMessage> load(const std::string& source, const std::string& file);
  // Every handler and timer gone; nothing runs until the next load.  The
  // source is kept.
  void stop();
  ScriptStatus status() const;
  bool running() const { return run_ != nullptr; }
  // The text last given to load (whether it started or not: it is the
  // user's, and a project keeps it) and its name; empty when forgotten.
  const std::string& source() const { return source_; }
  const std::string& file() const { return file_; }
  // The last kConsoleLines messages.
  const std::deque<ScriptMessage>& console() const { return console_; }
  void clearConsole() { console_.clear(); }

  // Every station memory's publications are handed in here.
  void memoryChanged(DeviceMemory& memory, const ChangeNotice& notice);
  // A request's reply has left: the handlers of what it wrote run now.
  void lineReplied();

 private:
  friend class ScriptRun;
  void tell(ScriptMessage m);
  void notifyChanged() {
    if (changed) changed();
  }

  Scheduler& scheduler_;
  const Clock& clock_;
  std::unique_ptr<ScriptRun> run_;
  std::string source_, file_;
  std::string runningFile_;
  std::deque<ScriptMessage> console_;
  int errors_ = 0;
  std::string lastError_;
};

}  // namespace omb
