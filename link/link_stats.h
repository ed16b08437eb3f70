// Counts of what went over the line, for the window and the serve mode's
// summary at exit:
//   requests     frames handed to a station's checks (requests for a
//                station not simulated and the PC program's own ACK/NAK
//                included)
//   replies      replies sent, positive or negative, faults included
//   NAKs         negative replies by error code (line-error replies too)
//   line errors  framing, overrun, parity, buffer errors of the line
//   faults       injected faults
//   latency      from the last byte of a request to its reply leaving, in
//                microseconds; the message wait and any delay fault count.
// Latency keeps the latest 100,000 figures, enough for a stable p99 while
// the memory stays bounded on a line that runs for days.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace omb {

struct LatencySummary {
  std::uint64_t count = 0;  // replies measured since the start (not only those kept)
  double medianMs = 0, p99Ms = 0, maxMs = 0;
};

class LinkStats {
 public:
  static constexpr std::size_t kLatencyKept = 100000;

  void request() { ++requests_; }
  // A reply (or its first part) left `latencyUs` after the request's last
  // byte; `nakCode` is set for a negative reply.
  void reply(std::int64_t latencyUs, const std::string& nakCode = {});
  void lineError(const std::string& nakCode);
  void fault() { ++faults_; }
  void reset();

  std::uint64_t requests() const { return requests_; }
  std::uint64_t replies() const { return replies_; }
  std::uint64_t lineErrors() const { return lineErrors_; }
  std::uint64_t faults() const { return faults_; }
  const std::map<std::string, std::uint64_t>& naks() const { return naks_; }
  LatencySummary latency() const;

  // One JSON object on one line.
  std::string json() const;
  // A few lines for a person (Japanese, as the window shows them).
  std::string text() const;

 private:
  std::uint64_t requests_ = 0, replies_ = 0, lineErrors_ = 0, faults_ = 0, measured_ = 0;
  std::map<std::string, std::uint64_t> naks_;
  std::vector<std::int64_t> latencyUs_;  // a ring once full
  std::size_t next_ = 0;
  std::int64_t maxUs_ = 0;
};

}  // namespace omb
