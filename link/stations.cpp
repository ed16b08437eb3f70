#include "link/stations.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "link/framing.h"
#include "link/request.h"
#include "core/translate.h"

namespace omb {

std::optional<std::vector<std::string>> StationSet::parseNumbers(std::string_view text, std::string& error) {
  std::vector<std::string> out;
  std::string item;
  auto take = [&]() {
    if (item.empty()) return true;
    if (!isStationNumber(item)) {
      error = omb::trs("Stations", "局番 \"") + item + omb::trs("Stations", "\" は 16 進 2 桁（大文字）で指定してください（例 00,01,1F）");
      return false;
    }
    if (std::find(out.begin(), out.end(), item) != out.end()) {
      error = omb::trs("Stations", "局番 ") + item + omb::trs("Stations", " が重複しています");
      return false;
    }
    out.push_back(item);
    item.clear();
    return true;
  };
  for (char c : text) {
    if (c == ',' || std::isspace(static_cast<unsigned char>(c))) {
      if (!take()) return std::nullopt;
    } else {
      item.push_back(c);
    }
  }
  if (!take()) return std::nullopt;
  if (out.empty()) {
    error = omb::trs("Stations", "局番が指定されていません");
    return std::nullopt;
  }
  return out;
}

StationSet::Unit::Unit(StationSet& set, std::string number_)
    : number(std::move(number_)),
      state(set.main_.state.errors),
      ctx{state, settings, lists, set.main_.clock, set.main_.log,
          [this, &set] {
            if (set.listsChanged) set.listsChanged(number);
          }},
      processor(ctx) {
  const SystemState& first = set.main_.state;
  state.range5 = first.range5;
  state.range7 = first.range7;
  state.memory.subReDim_Device(state.range7);
  state.pages = first.pages;
  // Told with the number the unit has when it publishes: the number moves
  // with the contents when the list is edited.
  state.memory.subscribe([this, &set](const ChangeNotice& n) {
    if (set.memoryChanged) set.memoryChanged(number, n);
  });
}

bool StationSet::configure(const std::vector<std::string>& numbers) {
  if (numbers.empty()) return false;
  const std::string oldFirst = first();
  const std::string& newFirst = numbers.front();
  bool firstChanged = false;
  if (newFirst != oldFirst) {
    const bool oldStays = std::find(numbers.begin(), numbers.end(), oldFirst) != numbers.end();
    Unit* u = find(newFirst);
    if (!u && oldStays) u = units_.emplace_back(std::make_unique<Unit>(*this, newFirst)).get();
    if (u) {
      // The new first station's contents come to the front; the old first
      // station's go with its number.
      exchange(*u);
      u->number = oldFirst;
      firstChanged = true;
    }
    main_.settings.config.station = newFirst;
  }
  std::vector<std::unique_ptr<Unit>> next;
  for (std::size_t i = 1; i < numbers.size(); ++i) {
    auto it = std::find_if(units_.begin(), units_.end(), [&](const auto& u) { return u && u->number == numbers[i]; });
    next.push_back(it != units_.end() ? std::move(*it) : std::make_unique<Unit>(*this, numbers[i]));
  }
  units_ = std::move(next);
  main_.settings.stationsServed = several() ? listText() : std::string();
  if (!has(shown_)) shown_.clear();
  if (shown_ == first()) shown_.clear();
  return firstChanged;
}

std::string StationSet::listText() const {
  std::string text;
  for (const std::string& n : numbers()) text += (text.empty() ? "" : ",") + n;
  return text;
}

std::vector<std::string> StationSet::numbers() const {
  std::vector<std::string> out{first()};
  for (const auto& u : units_) out.push_back(u->number);
  return out;
}

bool StationSet::has(std::string_view number) const { return number.empty() || number == first() || find(number); }

StationSet::Unit* StationSet::find(std::string_view number) {
  for (auto& u : units_)
    if (u->number == number) return u.get();
  return nullptr;
}

const StationSet::Unit* StationSet::find(std::string_view number) const {
  for (const auto& u : units_)
    if (u->number == number) return u.get();
  return nullptr;
}

// A further station answers with the line's settings as they are now; only
// its number is its own.
void StationSet::follow(Unit& u) const {
  const LinkSettings& m = main_.settings;
  u.settings.config = m.config;
  u.settings.config.station = u.number;
  u.settings.chkViewAlert = m.chkViewAlert;
  u.settings.chkLogDsp = m.chkLogDsp;
  u.settings.waitMs = m.waitMs;
}

RequestProcessor* StationSet::route(std::string_view frame) {
  if (units_.empty()) return nullptr;
  const std::string_view station = splitRequest(frame, main_.settings.config).station;
  for (auto& u : units_)
    if (station == u->number) {
      follow(*u);
      return &u->processor;
    }
  return nullptr;
}

void StationSet::exchange(Unit& u) {
  SystemState& a = main_.state;
  SystemState& b = u.state;
  a.memory.swapContents(b.memory);
  std::swap(a.range5, b.range5);
  std::swap(a.range7, b.range7);
  std::swap(a.pages, b.pages);
  std::swap(a.monitorComments, b.monitorComments);
  std::swap(main_.lists, u.lists);
}

SystemState* StationSet::stateOf(std::string_view number) {
  if (number.empty() || number == first()) return &main_.state;
  Unit* u = find(number);
  return u ? &u->state : nullptr;
}

LinkLists* StationSet::listsOf(std::string_view number) {
  if (number.empty() || number == first()) return &main_.lists;
  Unit* u = find(number);
  return u ? &u->lists : nullptr;
}

bool StationSet::show(const std::string& number) {
  if (!has(number)) return false;
  shown_ = number == first() ? std::string() : number;
  return true;
}

}  // namespace omb
