// Faults injected into the replies, so that a PC program's handling of a
// bad line can be tested on purpose and repeated exactly.
//
// A rule is one line of comma-separated keys: exactly one action and any
// number of conditions.
//   Actions      delay=MS        the reply leaves MS later (on top of the
//                                request's own message wait)
//                drop            the request is executed, nothing is sent
//                nak=CODE        nothing is executed; a NAK with the two
//                                hexadecimal digits CODE is sent
//                badsum          the two sum-check characters of a data
//                                reply are made wrong (replies without a sum
//                                are left alone and nothing is counted)
//                flip            one byte of the reply is XORed with mask
//                insert=HH       the byte HH is inserted into the reply
//                split=MS        the reply is sent in two parts MS apart;
//                                the engine takes nothing else up meanwhile
//                twice           the reply is sent twice
//   Parameters   at=N            byte position for flip, insert and split
//                                (0 = first byte; default: the middle)
//                mask=HH         flip mask (default 01)
//   Conditions   cmd=WR          the request's command
//                dev=D100-D199   a request whose devices overlap the range
//                                (dev=D100 for one device; numbers in the
//                                device's own radix); a request refused by
//                                the checks has no devices and never matches
//                every=N         every N-th request that matches the rest
//                p=0.25          with this probability
// Only requests that are answered are considered (not a request for another
// station, not the PC program's own ACK/NAK).  Rules are tried in order;
// every rule whose conditions match counts the request towards its every=N;
// the first rule that fires is the one applied, so one request suffers at
// most one fault.  Probabilities are drawn from a generator seeded with the
// injector's seed, so the same seed and the same traffic give the same
// faults.
//
// A rules file holds one rule per line; blank lines and lines starting with
// '#' are skipped, and "seed N" sets the seed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace omb {

enum class FaultAction { Delay, Drop, Nak, BadSum, Flip, Insert, Split, Twice };

struct FaultRule {
  FaultAction action = FaultAction::Drop;
  int ms = 0;             // delay, split gap
  std::string nakCode;    // nak: two hexadecimal digits
  int at = -1;            // flip, insert, split: -1 the middle of the reply
  std::uint8_t byte = 0;  // insert: the byte; flip: the mask
  std::string command;    // empty: any
  int deviceKind = -1;    // -1: any
  std::int32_t first = 0, last = 0;
  int every = 1;
  double probability = 1.0;
  std::string text;  // as written, for the marks and the window
};

// A rule from its text; empty with `error` set (Japanese, for the user).
std::optional<FaultRule> parseFaultRule(std::string_view text, std::string& error);
// What the rule does, as the traffic log's mark says it.
std::string faultDescription(const FaultRule& rule);

// What a request offers the conditions.
struct FaultSubject {
  std::string_view command;
  int deviceKind = -1;  // -1: no devices (refused, or a list command)
  std::int32_t first = 0;
  std::int32_t count = 0;
};

// The reply as it goes out under a fault.
struct ShapedReply {
  std::string first;   // sent at once
  std::string second;  // sent after gapMs (split), or a second copy (twice)
  int gapMs = 0;
  bool applies = true;  // false: the fault has nothing to work on (badsum without a sum)
};
ShapedReply shapeReply(const FaultRule& rule, std::string_view reply, bool summed, std::string_view lineEnd);

class FaultInjector {
 public:
  struct Entry {
    FaultRule rule;
    std::uint64_t matched = 0;  // requests its conditions matched
    std::uint64_t fired = 0;    // faults it injected
  };

  void add(FaultRule rule);
  // Every rule gone; the counts go with them.
  void clear();
  void remove(std::size_t index);
  const std::vector<Entry>& rules() const { return rules_; }
  // Reads a rules file's text; on a mistake nothing is added and `error`
  // names the line.
  bool load(std::string_view text, std::string& error);

  void setSeed(std::uint64_t seed);
  std::uint64_t seed() const { return seed_; }
  // Switched off, no rule is tried (the rules and counts stay).
  void setEnabled(bool on) { enabled_ = on; }
  bool enabled() const { return enabled_; }

  // The rule to apply to a request, or -1.  Counts the request for every
  // matching rule.
  int pick(const FaultSubject& subject);
  // A picked fault was injected (a badsum that found no sum is not).
  void fired(int index);
  std::uint64_t injected() const { return injected_; }
  const FaultRule& rule(int index) const { return rules_.at(static_cast<std::size_t>(index)).rule; }

  // The rules changed (for a window; the counts are read when shown).
  std::function<void()> changed;

 private:
  double draw();
  void notify() {
    if (changed) changed();
  }

  std::vector<Entry> rules_;
  std::uint64_t seed_ = 1, state_ = 1;
  std::uint64_t injected_ = 0;
  bool enabled_ = true;
};

}  // namespace omb
