#include "link/stations.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "link/request.h"

namespace omb {

std::optional<std::vector<std::string>> StationSet::parseNumbers(std::string_view text, std::string& error) {
  std::vector<std::string> out;
  std::string item;
  auto take = [&]() {
    if (item.empty()) return true;
    const bool hex = item.size() == 2 && std::all_of(item.begin(), item.end(), [](char c) {
                       return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F');
                     });
    if (!hex) {
      error = "局番 \"" + item + "\" は 16 進 2 桁（大文字）で指定してください（例 00,01,1F）";
      return false;
    }
    if (std::find(out.begin(), out.end(), item) != out.end()) {
      error = "局番 " + item + " が重複しています";
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
    error = "局番が指定されていません";
    return std::nullopt;
  }
  return out;
}

StationSet::Unit::Unit(LinkContext& main, std::string number_)
    : number(std::move(number_)),
      state(main.state.errors),
      ctx{state, settings, lists, main.clock, main.log, nullptr},
      processor(ctx) {
  state.range5 = main.state.range5;
  state.range7 = main.state.range7;
  state.memory.subReDim_Device(state.range7);
  state.pages = main.state.pages;
}

void StationSet::configure(const std::vector<std::string>& numbers) {
  units_.clear();
  if (numbers.empty()) return;
  main_.settings.config.station = numbers.front();
  for (std::size_t i = 1; i < numbers.size(); ++i) units_.push_back(std::make_unique<Unit>(main_, numbers[i]));
}

std::vector<std::string> StationSet::numbers() const {
  std::vector<std::string> out{main_.settings.config.station};
  for (const auto& u : units_) out.push_back(u->number);
  return out;
}

StationSet::Unit* StationSet::find(const std::string& number) {
  for (auto& u : units_)
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

bool StationSet::bringForward(const std::string& number) {
  Unit* u = find(number);
  if (!u) return false;
  SystemState& a = main_.state;
  SystemState& b = u->state;
  a.memory.swapContents(b.memory);
  std::swap(a.range5, b.range5);
  std::swap(a.range7, b.range7);
  std::swap(a.pages, b.pages);
  std::swap(a.monitorComments, b.monitorComments);
  std::swap(main_.lists, u->lists);
  std::swap(main_.settings.config.station, u->number);
  return true;
}

SystemState* StationSet::stateOf(const std::string& number) {
  Unit* u = find(number);
  return u ? &u->state : nullptr;
}

LinkLists* StationSet::listsOf(const std::string& number) {
  Unit* u = find(number);
  return u ? &u->lists : nullptr;
}

}  // namespace omb
