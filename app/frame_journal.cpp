#include "app/frame_journal.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "app/control_commands.h"
#include "core/translate.h"

namespace omb {

std::int64_t wallClockMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string isoLocalTime(std::int64_t ms) {
  const std::time_t secs = static_cast<std::time_t>(ms / 1000);
  std::tm t{};
  ::localtime_r(&secs, &t);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(ms % 1000));
  return buf;
}

FrameJournal::FrameJournal(const LinkConfig& config, std::function<std::int64_t()> wallMs)
    : config_(config), wallMs_(std::move(wallMs)) {}

void FrameJournal::frame(const TappedFrame& f) {
  if (outputs_.empty()) return;
  const std::string text = line(f);
  for (const Output& out : outputs_) out(text);
}

namespace {

std::string textOrNull(const std::string& s) { return s.empty() ? "null" : jsonQuoted(s); }

std::string millis(std::int64_t us) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.3f", static_cast<double>(us) / 1000.0);
  return buf;
}

const char* replyKind(FrameFacts::Kind k) {
  switch (k) {
    case FrameFacts::Kind::Data: return "\"data\"";
    case FrameFacts::Kind::Ack: return "\"ack\"";
    case FrameFacts::Kind::Nak: return "\"nak\"";
    default: return "\"unknown\"";
  }
}

}  // namespace

std::string FrameJournal::line(const TappedFrame& f) {
  const FrameFacts& facts = reader_.read(f.fromPc, f.bytes, config_);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(f.bytes.size() * 2);
  for (char c : f.bytes) {
    const auto u = static_cast<unsigned char>(c);
    hex += kHex[u >> 4];
    hex += kHex[u & 15];
  }
  std::string out;
  out.reserve(320 + hex.size());
  out += "{\"time\":\"" + isoLocalTime(wallMs_()) + "\",\"mono_ms\":" + millis(f.steadyUs);
  out += f.fromPc ? ",\"direction\":\"pc>plc\"" : ",\"direction\":\"plc>pc\"";
  out += ",\"format\":" + std::to_string(config_.formatNumber()) + ",\"sum\":" + (config_.sumOn() ? "true" : "false");
  out += ",\"station\":" + textOrNull(facts.station) + ",\"pc\":" + textOrNull(facts.pcNo);
  out += ",\"command\":" + textOrNull(facts.command) + ",\"device\":" + textOrNull(facts.device);
  out += ",\"points\":" + (facts.points > 0 ? std::to_string(facts.points) : std::string("null"));
  out += ",\"bytes\":\"" + hex + "\"";
  out += ",\"reply\":";
  out += f.fromPc ? "null" : replyKind(facts.kind);
  out += ",\"nak\":" + textOrNull(facts.nakCode);
  out += ",\"latency_ms\":" + (f.latencyUs >= 0 ? millis(f.latencyUs) : std::string("null"));
  out += ",\"reading\":" + jsonQuoted(readingText(facts)) + "}\n";
  return out;
}

namespace {

// The raw text of member `key` of a flat object: a string's contents
// (without escapes: the members replay reads hold none) or a bare token.
std::optional<std::string_view> member(std::string_view line, std::string_view key) {
  const std::string pattern = "\"" + std::string(key) + "\":";
  const std::size_t at = line.find(pattern);
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t p = at + pattern.size();
  if (p < line.size() && line[p] == '"') {
    const std::size_t end = line.find('"', p + 1);
    if (end == std::string_view::npos) return std::nullopt;
    return line.substr(p + 1, end - p - 1);
  }
  const std::size_t end = line.find_first_of(",}", p);
  if (end == std::string_view::npos) return std::nullopt;
  return line.substr(p, end - p);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::optional<JournalEntry> parseJournalLine(std::string_view line, std::string& error) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.remove_suffix(1);
  if (line.empty() || line.front() != '{' || line.back() != '}') return error = trs("FrameJournal", "JSON オブジェクトではありません"), std::nullopt;
  JournalEntry e;
  const auto direction = member(line, "direction");
  if (!direction || (*direction != "pc>plc" && *direction != "plc>pc"))
    return error = trs("FrameJournal", "direction が pc>plc でも plc>pc でもありません"), std::nullopt;
  e.fromPc = *direction == "pc>plc";
  const auto bytes = member(line, "bytes");
  if (!bytes || bytes->size() % 2 != 0) return error = trs("FrameJournal", "bytes が16進数の列ではありません"), std::nullopt;
  for (std::size_t i = 0; i < bytes->size(); i += 2) {
    const int hi = hexDigit((*bytes)[i]), lo = hexDigit((*bytes)[i + 1]);
    if (hi < 0 || lo < 0) return error = trs("FrameJournal", "bytes が16進数の列ではありません"), std::nullopt;
    e.bytes.push_back(static_cast<char>(hi * 16 + lo));
  }
  const auto mono = member(line, "mono_ms");
  if (!mono) return error = trs("FrameJournal", "mono_ms がありません"), std::nullopt;
  try {
    std::size_t used = 0;
    e.monoMs = std::stod(std::string(*mono), &used);
    if (used != mono->size()) throw std::invalid_argument("mono_ms");
  } catch (const std::exception&) {
    return error = trs("FrameJournal", "mono_ms が数ではありません"), std::nullopt;
  }
  if (const auto format = member(line, "format")) {
    if (format->size() != 1 || (*format)[0] < '1' || (*format)[0] > '4') return error = trs("FrameJournal", "format は 1〜4 です"), std::nullopt;
    e.format = (*format)[0] - '0';
  }
  if (const auto sum = member(line, "sum")) {
    if (*sum != "true" && *sum != "false") return error = trs("FrameJournal", "sum は true か false です"), std::nullopt;
    e.sum = *sum == "true";
  }
  return e;
}

}  // namespace omb
