// Several controllers on one multi-drop line.  The program's own state is
// one station (the one the windows show and the project commands work on);
// each further station has its own device memory, ranges, test and monitor
// lists and monitor comments, and shares everything else of the line: the
// format, the command set, sum check, PC number, wait, the alerts and the
// traffic log.
//
// A frame is answered by the station its station field names; a frame for
// a number no station has goes to the program's own station, whose checks
// ignore it as a request for another station.  Bringing a station forward
// exchanges its contents with the program's own, so every window, the
// project commands and the refresh work on it without knowing there are
// several.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/link_context.h"
#include "link/processor.h"

namespace omb {

class StationSet {
 public:
  // `main`: the program's own station.
  explicit StationSet(LinkContext& main) : main_(main) {}

  // Station numbers as the user writes them ("00,01,05" or "00 01 05"):
  // two hexadecimal digits each, upper case, no repeats.  Empty with
  // `error` set on a mistake.
  static std::optional<std::vector<std::string>> parseNumbers(std::string_view text, std::string& error);

  // The line carries these stations; the first is the program's own (its
  // number becomes the link settings' station), the others are created
  // afresh with the own station's ranges and zero memory.  One number: a
  // single station, as without this set.  Must not be called while a frame
  // is being answered (close the line first).
  void configure(const std::vector<std::string>& numbers);
  // Every station number, the one in front first.
  std::vector<std::string> numbers() const;
  bool several() const { return !units_.empty(); }

  // The processor of the further station the frame is addressed to, or
  // nullptr (the engine then uses its own).
  RequestProcessor* route(std::string_view frame);

  // Exchanges station `number` with the one in front; false when there is
  // no such station.  The caller announces the new memory to the windows.
  bool bringForward(const std::string& number);

  // A further station's state, for tests and for loading its project.
  SystemState* stateOf(const std::string& number);
  LinkLists* listsOf(const std::string& number);

 private:
  struct Unit {
    Unit(LinkContext& main, std::string number);
    std::string number;
    SystemState state;
    LinkLists lists;
    LinkSettings settings;
    LinkContext ctx;
    RequestProcessor processor;
  };
  Unit* find(const std::string& number);
  void follow(Unit& u) const;

  LinkContext& main_;
  std::vector<std::unique_ptr<Unit>> units_;
};

}  // namespace omb
