// Several controllers on one multi-drop line.  Each station has its number,
// its device memory with its ranges and page counts, its test and monitor
// lists and its monitor comments; every station shares the rest of the
// line: the format, the command set, sum check, PC number, wait, the alerts
// and the traffic log.
//
// The first station is the program's own state (the one the project
// commands and every unnamed command work on); the others are held here.
// A frame is answered by the station its station field names; a frame for a
// number no station has goes to the first station, whose checks ignore it as
// a request for another station.
//
// Which station the windows show is a choice kept here and nothing more:
// choosing moves no memory, so the line, the generators, the recorder and
// the control channel keep working on the stations they name.  A station's
// memory follows its number: editing the list keeps the memory of every
// station that stays in it, wherever it moves in the list.
#pragma once

#include <functional>
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
  // `main`: the program's own state, the first station.
  explicit StationSet(LinkContext& main) : main_(main) {}

  // Station numbers as the user writes them ("00,01,05" or "00 01 05"):
  // two hexadecimal digits each, upper case, no repeats.  Empty with
  // `error` set on a mistake.
  static std::optional<std::vector<std::string>> parseNumbers(std::string_view text, std::string& error);

  // The line carries these stations; the first is the program's own (its
  // number becomes the link settings' station).  A station already served
  // keeps its memory, lists and comments; a new one starts with the first
  // station's ranges and zero memory.  When the first station's number
  // leaves the list, the first station keeps its memory under the new
  // number (as typing another number into the station box does).  Must not
  // be called while a frame is being answered (close the line first).
  // Returns whether the first station's contents changed (the windows then
  // redraw).
  bool configure(const std::vector<std::string>& numbers);
  // Every station number, the first first.
  std::vector<std::string> numbers() const;
  // The numbers as the user writes them: "00,01,05".
  std::string listText() const;
  const std::string& first() const { return main_.settings.config.station; }
  bool several() const { return !units_.empty(); }
  bool has(std::string_view number) const;

  // The processor of the further station the frame is addressed to, or
  // nullptr (the engine then uses its own).
  RequestProcessor* route(std::string_view frame);

  // A station's state and lists by number, the first station's included;
  // nullptr for a number the line does not carry.  An empty number is the
  // first station.
  SystemState* stateOf(std::string_view number);
  LinkLists* listsOf(std::string_view number);

  // The station the windows show (the first unless another was chosen).
  const std::string& shown() const { return shown_.empty() ? first() : shown_; }
  // Chooses the station the windows show; false for a number the line does
  // not carry.  Nothing moves: the caller redraws the windows.
  bool show(const std::string& number);

  // A further station's device memory published a change set (the first
  // station's memory is the owner's to watch).
  std::function<void(const std::string& number, const ChangeNotice&)> memoryChanged;
  // A further station's monitor lists changed (a monitor registration).
  std::function<void(const std::string& number)> listsChanged;

 private:
  struct Unit {
    Unit(StationSet& set, std::string number);
    std::string number;
    SystemState state;
    LinkLists lists;
    LinkSettings settings;
    LinkContext ctx;
    RequestProcessor processor;
  };
  Unit* find(std::string_view number);
  const Unit* find(std::string_view number) const;
  void follow(Unit& u) const;
  // Exchanges the first station's contents with a further station's.
  void exchange(Unit& u);

  LinkContext& main_;
  std::vector<std::unique_ptr<Unit>> units_;
  std::string shown_;  // empty: the first station
};

}  // namespace omb
