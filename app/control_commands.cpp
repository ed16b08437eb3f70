#include "app/control_commands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

#include "app/app_core.h"
#include "app/device_values.h"
#include "app/project_commands.h"
#include "app/script_control.h"
#include "core/numeric.h"

namespace omb {

namespace {

constexpr const char* kValueRange = "decimal -32768 to 65535 or hexadecimal 0x0 to 0xFFFF";

bool blank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string_view> wordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && blank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !blank(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// What follows the first `skip` words, blanks inside kept (a path may hold
// them).
std::string_view restAfter(std::string_view line, int skip) {
  std::size_t i = 0;
  for (int w = 0; w < skip; ++w) {
    while (i < line.size() && blank(line[i])) ++i;
    while (i < line.size() && !blank(line[i])) ++i;
  }
  while (i < line.size() && blank(line[i])) ++i;
  return line.substr(i);
}

// "01:D100" as the station ("01", upper case) and the device; a device
// without a station as the first station's (an empty number).
std::pair<std::string, std::string_view> stationOf(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return {std::string(), text};
  std::string station(text.substr(0, colon));
  for (char& c : station) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return {station, text.substr(colon + 1)};
}

// A word value as a script writes it; empty with `error` set.
std::optional<std::int16_t> wordValue(std::string_view s, const std::string& device, std::string& error) {
  const WordText w = readWordText(s);
  if (!w.value)
    error = (w.outOfRange ? "value for " + device + " out of range: " : "not a value for " + device + ": ") +
            std::string(s) + " (" + kValueRange + ")";
  return w.value;
}

std::string valuesAnswer(const std::vector<std::int16_t>& values) {
  std::string json = "{\"ok\":true,\"values\":[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) json += ',';
    json += std::to_string(values[i]);
  }
  return json + "]}";
}

constexpr const char* kOk = "{\"ok\":true}";

}  // namespace

std::string jsonQuoted(std::string_view text) {
  std::string out = "\"";
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = s[i];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else {
      // A well-formed UTF-8 sequence is copied; anything else is one
      // replacement character per byte.
      std::size_t len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
      bool ok = len > 0 && i + len <= n;
      for (std::size_t k = 1; ok && k < len; ++k) ok = (s[i + k] & 0xC0) == 0x80;
      if (ok && len == 3) ok = !(c == 0xE0 && s[i + 1] < 0xA0) && !(c == 0xED && s[i + 1] >= 0xA0);
      if (ok && len == 4) ok = !(c == 0xF0 && s[i + 1] < 0x90) && !(c == 0xF4 && s[i + 1] >= 0x90);
      if (ok) {
        out.append(text.substr(i, len));
        i += len;
      } else {
        out += "\\ufffd";
        ++i;
      }
    }
  }
  return out + "\"";
}

std::string controlError(std::string_view text) { return "{\"ok\":false,\"error\":" + jsonQuoted(text) + "}"; }

bool controlAnswerOk(std::string_view answer) { return answer.rfind("{\"ok\":true", 0) == 0; }

bool controlAnswerTimedOut(std::string_view answer) {
  return !controlAnswerOk(answer) && answer.size() >= 16 && answer.substr(answer.size() - 16) == ",\"timeout\":true}";
}

std::string controlAnswerError(std::string_view answer) {
  static constexpr std::string_view kKey = "\"error\":\"";
  const std::size_t at = answer.find(kKey);
  if (at == std::string_view::npos) return {};
  std::string text;
  for (std::size_t i = at + kKey.size(); i < answer.size() && answer[i] != '"'; ++i) {
    if (answer[i] != '\\' || i + 1 >= answer.size()) {
      text += answer[i];
      continue;
    }
    const char e = answer[++i];
    if (e == 'u' && i + 4 < answer.size()) {
      unsigned code = 0;
      std::from_chars(answer.data() + i + 1, answer.data() + i + 5, code, 16);
      i += 4;
      if (code < 0x80) {
        text += static_cast<char>(code);
      } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
      } else {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
      }
    } else {
      text += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
    }
  }
  return text;
}

std::string projectLoadError(const std::string& path, const ProjectCommands::LoadFailure& failed) {
  using Why = ProjectCommands::LoadFailure::Why;
  switch (failed.why) {
    case Why::NotAProject: return "not a project file (no version header)";
    case Why::Generators: return simFileOf(path) + ": " + failed.text;
    case Why::Script:
      return (failed.opened ? "opened, but its script did not start: " : scriptFileOf(path) + ": ") + failed.text;
    case Why::Unreadable: break;
  }
  return failed.text;
}

ControlTargets controlTargetsOf(AppCore& core, ProjectCommands& project) {
  ControlTargets t{core.state.memory, core.scheduler, core.faults, core.stats, {}, {}, {}, {}, {}};
  t.stationMemory = [&core](std::string_view station) { return core.memoryOf(station); };
  t.watchAll = [&core](std::function<void()> changed) {
    return core.watchMemory([changed = std::move(changed)](const std::string&, const ChangeNotice&) { changed(); });
  };
  t.unwatchAll = [&core](int id) { core.unwatchMemory(id); };
  t.script = [&core](const std::vector<std::string_view>& words, std::string_view rest) {
    return scriptControl(core.script, words, rest);
  };
  // A project is opened here as the window opens it: the whole of it,
  // its generators too.  An open line keeps the rate and framing it was
  // opened with until it is opened again; the link settings (format,
  // station, sum check, wait) apply from the next frame.
  t.load = [&project](const std::string& path) -> std::optional<std::string> {
    const auto failed = project.load(path, {});
    if (!failed) return std::nullopt;
    return projectLoadError(path, *failed);
  };
  t.save = [&core, &project](const std::string& path) -> std::optional<std::string> {
    if (const auto failed = project.subFile_put(path)) return failed->reason;
    if (!core.comments.subFile_putDevCmnt(commentFileOf(path)))
      return "cannot write the comment file " + commentFileOf(path);
    if (const auto failed = project.saveSimFile(path)) return simFileOf(path) + ": " + failed->reason;
    if (const auto failed = project.saveScriptFile(path)) return scriptFileOf(path) + ": " + failed->reason;
    return std::nullopt;
  };
  return t;
}

ControlInterpreter::ControlInterpreter(ControlTargets targets) : t_(std::move(targets)) {
  if (t_.watchAll) watch_ = t_.watchAll([this] { changed(); });
  else subscription_ = t_.memory.subscribe([this](const ChangeNotice&) { changed(); });
}

ControlInterpreter::~ControlInterpreter() {
  if (t_.watchAll) t_.unwatchAll(watch_);
  else t_.memory.unsubscribe(subscription_);
  for (auto& [id, w] : waits_)
    if (w.timer) t_.scheduler.cancel(w.timer);
}

ControlInterpreter::Result ControlInterpreter::run(std::string_view line,
                                                   std::function<void(const std::string&)> later) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::vector<std::string_view> words = wordsOf(line);
  if (words.empty()) return {controlError("empty request")};
  const std::string_view command = words[0];
  if (command == "get") return get(words);
  if (command == "set") return set(words);
  if (command == "fault") return fault(words, restAfter(line, 2));
  if (command == "wait-change") return waitChange(words, std::move(later));
  if (command == "script")
    return {t_.script ? t_.script(words, restAfter(line, 2)) : controlError("script is not available here")};
  if (command == "stats") {
    if (words.size() != 1) return {controlError("usage: stats")};
    return {"{\"ok\":true,\"stats\":" + t_.stats.json() + "}"};
  }
  if (command == "quit") {
    if (words.size() != 1) return {controlError("usage: quit")};
    return {kOk, 0, true};
  }
  if (command == "export" || command == "import") return values(command, restAfter(line, 1));
  if (command == "load" || command == "save") {
    const std::string path(restAfter(line, 1));
    if (path.empty()) return {controlError("usage: " + std::string(command) + " PROJECT")};
    const bool load = command == "load";
    const auto& hook = load ? t_.load : t_.save;
    const std::optional<std::string> failed = hook ? hook(path) : std::optional<std::string>("not available here");
    if (failed) return {controlError(std::string(load ? "cannot load " : "cannot save ") + path + ": " + *failed)};
    return {kOk};
  }
  return {controlError("unknown command: " + std::string(command) +
                       " (the commands are get, set, load, save, export, import, fault, stats, wait-change, script "
                       "and quit)")};
}

// Device values to or from a file; an import is all or nothing.
ControlInterpreter::Result ControlInterpreter::values(std::string_view command, std::string_view rest) {
  const std::string path(rest);
  if (path.empty()) return {controlError("usage: " + std::string(command) + " FILE")};
  const auto failed = command == "export" ? exportValuesFile(t_.memory, path) : importValuesFile(t_.memory, path);
  if (failed) return {controlError(*failed)};
  return {kOk};
}

DeviceMemory* ControlInterpreter::memoryOf(const std::string& station, std::string& error) const {
  if (station.empty()) return &t_.memory;
  DeviceMemory* m = t_.stationMemory ? t_.stationMemory(station) : nullptr;
  if (!m) error = "station " + station + " is not served";
  return m;
}

std::optional<std::vector<std::int16_t>> ControlInterpreter::read(const std::string& station, const DeviceSpan& span,
                                                                  std::string& error) const {
  const DeviceMemory* memory = memoryOf(station, error);
  if (!memory) return std::nullopt;
  std::vector<std::int16_t> values;
  values.reserve(static_cast<std::size_t>(span.count()));
  for (std::int64_t n = span.first; n <= span.last; ++n) {
    const auto number = static_cast<std::int32_t>(n);
    const auto value = memory->deviceValue(span.kind, number);
    if (!value) {
      error = deviceName(span.kind, number) + " is outside device memory";
      return std::nullopt;
    }
    values.push_back(static_cast<std::int16_t>(*value));  // a word as the signed value scripts read
  }
  return values;
}

ControlInterpreter::Result ControlInterpreter::get(const std::vector<std::string_view>& words) {
  static const std::string kUsage = "usage: get DEVICE [POINTS] or get FIRST-LAST";
  if (words.size() < 2 || words.size() > 3) return {controlError(kUsage)};
  const auto [station, device] = stationOf(words[1]);
  auto span = parseDeviceSpan(device);
  if (!span) return {controlError("unknown device: " + std::string(words[1]))};
  if (words.size() == 3) {
    if (span->last != span->first) return {controlError(kUsage)};
    const auto points = wholeNumber(words[2], 1, kMaxPoints);
    if (!points) return {controlError("POINTS must be a whole number from 1 to " + std::to_string(kMaxPoints))};
    span->last = static_cast<std::int32_t>(span->first + *points - 1);
  }
  if (span->count() > kMaxPoints) return {controlError("at most " + std::to_string(kMaxPoints) + " devices at once")};
  std::string error;
  const auto values = read(station, *span, error);
  return {values ? valuesAnswer(*values) : controlError(error)};
}

ControlInterpreter::Result ControlInterpreter::set(const std::vector<std::string_view>& words) {
  if (words.size() < 3) return {controlError("usage: set DEVICE VALUE...")};
  const auto [station, device] = stationOf(words[1]);
  std::string unserved;
  DeviceMemory* memory = memoryOf(station, unserved);
  if (!memory) return {controlError(unserved)};
  const auto start = parseDeviceSpan(device);
  if (!start) return {controlError("unknown device: " + std::string(words[1]))};
  if (start->last != start->first)
    return {controlError("set writes from one device on, not a run: " + std::string(words[1]))};
  if (words.size() - 2 > static_cast<std::size_t>(kMaxPoints))
    return {controlError("at most " + std::to_string(kMaxPoints) + " devices at once")};
  // Every device located and every value read before the first write: a
  // request that cannot be done whole changes nothing.
  struct Write {
    DeviceLocation at;
    std::int16_t value;
  };
  std::vector<Write> writes;
  for (std::size_t i = 2; i < words.size(); ++i) {
    const std::int64_t n = std::int64_t{start->first} + static_cast<std::int64_t>(i - 2);
    const auto number = static_cast<std::int32_t>(n);
    const std::string device = deviceName(start->kind, number);
    const auto at = n > 0xFFFFFF ? std::nullopt : memory->deviceAt(start->kind, number);
    if (!at) return {controlError(device + " is outside device memory")};
    std::int16_t value = 0;
    if (isWordKind(at->kind)) {
      std::string error;
      const auto v = wordValue(words[i], device, error);
      if (!v) return {controlError(error)};
      value = *v;
    } else if (words[i] == "0" || words[i] == "1") {
      value = words[i] == "1";
    } else {
      return {controlError("bit values are 0 or 1; " + device + " was given " + std::string(words[i]))};
    }
    writes.push_back({*at, value});
  }
  // Through the memory's writes and one publication, as a request on the
  // line does: the views redraw and waiting scripts are told.
  for (const Write& w : writes) {
    if (isWordKind(w.at.kind)) memory->write(w.at.kind, w.at.index, w.value);
    else memory->writeBit(w.at.kind, w.at.index, w.at.bit, w.value != 0);
  }
  memory->publish("All");
  return {kOk};
}

ControlInterpreter::Result ControlInterpreter::fault(const std::vector<std::string_view>& words,
                                                     std::string_view rest) {
  static const std::string kUsage = "usage: fault add RULE or fault clear";
  if (words.size() == 2 && words[1] == "clear") {
    t_.faults.clear();
    return {"{\"ok\":true,\"rules\":0}"};
  }
  if (words.size() < 3 || words[1] != "add") return {controlError(kUsage)};
  std::string why;
  auto rule = parseFaultRule(rest, why);
  if (!rule) return {controlError("bad fault rule: " + why)};
  t_.faults.add(std::move(*rule));
  return {"{\"ok\":true,\"rules\":" + std::to_string(t_.faults.rules().size()) + "}"};
}

ControlInterpreter::Result ControlInterpreter::waitChange(const std::vector<std::string_view>& words,
                                                          std::function<void(const std::string&)> later) {
  if (words.size() != 3) return {controlError("usage: wait-change DEVICE TIMEOUT_MS")};
  const auto [station, device] = stationOf(words[1]);
  const auto span = parseDeviceSpan(device);
  if (!span) return {controlError("unknown device: " + std::string(words[1]))};
  if (span->count() > kMaxPoints) return {controlError("at most " + std::to_string(kMaxPoints) + " devices at once")};
  const auto timeout = wholeNumber(words[2], 0, kMaxTimeoutMs);
  if (!timeout) return {controlError("TIMEOUT_MS must be a whole number from 0 to " + std::to_string(kMaxTimeoutMs))};
  std::string error;
  auto seen = read(station, *span, error);
  if (!seen) return {controlError(error)};
  if (!later) return {controlError("wait-change cannot wait here")};
  // The loop goes on meanwhile: the line is served and other requests are
  // answered; every publication of device memory is compared with what the
  // asker saw.
  const WaitId id = ++nextWait_;
  Wait& w = waits_[id];
  w.station = station;
  w.span = *span;
  w.seen = std::move(*seen);
  w.later = std::move(later);
  const std::string text = std::string(words[1]);
  w.timer = t_.scheduler.schedule(static_cast<int>(*timeout), [this, id, text, ms = *timeout] {
    auto it = waits_.find(id);
    if (it == waits_.end()) return;
    auto deliver = std::move(it->second.later);
    waits_.erase(it);
    deliver("{\"ok\":false,\"error\":" + jsonQuoted(text + " did not change within " + std::to_string(ms) + " ms") +
            ",\"timeout\":true}");
  });
  return {{}, id};
}

void ControlInterpreter::changed() {
  for (auto& [id, w] : waits_) {
    if (w.answered) continue;
    std::string error;
    const auto now = read(w.station, w.span, error);
    if (!now) answer(id, controlError(error));
    else if (*now != w.seen) answer(id, valuesAnswer(*now));
  }
}

// Called from inside a publication: the answer leaves from the scheduler,
// so whatever the asker does next (another request that writes and
// publishes) never runs inside the publication that is still going on.
void ControlInterpreter::answer(WaitId id, std::string json) {
  Wait& w = waits_.at(id);
  w.answered = true;
  t_.scheduler.cancel(w.timer);
  w.timer = t_.scheduler.schedule(0, [this, id, json = std::move(json)] {
    auto it = waits_.find(id);
    if (it == waits_.end()) return;
    auto deliver = std::move(it->second.later);
    waits_.erase(it);
    deliver(json);
  });
}

void ControlInterpreter::cancel(WaitId id) {
  auto it = waits_.find(id);
  if (it == waits_.end()) return;
  if (it->second.timer) t_.scheduler.cancel(it->second.timer);
  waits_.erase(it);
}

}  // namespace omb
