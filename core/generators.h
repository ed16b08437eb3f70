// Values that move by themselves: a counter that counts, a sensor value
// that drifts, an input bit that toggles, an output that follows an input.
// A PC program under development sees changing inputs without anyone
// typing them.
//
// Each generator writes one device or a run of devices (every device of the
// run gets the same value) through device memory's writes, so every change
// lands in a change set and is announced like any other.  Time is the
// program's steady clock in milliseconds, handed to tick(); nothing here
// sleeps or owns a timer.
//
// A generator is written as one line, its kind, its devices and keys:
//   counter D100 step=1 min=0 max=999 period=100
//                 every period the value moves by step, wrapping from max to
//                 min (or min to max for a negative step); it starts at min
//                 (at max when counting down)
//   ramp D200 offset=0 amplitude=1000 period=5000
//                 rises from offset to offset+amplitude over each period
//   sine D300 offset=500 amplitude=400 period=2000
//   random D400 min=0 max=100 seed=7 period=250
//                 a new value every period, the same sequence for a seed
//   square X0 period=1000 duty=0.5
//                 on for duty of each period, then off; word devices get
//                 max (default 1) and min (default 0)
//   follow Y10 source=X0 delay=200 invert
//                 the device copies the source as it was delay ms ago,
//                 inverted (bits NOT, words all bits) when asked
// "paused" at the end keeps it stopped.  On a line of several stations,
// "station=01" names the station whose memory it writes (and a follower
// reads); without it, the first station's.  Values are 16-bit: a word takes
// the value modulo 65536, a bit is on for anything but 0.
//
// Order within one moment: a generator writes only when its own value
// steps, so a value a PC program (or the user) wrote stays until the
// generator's next step; at the step, the generator's value replaces it.
// Requests answered before a tick are applied first, the tick's steps
// after them.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/device_kind.h"
#include "core/device_memory.h"

namespace omb {

enum class GeneratorKind { Counter, Ramp, Sine, Random, Square, Follow };

struct GeneratorSpec {
  GeneratorKind kind = GeneratorKind::Counter;
  DeviceSpan target;
  std::int64_t periodMs = 1000;
  double step = 1, min = 0, max = 32767;
  double offset = 0, amplitude = 1000, duty = 0.5;
  std::uint64_t seed = 1;
  DeviceSpan source;  // follow: one device
  std::int64_t delayMs = 0;
  bool invert = false;
  bool paused = false;
  std::string station;  // two upper-case hex digits; empty: the first station
};

// A generator from its line; empty with `error` set (Japanese, for the user).
std::optional<GeneratorSpec> parseGenerator(std::string_view line, std::string& error);
// Its line, as parseGenerator reads it (only the keys its kind uses).
std::string generatorText(const GeneratorSpec& spec);
// "カウンタ" .. "追従".
// (Marked for translation in the context "Generators".)
const char* generatorKindCaption(GeneratorKind kind);

// The value of a counter, ramp, sine, random or square generator `elapsedMs`
// after it started (paused time not counted).
std::int32_t generatorValueAt(const GeneratorSpec& spec, std::int64_t elapsedMs);

class GeneratorSet {
 public:
  explicit GeneratorSet(DeviceMemory& memory) : memory_(memory) {}

  // The memory of a station by its number (the first station's for an
  // empty one), or nullptr when the line does not carry it.  Without it,
  // only generators of no station are taken.
  std::function<DeviceMemory*(std::string_view station)> stationMemory;

  struct Entry {
    int id = 0;
    GeneratorSpec spec;
    std::int64_t startedAt = 0;  // steady ms; moved on by the time spent paused
    std::int64_t pausedAt = 0;
    std::optional<std::int32_t> written;  // the last value it wrote
  };

  // Adds a generator starting now; empty with `error` set when its devices
  // are not all in device memory.  Returns its id.
  std::optional<int> add(GeneratorSpec spec, std::int64_t nowMs, std::string& error);
  bool remove(int id);
  // Generator `id` changed in place (same id and place in the list), as if
  // started anew now; false with `error` set when its devices are not all
  // in device memory or there is no such generator.
  bool replace(int id, GeneratorSpec spec, std::int64_t nowMs, std::string& error);
  void clear();
  bool pause(int id, std::int64_t nowMs);
  bool resume(int id, std::int64_t nowMs);
  const std::vector<Entry>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

  // Writes every value that has stepped by `nowMs` and publishes what was
  // written as one change set ("All").  Returns whether anything was written.
  bool tick(std::int64_t nowMs);
  // When the next tick is due: the earliest step of a stepping generator,
  // or within 10 ms for the moving ones (ramp, sine, follow).  Empty when
  // nothing runs.
  std::optional<std::int64_t> nextDueMs(std::int64_t nowMs) const;

  // Reads a generator file's text (one generator a line; blank lines and
  // everything from a '#' on skipped) and adds them all, or none with `error` naming the
  // line.  With `replace` the file's generators take the place of those
  // running, again only when every line reads.
  bool load(std::string_view text, std::int64_t nowMs, std::string& error, bool replace = false);
  // The file's text for every generator.
  std::string save() const;

  // Generators were added, removed, paused or resumed (for a window).
  std::function<void()> changed;

 private:
  struct History {
    std::deque<std::pair<std::int64_t, std::int32_t>> samples;  // follow with a delay: the source over time
  };
  // Adds without telling anyone; its id.
  int addEntry(GeneratorSpec spec, std::int64_t nowMs);
  DeviceMemory* memoryOf(const GeneratorSpec& spec) const;
  static std::int32_t read(const DeviceMemory& memory, const DeviceSpan& span);
  static bool write(DeviceMemory& memory, const DeviceSpan& span, std::int32_t value);
  static bool valid(const DeviceMemory& memory, const DeviceSpan& span);
  // Whether every device of `spec` is in device memory; else why not.
  bool usable(const GeneratorSpec& spec, std::string& error) const;
  void notify() {
    if (changed) changed();
  }

  DeviceMemory& memory_;
  std::vector<Entry> entries_;
  std::vector<History> histories_;  // beside entries_
  int nextId_ = 1;
};

}  // namespace omb
