#include "link/link_stats.h"

#include <algorithm>
#include <cstdio>

#include "core/translate.h"

namespace omb {

void LinkStats::reply(std::int64_t latencyUs, const std::string& nakCode) {
  ++replies_;
  if (!nakCode.empty()) ++naks_[nakCode];
  if (latencyUs < 0) latencyUs = 0;
  ++measured_;
  maxUs_ = std::max(maxUs_, latencyUs);
  if (latencyUs_.size() < kLatencyKept) {
    latencyUs_.push_back(latencyUs);
  } else {
    latencyUs_[next_] = latencyUs;
    next_ = (next_ + 1) % kLatencyKept;
  }
}

void LinkStats::lineError(const std::string& nakCode) {
  ++lineErrors_;
  if (!nakCode.empty()) ++naks_[nakCode];
}

void LinkStats::reset() { *this = LinkStats{}; }

LatencySummary LinkStats::latency() const {
  LatencySummary s;
  s.count = measured_;
  if (latencyUs_.empty()) return s;
  std::vector<std::int64_t> v = latencyUs_;
  // The nearest rank: the smallest figure with at least q of all at or below it.
  auto rank = [&](double q) {
    std::size_t k = static_cast<std::size_t>(q * static_cast<double>(v.size()) + 0.999999);
    k = std::clamp<std::size_t>(k, 1, v.size()) - 1;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return static_cast<double>(v[k]) / 1000.0;
  };
  s.medianMs = rank(0.5);
  s.p99Ms = rank(0.99);
  s.maxMs = static_cast<double>(maxUs_) / 1000.0;
  return s;
}

std::string LinkStats::json() const {
  const LatencySummary l = latency();
  std::string naks;
  for (const auto& [code, n] : naks_) naks += (naks.empty() ? "\"" : ",\"") + code + "\":" + std::to_string(n);
  char lat[160];
  std::snprintf(lat, sizeof lat, "{\"count\":%llu,\"median\":%.3f,\"p99\":%.3f,\"max\":%.3f}",
                static_cast<unsigned long long>(l.count), l.medianMs, l.p99Ms, l.maxMs);
  return "{\"requests\":" + std::to_string(requests_) + ",\"replies\":" + std::to_string(replies_) + ",\"naks\":{" +
         naks + "},\"line_errors\":" + std::to_string(lineErrors_) + ",\"faults\":" + std::to_string(faults_) +
         ",\"latency_ms\":" + lat + "}";
}

std::string LinkStats::text() const {
  const LatencySummary l = latency();
  std::string naks;
  for (const auto& [code, n] : naks_) naks += (naks.empty() ? "" : ", ") + code + "H: " + std::to_string(n);
  auto ms = [](double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.3f", v);
    return std::string(b);
  };
  const std::string lat = fill(trs("LinkStats", "応答時間 (ms)　: 中央値 %1 / p99 %2 / 最大 %3（%4 件）"),
                               {ms(l.medianMs), ms(l.p99Ms), ms(l.maxMs), std::to_string(l.count)});
  return trs("LinkStats", "要求　　　　　: ") + std::to_string(requests_) + "\n" + trs("LinkStats", "応答　　　　　: ") +
         std::to_string(replies_) + "\n" + trs("LinkStats", "否定応答　　　: ") +
         (naks.empty() ? trs("LinkStats", "なし") : naks) + "\n" + trs("LinkStats", "回線エラー　　: ") +
         std::to_string(lineErrors_) + "\n" + trs("LinkStats", "障害注入　　　: ") + std::to_string(faults_) + "\n" +
         lat + "\n";
}

}  // namespace omb
