#include "core/generators.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numbers>
#include "core/translate.h"

namespace omb {

namespace {

struct KindName {
  GeneratorKind kind;
  const char* name;
  const char* caption;
};
constexpr KindName kKinds[] = {
    {GeneratorKind::Counter, "counter", QT_TRANSLATE_NOOP("Generators", "カウンタ")}, {GeneratorKind::Ramp, "ramp", QT_TRANSLATE_NOOP("Generators", "ランプ")},
    {GeneratorKind::Sine, "sine", QT_TRANSLATE_NOOP("Generators", "正弦波")},         {GeneratorKind::Random, "random", QT_TRANSLATE_NOOP("Generators", "乱数")},
    {GeneratorKind::Square, "square", QT_TRANSLATE_NOOP("Generators", "矩形波")},     {GeneratorKind::Follow, "follow", QT_TRANSLATE_NOOP("Generators", "追従")},
};

std::vector<std::string_view> words(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    const std::size_t start = i;
    while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (i > start) out.push_back(s.substr(start, i - start));
  }
  return out;
}

std::optional<double> real(std::string_view s) {
  const std::string t(s);
  if (t.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (*end != '\0' || !std::isfinite(v) || std::abs(v) > 1e9) return std::nullopt;
  return v;
}

std::string number(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.10g", v);
  return b;
}

// Whole steps of `period` in `elapsed`, never negative.
std::int64_t steps(std::int64_t elapsed, std::int64_t period) { return elapsed <= 0 ? 0 : elapsed / period; }

std::uint64_t mix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

bool stepping(GeneratorKind k) {
  return k == GeneratorKind::Counter || k == GeneratorKind::Random || k == GeneratorKind::Square;
}

}  // namespace

const char* generatorKindCaption(GeneratorKind kind) {
  for (const KindName& k : kKinds)
    if (k.kind == kind) return k.caption;
  return "";
}

std::optional<GeneratorSpec> parseGenerator(std::string_view line, std::string& error) {
  const std::vector<std::string_view> w = words(line);
  auto fail = [&](const std::string& why) {
    error = omb::trs("Generators", "値の自動変化 \"") + std::string(line) + "\" : " + why;
    return std::nullopt;
  };
  if (w.size() < 2) return fail(omb::trs("Generators", "種類とデバイスを書いてください（例 counter D100 period=100）"));
  GeneratorSpec g;
  bool known = false;
  for (const KindName& k : kKinds)
    if (w[0] == k.name) g.kind = k.kind, known = true;
  if (!known) return fail(omb::trs("Generators", "種類は counter ramp sine random square follow のいずれかです"));
  const auto target = parseDeviceSpan(w[1]);
  if (!target) return fail(omb::trs("Generators", "デバイス \"") + std::string(w[1]) + omb::trs("Generators", "\" が正しくありません（例 D100, D100-D109, X1F）"));
  g.target = *target;
  const bool bits = !isWordKind(g.target.kind);
  if (bits && g.kind != GeneratorKind::Square && g.kind != GeneratorKind::Follow && g.kind != GeneratorKind::Random &&
      g.kind != GeneratorKind::Counter)
    return fail(omb::trs("Generators", "ビットデバイスには square, follow, random, counter を使ってください"));
  bool haveSource = false, haveMin = false, haveMax = false;
  for (std::size_t i = 2; i < w.size(); ++i) {
    const std::string_view item = w[i];
    if (item == "paused") {
      g.paused = true;
      continue;
    }
    if (item == "invert") {
      g.invert = true;
      continue;
    }
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos) return fail("\"" + std::string(item) + omb::trs("Generators", "\" は key=値 の形で書いてください"));
    const std::string key(item.substr(0, eq));
    const std::string_view value = item.substr(eq + 1);
    if (key == "station") {
      const bool hex = value.size() == 2 && std::all_of(value.begin(), value.end(), [](char c) {
                         return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
                       });
      if (!hex) return fail(omb::trs("Generators", "station は局番（16 進 2 桁、大文字）です（例 station=01）"));
      g.station = std::string(value);
      continue;
    }
    if (key == "source") {
      const auto src = parseDeviceSpan(value);
      if (!src || src->count() != 1) return fail(omb::trs("Generators", "source は一つのデバイスです（例 source=X0）"));
      g.source = *src;
      haveSource = true;
      continue;
    }
    const auto v = real(value);
    if (!v) return fail(key + omb::trs("Generators", " の値 \"") + std::string(value) + omb::trs("Generators", "\" は数値ではありません"));
    if (key == "period" || key == "delay") {
      if (*v < (key == "period" ? 1 : 0) || *v > 86400000 || *v != std::floor(*v))
        return fail(key + omb::trs("Generators", " は ") + (key == "period" ? "1" : "0") + omb::trs("Generators", " 以上のミリ秒（整数）です"));
      (key == "period" ? g.periodMs : g.delayMs) = static_cast<std::int64_t>(*v);
    } else if (key == "step") {
      g.step = *v;
    } else if (key == "min") {
      g.min = *v, haveMin = true;
    } else if (key == "max") {
      g.max = *v, haveMax = true;
    } else if (key == "offset") {
      g.offset = *v;
    } else if (key == "amplitude") {
      g.amplitude = *v;
    } else if (key == "duty") {
      if (*v < 0 || *v > 1) return fail(omb::trs("Generators", "duty は 0 から 1 までです"));
      g.duty = *v;
    } else if (key == "seed") {
      if (*v < 0 || *v != std::floor(*v)) return fail(omb::trs("Generators", "seed は 0 以上の整数です"));
      g.seed = static_cast<std::uint64_t>(*v);
    } else {
      return fail("\"" + key + omb::trs("Generators", "\" は使えない項目です"));
    }
  }
  if (g.kind == GeneratorKind::Follow && !haveSource) return fail(omb::trs("Generators", "follow には source=デバイス が必要です"));
  if (g.kind != GeneratorKind::Follow && haveSource) return fail(omb::trs("Generators", "source は follow にだけ指定できます"));
  if (g.kind == GeneratorKind::Follow && g.source.kind == g.target.kind && g.source.first >= g.target.first &&
      g.source.first <= g.target.last)
    return fail(omb::trs("Generators", "follow の source ") + deviceSpanText(g.source) + omb::trs("Generators", " は自分の書き込み先です（自分自身には追従できません）"));
  if (g.kind == GeneratorKind::Square) {
    if (!haveMin) g.min = 0;
    if (!haveMax) g.max = 1;
  }
  if (bits && !haveMax && g.kind != GeneratorKind::Square) g.max = 1;
  if (g.min > g.max) return fail(omb::trs("Generators", "min が max より大きくなっています"));
  if (g.kind == GeneratorKind::Counter && (g.step != std::floor(g.step) || g.min != std::floor(g.min) ||
                                           g.max != std::floor(g.max)))
    return fail(omb::trs("Generators", "counter の step, min, max は整数です"));
  return g;
}

std::string generatorText(const GeneratorSpec& g) {
  std::string t;
  for (const KindName& k : kKinds)
    if (k.kind == g.kind) t = k.name;
  t += " " + deviceSpanText(g.target);
  switch (g.kind) {
    case GeneratorKind::Counter:
      t += " step=" + number(g.step) + " min=" + number(g.min) + " max=" + number(g.max);
      break;
    case GeneratorKind::Ramp:
    case GeneratorKind::Sine:
      t += " offset=" + number(g.offset) + " amplitude=" + number(g.amplitude);
      break;
    case GeneratorKind::Random:
      t += " min=" + number(g.min) + " max=" + number(g.max) + " seed=" + std::to_string(g.seed);
      break;
    case GeneratorKind::Square:
      t += " duty=" + number(g.duty);
      if (isWordKind(g.target.kind)) t += " min=" + number(g.min) + " max=" + number(g.max);
      break;
    case GeneratorKind::Follow:
      t += " source=" + deviceSpanText(g.source);
      if (g.delayMs > 0) t += " delay=" + std::to_string(g.delayMs);
      if (g.invert) t += " invert";
      break;
  }
  if (g.kind != GeneratorKind::Follow) t += " period=" + std::to_string(g.periodMs);
  if (!g.station.empty()) t += " station=" + g.station;
  if (g.paused) t += " paused";
  return t;
}

std::int32_t generatorValueAt(const GeneratorSpec& g, std::int64_t elapsedMs) {
  const std::int64_t n = steps(elapsedMs, g.periodMs);
  const double phase = elapsedMs <= 0 ? 0.0
                                      : static_cast<double>(elapsedMs % g.periodMs) / static_cast<double>(g.periodMs);
  switch (g.kind) {
    case GeneratorKind::Counter: {
      const auto lo = static_cast<std::int64_t>(g.min), hi = static_cast<std::int64_t>(g.max);
      const std::int64_t range = hi - lo + 1;
      const std::int64_t start = g.step >= 0 ? lo : hi;
      // Modulo the range first, so that long runs never overflow.
      const std::int64_t moved = ((n % range) * (static_cast<std::int64_t>(g.step) % range)) % range;
      return static_cast<std::int32_t>(((start - lo + moved) % range + range) % range + lo);
    }
    case GeneratorKind::Ramp:
      return static_cast<std::int32_t>(std::lround(g.offset + g.amplitude * phase));
    case GeneratorKind::Sine:
      return static_cast<std::int32_t>(std::lround(g.offset + g.amplitude * std::sin(2 * std::numbers::pi * phase)));
    case GeneratorKind::Random: {
      const auto lo = static_cast<std::int64_t>(std::ceil(g.min)), hi = static_cast<std::int64_t>(std::floor(g.max));
      const auto range = static_cast<std::uint64_t>(std::max<std::int64_t>(hi - lo + 1, 1));
      return static_cast<std::int32_t>(lo + static_cast<std::int64_t>(mix(g.seed * 0x100000001B3ull + static_cast<std::uint64_t>(n)) % range));
    }
    case GeneratorKind::Square:
      return static_cast<std::int32_t>(phase < g.duty ? g.max : g.min);
    case GeneratorKind::Follow:
      break;
  }
  return 0;
}

DeviceMemory* GeneratorSet::memoryOf(const GeneratorSpec& spec) const {
  if (spec.station.empty()) return &memory_;
  return stationMemory ? stationMemory(spec.station) : nullptr;
}

bool GeneratorSet::valid(const DeviceMemory& memory, const DeviceSpan& s) {
  if (s.kind < 0) return false;
  const auto first = memory.deviceAt(s.kind, s.first), last = memory.deviceAt(s.kind, s.last);
  return first && last && first->kind == last->kind;
}

std::int32_t GeneratorSet::read(const DeviceMemory& memory, const DeviceSpan& s) {
  return memory.deviceValue(s.kind, s.first).value_or(0);
}

bool GeneratorSet::write(DeviceMemory& memory, const DeviceSpan& s, std::int32_t value) {
  bool any = false;
  for (std::int64_t n = s.first; n <= s.last; ++n) any = memory.writeDevice(s.kind, static_cast<std::int32_t>(n), value) || any;
  return any;
}

bool GeneratorSet::usable(const GeneratorSpec& spec, std::string& error) const {
  const DeviceMemory* memory = memoryOf(spec);
  if (!memory) {
    error = omb::trs("Generators", "局番 ") + spec.station + omb::trs("Generators", " はこの回線にありません");
    return false;
  }
  for (const DeviceSpan* span : {&spec.target, &spec.source}) {
    if (span == &spec.source && spec.kind != GeneratorKind::Follow) break;
    if (!valid(*memory, *span)) {
      error = omb::trs("Generators", "デバイス範囲外です: ") + deviceSpanText(*span);
      return false;
    }
  }
  return true;
}

namespace {

// Followers without a delay that follow each other round in a ring would
// hand a value on from one to the next at every tick, for ever: the first
// such ring found, as the index of each member in order; empty when there
// is none.  Linear in the followers and the devices their targets cover.
std::vector<std::size_t> zeroDelayFollowRing(const std::vector<const GeneratorSpec*>& specs) {
  std::map<std::pair<int, std::int32_t>, std::vector<std::size_t>> bySource;
  std::vector<std::size_t> followers;
  for (std::size_t i = 0; i < specs.size(); ++i) {
    const GeneratorSpec& g = *specs[i];
    if (g.kind != GeneratorKind::Follow || g.delayMs != 0) continue;
    bySource[{g.source.kind, g.source.first}].push_back(i);
    followers.push_back(i);
  }
  auto next = [&](std::size_t i) {
    std::vector<std::size_t> out;
    const DeviceSpan& t = specs[i]->target;
    if (t.count() <= static_cast<std::int64_t>(bySource.size())) {
      for (std::int64_t n = t.first; n <= t.last; ++n)
        if (auto it = bySource.find({t.kind, static_cast<std::int32_t>(n)}); it != bySource.end())
          out.insert(out.end(), it->second.begin(), it->second.end());
    } else {
      for (const auto& [key, members] : bySource)
        if (key.first == t.kind && key.second >= t.first && key.second <= t.last)
          out.insert(out.end(), members.begin(), members.end());
    }
    return out;
  };
  enum : char { kNew, kOnPath, kDone };
  std::vector<char> state(specs.size(), kNew);
  for (std::size_t root : followers) {
    if (state[root] != kNew) continue;
    // Depth first without recursion: a long chain must not exhaust the stack.
    std::vector<std::pair<std::size_t, std::vector<std::size_t>>> path;
    path.push_back({root, next(root)});
    state[root] = kOnPath;
    while (!path.empty()) {
      auto& [node, todo] = path.back();
      if (todo.empty()) {
        state[node] = kDone;
        path.pop_back();
        continue;
      }
      const std::size_t n = todo.back();
      todo.pop_back();
      if (state[n] == kOnPath) {
        std::vector<std::size_t> ring;
        bool in = false;
        for (const auto& step : path) {
          if (step.first == n) in = true;
          if (in) ring.push_back(step.first);
        }
        return ring;
      }
      if (state[n] == kNew) {
        state[n] = kOnPath;
        path.push_back({n, next(n)});
      }
    }
  }
  return {};
}

std::string ringText(const std::vector<const GeneratorSpec*>& specs, const std::vector<std::size_t>& ring) {
  std::string t;
  for (std::size_t i : ring) t += deviceSpanText(specs[i]->source) + omb::trs("Generators", " → ");
  return omb::trs("Generators", "遅延のない follow が輪になっています（") + t + deviceSpanText(specs[ring.front()]->source) +
         omb::trs("Generators", "）。どれかに delay を付けてください");
}

}  // namespace

std::optional<int> GeneratorSet::add(GeneratorSpec spec, std::int64_t nowMs, std::string& error) {
  if (!usable(spec, error)) return std::nullopt;
  if (spec.kind == GeneratorKind::Follow && spec.delayMs == 0) {
    std::vector<const GeneratorSpec*> all;
    for (const Entry& e : entries_) all.push_back(&e.spec);
    all.push_back(&spec);
    if (const auto ring = zeroDelayFollowRing(all); !ring.empty()) {
      error = ringText(all, ring);
      return std::nullopt;
    }
  }
  const int id = addEntry(std::move(spec), nowMs);
  notify();
  return id;
}

int GeneratorSet::addEntry(GeneratorSpec spec, std::int64_t nowMs) {
  Entry e;
  e.id = nextId_++;
  e.spec = spec;
  e.startedAt = nowMs;
  e.pausedAt = nowMs;
  entries_.push_back(std::move(e));
  histories_.emplace_back();
  return entries_.back().id;
}

bool GeneratorSet::replace(int id, GeneratorSpec spec, std::int64_t nowMs, std::string& error) {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].id != id) continue;
    if (!usable(spec, error)) return false;
    entries_[i] = Entry{id, std::move(spec), nowMs, nowMs, std::nullopt};
    histories_[i] = History{};
    notify();
    return true;
  }
  error = omb::trs("Generators", "値の自動変化 ") + std::to_string(id) + omb::trs("Generators", " はありません");
  return false;
}

bool GeneratorSet::remove(int id) {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].id == id) {
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
      histories_.erase(histories_.begin() + static_cast<std::ptrdiff_t>(i));
      notify();
      return true;
    }
  return false;
}

void GeneratorSet::clear() {
  entries_.clear();
  histories_.clear();
  notify();
}

bool GeneratorSet::pause(int id, std::int64_t nowMs) {
  for (Entry& e : entries_)
    if (e.id == id && !e.spec.paused) {
      e.spec.paused = true;
      e.pausedAt = nowMs;
      notify();
      return true;
    }
  return false;
}

bool GeneratorSet::resume(int id, std::int64_t nowMs) {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Entry& e = entries_[i];
    if (e.id != id || !e.spec.paused) continue;
    e.spec.paused = false;
    e.startedAt += nowMs - e.pausedAt;  // the wave goes on where it stopped
    histories_[i].samples.clear();      // a follower starts afresh
    notify();
    return true;
  }
  return false;
}

bool GeneratorSet::tick(std::int64_t nowMs) {
  // Each memory written publishes once, the first station's first.
  std::vector<DeviceMemory*> written;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Entry& e = entries_[i];
    if (e.spec.paused) continue;
    DeviceMemory* memory = memoryOf(e.spec);
    if (!memory) continue;  // its station is no longer served
    std::int32_t v = 0;
    if (e.spec.kind == GeneratorKind::Follow) {
      v = read(*memory, e.spec.source);
      if (e.spec.delayMs > 0) {
        auto& h = histories_[i].samples;
        if (h.empty() || h.back().second != v) h.emplace_back(nowMs, v);
        // The value the source had delay ms ago: the last sample at or
        // before then; nothing until the source has been watched that long.
        const std::int64_t then = nowMs - e.spec.delayMs;
        while (h.size() > 1 && h[1].first <= then) h.pop_front();
        if (h.front().first > then) continue;
        v = h.front().second;
      }
      if (e.spec.invert) v = isWordKind(e.spec.target.kind) ? static_cast<std::uint16_t>(~v) : !v;
    } else {
      v = generatorValueAt(e.spec, nowMs - e.startedAt);
    }
    if (e.written && *e.written == v) continue;
    e.written = v;
    if (write(*memory, e.spec.target, v) && std::find(written.begin(), written.end(), memory) == written.end())
      written.push_back(memory);
  }
  std::sort(written.begin(), written.end(), [this](DeviceMemory* a, DeviceMemory* b) { return a == &memory_ && b != &memory_; });
  for (DeviceMemory* m : written) m->publish("All");
  return !written.empty();
}

std::optional<std::int64_t> GeneratorSet::nextDueMs(std::int64_t nowMs) const {
  std::optional<std::int64_t> due;
  auto sooner = [&](std::int64_t t) { due = due ? std::min(*due, t) : t; };
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    if (e.spec.paused) continue;
    const bool delayed = e.spec.kind == GeneratorKind::Follow && e.spec.delayMs > 0;
    if (!e.written) {
      // A delayed follower writes nothing until its source has been watched
      // for the delay.
      const auto& h = histories_[i].samples;
      sooner(delayed && !h.empty() ? std::max(nowMs + 1, h.front().first + e.spec.delayMs) : nowMs);
      continue;
    }
    const std::int64_t elapsed = nowMs - e.startedAt;
    if (stepping(e.spec.kind)) {
      const std::int64_t p = e.spec.periodMs;
      std::int64_t next = e.startedAt + (steps(elapsed, p) + 1) * p;
      if (e.spec.kind == GeneratorKind::Square) {
        // Square waves also change at the duty point within the period.
        const std::int64_t edge = e.startedAt + steps(elapsed, p) * p +
                                  static_cast<std::int64_t>(std::ceil(e.spec.duty * static_cast<double>(p)));
        if (edge > nowMs) next = std::min(next, edge);
      }
      sooner(next);
    } else if (e.spec.kind == GeneratorKind::Follow && e.spec.delayMs > 0 && !histories_[i].samples.empty() &&
               histories_[i].samples.size() > 1) {
      sooner(std::min(nowMs + 10, histories_[i].samples[1].first + e.spec.delayMs));
    } else {
      sooner(nowMs + std::clamp<std::int64_t>(e.spec.periodMs / 100, 1, 10));
    }
  }
  return due;
}

bool GeneratorSet::load(std::string_view text, std::int64_t nowMs, std::string& error, bool replace) {
  std::vector<GeneratorSpec> read;
  std::vector<int> lines;
  int lineNo = 0;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    ++lineNo;
    line = line.substr(0, line.find('#'));  // a comment, the whole line or its end
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.remove_suffix(1);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front()))) line.remove_prefix(1);
    if (line.empty()) continue;
    std::string why;
    auto g = parseGenerator(line, why);
    if (g && !usable(*g, why)) g.reset();
    if (!g) {
      error = omb::fill(omb::trs("Generators", "%1 行目: "), {std::to_string(lineNo)}) + why;
      return false;
    }
    read.push_back(*g);
    lines.push_back(lineNo);
  }
  // Followers that would pass values round a ring for ever, among those of
  // the file and (when added to them) those running.
  std::vector<const GeneratorSpec*> all;
  if (!replace)
    for (const Entry& e : entries_) all.push_back(&e.spec);
  const std::size_t firstRead = all.size();
  for (const GeneratorSpec& g : read) all.push_back(&g);
  if (const auto ring = zeroDelayFollowRing(all); !ring.empty()) {
    const std::size_t at = *std::max_element(ring.begin(), ring.end());
    error = (at >= firstRead ? omb::fill(omb::trs("Generators", "%1 行目: "), {std::to_string(lines[at - firstRead])}) : std::string()) + ringText(all, ring);
    return false;
  }
  if (replace) {
    entries_.clear();
    histories_.clear();
  }
  // A paused one is added paused: it writes nothing until resumed.  Whoever
  // watches is told once, not once a line (a tick for every line would make
  // a long file quadratic).
  entries_.reserve(entries_.size() + read.size());
  histories_.reserve(histories_.size() + read.size());
  for (GeneratorSpec& g : read) addEntry(std::move(g), nowMs);
  if (replace || !read.empty()) notify();
  return true;
}

std::string GeneratorSet::save() const {
  std::string out = "# Ombrisal: values that move by themselves (one generator a line)\n";
  for (const Entry& e : entries_) out += generatorText(e.spec) + "\n";
  return out;
}

}  // namespace omb
