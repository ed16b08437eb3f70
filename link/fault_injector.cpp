#include "link/fault_injector.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "core/device_kind.h"
#include "link/request.h"
#include "core/translate.h"

namespace omb {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

template <class T>
std::optional<T> number(std::string_view s, int base, T lo, T hi) {
  T v{};
  if (s.empty()) return std::nullopt;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc{} || p != s.data() + s.size() || v < lo || v > hi) return std::nullopt;
  return v;
}

std::optional<double> probability(std::string_view s) {
  // from_chars for double is not in every standard library we build with.
  std::string text(s);
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || v < 0 || v > 1) return std::nullopt;
  return v;
}

bool isUpperHex(std::string_view s) {
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'A' || c > 'F')) return false;
  return true;
}

std::string hexByte(unsigned v) {
  char b[3];
  std::snprintf(b, sizeof b, "%02X", v & 0xFFu);
  return b;
}

bool hasAt(FaultAction a) { return a == FaultAction::Flip || a == FaultAction::Insert || a == FaultAction::Split; }

}  // namespace

std::optional<FaultRule> parseFaultRule(std::string_view text, std::string& error) {
  FaultRule r;
  r.text = std::string(trim(text));
  bool haveAction = false, haveMask = false;
  std::string_view rest = r.text;
  auto fail = [&](const std::string& why) {
    error = omb::trs("FaultInjector", "障害注入の規則 \"") + r.text + "\" : " + why;
    return std::nullopt;
  };
  std::vector<std::string> seen;  // a key given twice is a mistake, not "the last wins"
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = trim(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    const std::size_t eq = item.find('=');
    const std::string key(trim(item.substr(0, eq)));
    const std::string_view value = eq == std::string_view::npos ? std::string_view{} : trim(item.substr(eq + 1));
    const bool hasValue = eq != std::string_view::npos;
    if (!key.empty() && std::find(seen.begin(), seen.end(), key) != seen.end())
      return fail("\"" + key + omb::trs("FaultInjector", "\" が二度指定されています"));
    seen.push_back(key);
    auto action = [&](FaultAction a, bool needsValue) {
      if (haveAction) return false;
      if (needsValue != hasValue) return false;
      haveAction = true;
      r.action = a;
      return true;
    };
    if (key == "delay" || key == "split") {
      if (!action(key == "delay" ? FaultAction::Delay : FaultAction::Split, true))
        return fail(key + omb::trs("FaultInjector", " は一つだけ、ミリ秒を付けて指定してください（例 ") + key + omb::trs("FaultInjector", "=100）"));
      // A split with no gap is no split: the reply would leave whole.
      const int least = key == "split" ? 1 : 0;
      const auto ms = number<int>(value, 10, least, 60000);
      if (!ms) return fail(key + omb::trs("FaultInjector", " のミリ秒は ") + std::to_string(least) + omb::trs("FaultInjector", " から 60000 までです"));
      r.ms = *ms;
    } else if (key == "nak") {
      if (!action(FaultAction::Nak, true)) return fail(omb::trs("FaultInjector", "nak は一つだけ、エラーコードを付けて指定してください（例 nak=06）"));
      if (value.size() != 2 || !isUpperHex(value)) return fail(omb::trs("FaultInjector", "nak のエラーコードは 16 進 2 桁です（例 nak=06）"));
      r.nakCode = std::string(value);
    } else if (key == "insert") {
      if (!action(FaultAction::Insert, true)) return fail(omb::trs("FaultInjector", "insert は一つだけ、バイトを付けて指定してください（例 insert=41）"));
      const auto b = number<unsigned>(value, 16, 0, 0xFF);
      if (!b || value.size() != 2) return fail(omb::trs("FaultInjector", "insert のバイトは 16 進 2 桁です（例 insert=41）"));
      r.byte = static_cast<std::uint8_t>(*b);
    } else if (key == "drop" || key == "badsum" || key == "flip" || key == "twice") {
      const FaultAction a = key == "drop"     ? FaultAction::Drop
                            : key == "badsum" ? FaultAction::BadSum
                            : key == "flip"   ? FaultAction::Flip
                                              : FaultAction::Twice;
      if (!action(a, false)) return fail(key + omb::trs("FaultInjector", " は値を取らず、動作は一つだけです"));
    } else if (key == "at") {
      const auto n = number<int>(value, 10, 0, 1 << 20);
      if (!n) return fail(omb::trs("FaultInjector", "at はバイト位置（0 から）です"));
      r.at = *n;
    } else if (key == "mask") {
      const auto m = number<unsigned>(value, 16, 1, 0xFF);
      if (!m || value.size() != 2) return fail(omb::trs("FaultInjector", "mask は 16 進 2 桁（00 以外）です"));
      r.byte = static_cast<std::uint8_t>(*m);
      haveMask = true;
    } else if (key == "cmd") {
      if (value.size() != 2 || !std::isupper(static_cast<unsigned char>(value[0])) ||
          !std::isupper(static_cast<unsigned char>(value[1])))
        return fail(omb::trs("FaultInjector", "cmd はコマンドの英大文字 2 文字です（例 cmd=WR）"));
      if (!findCommand(value)) return fail("cmd=" + std::string(value) + omb::trs("FaultInjector", " はこの通信にないコマンドです"));
      r.command = std::string(value);
    } else if (key == "dev") {
      const auto span = parseDeviceSpan(value);
      if (!span) return fail(omb::trs("FaultInjector", "dev はデバイスか範囲です（例 dev=D100-D199, dev=X40）"));
      r.deviceKind = span->kind;
      r.first = span->first;
      r.last = span->last;
    } else if (key == "every") {
      const auto n = number<int>(value, 10, 1, 1000000);
      if (!n) return fail(omb::trs("FaultInjector", "every は 1 以上の回数です"));
      r.every = *n;
    } else if (key == "p") {
      const auto p = probability(value);
      if (!p) return fail(omb::trs("FaultInjector", "p は 0 から 1 までの確率です（例 p=0.25）"));
      r.probability = *p;
    } else {
      return fail(key.empty() ? std::string(omb::trs("FaultInjector", "空の項目があります")) : "\"" + key + omb::trs("FaultInjector", "\" は使えない項目です"));
    }
  }
  if (!haveAction) return fail(omb::trs("FaultInjector", "動作 (delay drop nak badsum flip insert split twice) がありません"));
  if (r.at >= 0 && !hasAt(r.action)) return fail(omb::trs("FaultInjector", "at は flip, insert, split にだけ指定できます"));
  if (haveMask && r.action != FaultAction::Flip) return fail(omb::trs("FaultInjector", "mask は flip にだけ指定できます"));
  if (r.action == FaultAction::Flip && !haveMask) r.byte = 0x01;
  return r;
}

std::string faultDescription(const FaultRule& r) {
  const std::string where = r.at < 0 ? std::string(omb::trs("FaultInjector", "中央")) : omb::fill(omb::trs("FaultInjector", "%1 バイト目"), {std::to_string(r.at)});
  switch (r.action) {
    case FaultAction::Delay: return omb::trs("FaultInjector", "応答を ") + std::to_string(r.ms) + omb::trs("FaultInjector", " ms 遅延");
    case FaultAction::Drop: return omb::trs("FaultInjector", "応答を破棄（要求は実行済み）");
    case FaultAction::Nak: return omb::trs("FaultInjector", "否定応答 ") + r.nakCode + omb::trs("FaultInjector", " を送信（要求は未実行）");
    case FaultAction::BadSum: return omb::trs("FaultInjector", "サムチェックを破損");
    case FaultAction::Flip: return omb::trs("FaultInjector", "応答の") + where + omb::trs("FaultInjector", "を反転 (XOR ") + hexByte(r.byte) + ")";
    case FaultAction::Insert: return omb::trs("FaultInjector", "応答の") + where + omb::trs("FaultInjector", "に ") + hexByte(r.byte) + omb::trs("FaultInjector", " を挿入");
    case FaultAction::Split: return omb::trs("FaultInjector", "応答を") + where + omb::trs("FaultInjector", "で分割し ") + std::to_string(r.ms) + omb::trs("FaultInjector", " ms 空けて送信");
    case FaultAction::Twice: return omb::trs("FaultInjector", "応答を二度送信");
  }
  return {};
}

ShapedReply shapeReply(const FaultRule& r, std::string_view reply, bool summed, std::string_view lineEnd) {
  ShapedReply s;
  s.first.assign(reply);
  const std::size_t at = r.at < 0 ? reply.size() / 2 : static_cast<std::size_t>(r.at);
  switch (r.action) {
    case FaultAction::Delay:
    case FaultAction::Drop:
    case FaultAction::Nak:
      break;  // the engine's to carry out
    case FaultAction::BadSum: {
      const std::size_t tail = lineEnd.size() + 2;
      if (!summed || reply.size() < tail + 1) {
        s.applies = false;
        break;
      }
      // The sum plus one, so the characters stay hexadecimal digits.
      const std::size_t pos = reply.size() - tail;
      const unsigned sum = number<unsigned>(reply.substr(pos, 2), 16, 0, 0xFF).value_or(0);
      s.first.replace(pos, 2, hexByte(sum + 1));
      break;
    }
    case FaultAction::Flip:
      if (reply.empty()) {
        s.applies = false;
        break;
      }
      s.first[std::min(at, reply.size() - 1)] ^= static_cast<char>(r.byte);
      break;
    case FaultAction::Insert:
      s.first.insert(std::min(at, reply.size()), 1, static_cast<char>(r.byte));
      break;
    case FaultAction::Split: {
      const std::size_t cut = std::min(at, reply.size());
      s.first.assign(reply.substr(0, cut));
      s.second.assign(reply.substr(cut));
      s.gapMs = r.ms;
      break;
    }
    case FaultAction::Twice:
      s.second.assign(reply);
      break;
  }
  return s;
}

void FaultInjector::add(FaultRule rule) {
  rules_.push_back(Entry{std::move(rule)});
  notify();
}

void FaultInjector::clear() {
  rules_.clear();
  injected_ = 0;
  notify();
}

void FaultInjector::remove(std::size_t index) {
  if (index >= rules_.size()) return;
  rules_.erase(rules_.begin() + static_cast<std::ptrdiff_t>(index));
  notify();
}

bool FaultInjector::load(std::string_view text, std::string& error) {
  std::vector<FaultRule> read;
  std::optional<std::uint64_t> seed;
  int lineNo = 0;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    const std::string_view line = trim(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    ++lineNo;
    if (line.empty() || line.front() == '#') continue;
    if (line.rfind("seed", 0) == 0 && (line.size() == 4 || std::isspace(static_cast<unsigned char>(line[4])))) {
      seed = number<std::uint64_t>(trim(line.substr(4)), 10, 0, UINT64_MAX);
      if (!seed) {
        error = omb::fill(omb::trs("FaultInjector", "%1 行目: seed の後には 0 以上の整数を書いてください"), {std::to_string(lineNo)});
        return false;
      }
      continue;
    }
    std::string why;
    auto rule = parseFaultRule(line, why);
    if (!rule) {
      error = omb::fill(omb::trs("FaultInjector", "%1 行目: "), {std::to_string(lineNo)}) + why;
      return false;
    }
    read.push_back(std::move(*rule));
  }
  for (FaultRule& r : read) rules_.push_back(Entry{std::move(r)});
  if (seed) setSeed(*seed);
  notify();
  return true;
}

void FaultInjector::setSeed(std::uint64_t seed) {
  seed_ = seed;
  state_ = seed;
}

// splitmix64: small, fast and the same on every platform, which the
// standard distributions are not.
double FaultInjector::draw() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * 0x1.0p-53;
}

int FaultInjector::pick(const FaultSubject& s) {
  if (!enabled_) return -1;
  int chosen = -1;
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    Entry& e = rules_[i];
    const FaultRule& r = e.rule;
    if (!r.command.empty() && r.command != s.command) continue;
    if (r.deviceKind >= 0) {
      if (s.deviceKind != r.deviceKind || s.count <= 0) continue;
      const std::int64_t last = std::int64_t{s.first} + s.count - 1;
      if (last < r.first || s.first > r.last) continue;
    }
    ++e.matched;
    if (chosen >= 0 || e.matched % static_cast<std::uint64_t>(r.every) != 0) continue;
    if (r.probability < 1.0 && draw() >= r.probability) continue;
    chosen = static_cast<int>(i);
  }
  return chosen;
}

void FaultInjector::fired(int index) {
  ++rules_.at(static_cast<std::size_t>(index)).fired;
  ++injected_;
}

}  // namespace omb
