#include "core/trend.h"

#include <cmath>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace omb {

namespace {

// The device a storage position holds: its code's kind and number.
std::pair<int, std::int32_t> deviceAt(const DeviceMemory& m, int storageKind, std::int64_t index, int bit) {
  const int kind = storageKind == kDx ? kD : storageKind == kMx ? kM : storageKind;
  const std::int64_t pos = isWordKind(storageKind) ? index : index * 16 + bit;
  return {kind, static_cast<std::int32_t>(m.firstNumber(storageKind) + pos)};
}

std::string_view field(std::string_view& line) {
  const std::size_t comma = line.find(',');
  const std::string_view f = line.substr(0, comma);
  line = comma == std::string_view::npos ? std::string_view{} : line.substr(comma + 1);
  return f;
}

std::optional<double> real(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ')) s.remove_suffix(1);
  const std::string t(s);
  if (t.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (*end != '\0') return std::nullopt;
  return v;
}

std::string format(double v, const char* fmt) {
  char b[48];
  std::snprintf(b, sizeof b, fmt, v);
  return b;
}

}  // namespace

ChangeRecorder::ChangeRecorder(DeviceMemory& memory, const Clock& clock, std::function<void(std::string_view)> sink)
    : ChangeRecorder(memory, clock, std::move(sink), Options{}) {}

ChangeRecorder::ChangeRecorder(DeviceMemory& memory, const Clock& clock, std::function<void(std::string_view)> sink,
                               Options options)
    : memory_(memory),
      clock_(clock),
      sink_(std::move(sink)),
      startUs_(options.startUs.value_or(clock.steadyUs())),
      station_(options.station.empty() ? std::string() : options.station + ",") {
  for (int k = 0; k < kKindCount; ++k) shadow_[static_cast<std::size_t>(k)] = memory_.words(k);
  subscription_ = memory_.subscribe([this](const ChangeNotice& n) { onChange(n); });
  if (options.header) sink_(station_.empty() ? "time_ms,device,value\n" : "time_ms,station,device,value\n");
}

ChangeRecorder::~ChangeRecorder() { memory_.unsubscribe(subscription_); }

void ChangeRecorder::onChange(const ChangeNotice& n) {
  text_.clear();
  std::string stamp;
  for (const DeviceChange& c : n.changes.changes()) {
    const auto k = static_cast<std::size_t>(c.kind);
    const std::vector<std::int16_t>& now = memory_.words(c.kind);
    std::vector<std::int16_t>& was = shadow_[k];
    if (was.size() != now.size()) was.assign(now.size(), 0);  // storage dimensioned anew
    for (std::int64_t i = c.firstWord; i <= c.lastWord && i < static_cast<std::int64_t>(now.size()); ++i) {
      const auto u = static_cast<std::size_t>(i);
      const auto before = static_cast<std::uint16_t>(was[u]), after = static_cast<std::uint16_t>(now[u]);
      if (before == after) continue;
      was[u] = now[u];
      if (stamp.empty()) stamp = format(static_cast<double>(clock_.steadyUs() - startUs_) / 1000.0, "%.3f");
      auto row = [&](int bit, unsigned value) {
        const auto [kind, number] = deviceAt(memory_, c.kind, i, bit);
        text_ += stamp + "," + station_ + deviceName(kind, number) + "," + std::to_string(value) + "\n";
        ++rows_;
      };
      if (isWordKind(c.kind)) {
        row(0, after);
      } else {
        for (int b = 0; b < 16; ++b)
          if (((before ^ after) >> b) & 1) row(b, (after >> b) & 1);
      }
    }
  }
  if (!text_.empty()) sink_(text_);
}

std::vector<Trace> readRecording(std::string_view csv, std::size_t& skipped) {
  std::vector<Trace> traces;
  std::map<std::string, std::size_t, std::less<>> index;
  skipped = 0;
  bool first = true;
  bool stations = false;  // rows name their station: the trace is "01:D100"
  while (!csv.empty()) {
    const std::size_t nl = csv.find('\n');
    std::string_view line = csv.substr(0, nl);
    csv = nl == std::string_view::npos ? std::string_view{} : csv.substr(nl + 1);
    if (first) {
      first = false;
      if (line.rfind("time_ms", 0) == 0) {
        stations = line.rfind("time_ms,station,", 0) == 0;
        continue;
      }
    }
    if (line.empty() || line == "\r") continue;
    const auto t = real(field(line));
    const std::string_view station = stations ? field(line) : std::string_view{};
    const std::string_view device = field(line);
    const auto v = real(field(line));
    const auto span = parseDeviceSpan(device);
    if (!t || !v || !span || span->count() != 1 || (stations && station.empty())) {
      ++skipped;
      continue;
    }
    const std::string name = stations ? std::string(station) + ":" + std::string(device) : std::string(device);
    auto it = index.find(name);
    if (it == index.end()) {
      it = index.emplace(name, traces.size()).first;
      traces.push_back(Trace{name, *span, {}});
    }
    traces[it->second].points.emplace_back(*t / 1000.0, *v);
  }
  return traces;
}

std::optional<double> traceValueAt(const Trace& trace, double t) {
  const auto& p = trace.points;
  auto it = std::upper_bound(p.begin(), p.end(), t, [](double x, const auto& pt) { return x < pt.first; });
  if (it == p.begin()) return std::nullopt;
  return std::prev(it)->second;
}

TraceSet::TraceSet(DeviceMemory& memory, const Clock& clock, std::size_t maxPoints)
    : memory_(memory), clock_(clock), maxPoints_(std::max<std::size_t>(maxPoints, 2)), startUs_(clock.steadyUs()) {
  subscription_ = memory_.subscribe([this](const ChangeNotice&) { sample(); });
}

TraceSet::~TraceSet() { memory_.unsubscribe(subscription_); }

double TraceSet::now() const { return static_cast<double>(clock_.steadyUs() - startUs_) / 1e6; }

std::optional<std::int32_t> TraceSet::value(const DeviceSpan& s) const { return memory_.deviceValue(s.kind, s.first); }

bool TraceSet::add(std::string_view device) {
  const auto span = parseDeviceSpan(device);
  if (!span || span->count() != 1 || !value(*span)) return false;
  const std::string name = deviceName(span->kind, span->first);
  for (const Trace& t : traces_)
    if (t.device == name) return false;
  traces_.push_back(Trace{name, *span, {}});
  const auto v = value(*span);
  traces_.back().points.emplace_back(now(), *v);
  return true;
}

void TraceSet::remove(std::size_t index) {
  if (index < traces_.size()) traces_.erase(traces_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TraceSet::clear() { traces_.clear(); }

void TraceSet::sample() {
  if (!paused_) sampleAt(now());
}

void TraceSet::sampleAt(double t) {
  for (Trace& tr : traces_) {
    const auto v = value(tr.span);
    if (!v) continue;
    if (!tr.points.empty() && tr.points.back().second == *v) continue;
    // A step: the old value up to now, then the new one, so lines stay square.
    if (!tr.points.empty()) tr.points.emplace_back(t, tr.points.back().second);
    tr.points.emplace_back(t, *v);
    // The oldest go a quarter at a time, so a full trace costs no more per sample.
    if (tr.points.size() > maxPoints_ + maxPoints_ / 4)
      tr.points.erase(tr.points.begin(), tr.points.begin() + static_cast<std::ptrdiff_t>(tr.points.size() - maxPoints_));
  }
}

std::string TraceSet::csv(double t0, double t1) const { return tracesCsv(traces_, t0, t1); }

std::string tracesCsv(const std::vector<Trace>& traces, double t0, double t1) {
  std::string out = "time_s";
  for (const Trace& t : traces) out += "," + t.device;
  out += "\n";
  std::vector<double> times;
  for (const Trace& t : traces)
    for (const auto& p : t.points)
      if (p.first >= t0 && p.first <= t1) times.push_back(p.first);
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  for (double time : times) {
    out += format(time, "%.3f");
    for (const Trace& t : traces) {
      out += ",";
      if (const auto v = traceValueAt(t, time)) out += format(*v, "%.10g");
    }
    out += "\n";
  }
  return out;
}

std::vector<std::pair<double, double>> tracePlot(const Trace& trace, double t0, double t1, double end,
                                                 std::size_t buckets) {
  std::vector<std::pair<double, double>> out;
  const double stop = std::min(t1, end);
  const auto& p = trace.points;
  if (p.empty() || stop < t0 || stop < p.front().first) return out;
  // The first point after t0 (a point at t0 itself is the starting value).
  auto it = std::upper_bound(p.begin(), p.end(), t0, [](double x, const auto& pt) { return x < pt.first; });
  const auto last = std::upper_bound(it, p.end(), stop, [](double x, const auto& pt) { return x < pt.first; });
  double value = it == p.begin() ? it->second : std::prev(it)->second;
  out.emplace_back(std::max(t0, p.front().first), value);
  auto step = [&](double t, double v) {
    if (v == value) return;
    if (out.back().first < t) out.emplace_back(t, value);
    out.emplace_back(t, v);
    value = v;
  };
  const auto inRange = static_cast<std::size_t>(last - it);
  if (buckets == 0 || inRange <= 4 * buckets) {
    for (; it != last; ++it) step(it->first, it->second);
  } else {
    const double width = (stop - t0) / static_cast<double>(buckets);
    while (it != last) {
      // One slice drawn as a stroke at its first change: from the value
      // before, through its lowest and highest, to its last value.
      const double sliceEnd = t0 + width * (std::floor((it->first - t0) / width) + 1);
      const double at = it->first;
      double lo = it->second, hi = it->second, close = it->second;
      do {  // at least one point, whatever the rounding of sliceEnd
        lo = std::min(lo, it->second);
        hi = std::max(hi, it->second);
        close = it->second;
      } while (++it != last && it->first < sliceEnd);
      if (out.back().first < at) out.emplace_back(at, value);
      for (const double v : {lo, hi, close}) out.emplace_back(at, v);
      value = close;
    }
  }
  if (out.back().first < stop) out.emplace_back(stop, value);
  return out;
}

}  // namespace omb
