#include "link/frame_reading.h"

#include <cctype>
#include <charconv>
#include <cstdio>

#include "core/device_kind.h"
#include "core/translate.h"
#include "link/framing.h"

namespace omb {

namespace {

// Whether a device text names a word device (always read and written in
// words, whatever the command's unit).
bool wordDevice(std::string_view text) {
  if (text.empty()) return false;
  if (text[0] == 'D' || text[0] == 'W' || text[0] == 'R') return true;
  const std::string_view two = text.substr(0, 2);
  return two == "TN" || two == "CN";
}

void splitValues(std::string_view data, bool words, std::vector<std::string>& out) {
  const std::size_t step = words ? 4 : 1;
  for (std::size_t i = 0; i < data.size(); i += step) out.emplace_back(data.substr(i, step));
}

bool answerOfPc(const SplitRequest& s) {
  return s.format == 3 ? (s.command == "GG" || s.command == "NN") : (s.start == ACK || s.start == NAK);
}

std::string hex2(unsigned v) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
  return buf;
}

std::string upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

}  // namespace

FrameFacts readRequest(std::string_view f, const LinkConfig& config) {
  FrameFacts r;
  if (f.empty()) return r;
  const SplitRequest s = splitRequest(f, config);
  r.station.assign(s.station);
  r.pcNo.assign(s.pcNo);
  if (answerOfPc(s)) {
    r.kind = FrameFacts::Kind::Answer;
    r.command = s.format == 3 ? std::string(s.command) : std::string(s.start == ACK ? "ACK" : "NAK");
    return r;
  }
  r.command.assign(s.command);
  const CommandInfo* cmd = findCommand(s.command);
  if (!cmd) return r;
  r.kind = FrameFacts::Kind::Request;
  r.wordUnit = cmd->wordUnit;
  const int w = cmd->width();
  const int a = s.areaStart;
  switch (cmd->cls) {
    case CmdClass::Monitor: break;
    case CmdClass::Test:
    case CmdClass::MonitorReg: r.points = pointsValue(midText(f, a, 2)); break;
    case CmdClass::BatchRead:
    case CmdClass::BatchWrite: {
      r.device.assign(midText(f, a, w));
      r.points = pointsValue(midText(f, a + w, 2));
      r.wordUnit = cmd->wordUnit || wordDevice(r.device);
      if (cmd->cls == CmdClass::BatchWrite) {
        const std::int64_t from = a + w + 2;
        const std::int64_t len = static_cast<std::int64_t>(f.size()) - s.trailerLen - from + 1;
        splitValues(midText(f, from, len), r.wordUnit, r.values);
      }
      break;
    }
  }
  return r;
}

FrameFacts readReply(std::string_view f, const LinkConfig& config, const FrameFacts* request) {
  FrameFacts r;
  if (f.empty()) return r;
  const int format = config.formatNumber();
  const int head = format == 2 ? 3 : 1;  // after the start character and the block number
  r.station.assign(midText(f, head + 1, 2));
  r.pcNo.assign(midText(f, head + 3, 2));
  const char start = f[0];
  const std::string_view code = midText(f, head + 5, 2);
  if (format == 3 && start == STX && (code == "GG" || code == "NN")) {
    if (code == "GG") {
      r.kind = FrameFacts::Kind::Ack;
    } else {
      r.kind = FrameFacts::Kind::Nak;
      r.nakCode.assign(midText(f, head + 7, 2));
    }
    return r;
  }
  if (format != 3 && start == ACK) {
    r.kind = FrameFacts::Kind::Ack;
    return r;
  }
  if (format != 3 && start == NAK) {
    r.kind = FrameFacts::Kind::Nak;
    r.nakCode.assign(code);
    return r;
  }
  if (start != STX) return r;
  r.kind = FrameFacts::Kind::Data;
  const std::size_t from = static_cast<std::size_t>(head + 4);
  const std::size_t etx = f.find(ETX, from);
  const std::string_view data = from < f.size() ? f.substr(from, etx == std::string_view::npos ? f.npos : etx - from)
                                                 : std::string_view();
  const bool known = request && request->kind == FrameFacts::Kind::Request;
  if (known) {
    r.command = request->command;
    r.device = request->device;
    r.points = request->points;
    r.wordUnit = request->wordUnit;
    splitValues(data, r.wordUnit, r.values);
  } else if (!data.empty()) {
    r.values.emplace_back(data);
  }
  return r;
}

std::string nakMeaning(std::string_view code) {
  struct Meaning {
    const char* code;
    const char* text;
  };
  static const Meaning kMeanings[] = {
      {"01", QT_TRANSLATE_NOOP("FrameReading", "パリティ異常")}, {"02", QT_TRANSLATE_NOOP("FrameReading", "サムチェック異常")}, {"03", QT_TRANSLATE_NOOP("FrameReading", "プロトコル異常")}, {"04", QT_TRANSLATE_NOOP("FrameReading", "フレーミング異常")},
      {"05", QT_TRANSLATE_NOOP("FrameReading", "オーバーラン")}, {"06", QT_TRANSLATE_NOOP("FrameReading", "範囲外")},           {"07", QT_TRANSLATE_NOOP("FrameReading", "文字異常")},       {"10", QT_TRANSLATE_NOOP("FrameReading", "PC番号違い")},
  };
  for (const Meaning& m : kMeanings)
    if (code == m.code) return trs("FrameReading", m.text);
  return {};
}

namespace {

// "WR D0100 ×4", "BW M0000 ×3", "BT 登録 3 点", "MN".
std::string requestHead(const FrameFacts& r) {
  const CommandInfo* cmd = findCommand(r.command);
  if (!cmd) return r.command;
  switch (cmd->cls) {
    case CmdClass::Monitor: return r.command;
    case CmdClass::Test:
    case CmdClass::MonitorReg: return r.command + trs("FrameReading", " 登録 ") + std::to_string(r.points) + trs("FrameReading", " 点");
    default: return r.command + " " + r.device + " ×" + std::to_string(r.points);
  }
}

std::string joined(const std::vector<std::string>& values) {
  std::string out;
  for (const std::string& v : values) {
    if (!out.empty()) out += ' ';
    out += v;
  }
  return out;
}

}  // namespace

std::string readingText(const FrameFacts& r) {
  using Kind = FrameFacts::Kind;
  switch (r.kind) {
    case Kind::Request:
      if (!r.values.empty()) return requestHead(r) + " ← " + joined(r.values);
      return requestHead(r);
    case Kind::Data: {
      const std::string values = joined(r.values);
      if (r.command.empty()) return "→ " + values;
      return requestHead(r) + " →" + (values.empty() ? std::string() : " " + values);
    }
    case Kind::Ack: return "ACK";
    case Kind::Nak: {
      const std::string meaning = nakMeaning(r.nakCode);
      return "NAK " + r.nakCode + (meaning.empty() ? std::string() : " (" + meaning + ")");
    }
    case Kind::Answer: return trs("FrameReading", "PC 応答 ") + r.command;
    case Kind::Unknown: break;
  }
  return r.command.empty() ? trs("FrameReading", "(解読できません)") : r.command + trs("FrameReading", " (不明なコマンド)");
}

const FrameFacts& FrameReader::read(bool fromPc, std::string_view bytes, const LinkConfig& config) {
  if (fromPc) {
    FrameFacts f = readRequest(bytes, config);
    // A request is what the next reply answers; the PC program's own
    // answers to our data replies do not change that.
    if (f.kind != FrameFacts::Kind::Answer) {
      request_ = std::move(f);
      haveRequest_ = true;
      return request_;
    }
    reply_ = std::move(f);
    return reply_;
  }
  reply_ = readReply(bytes, config, haveRequest_ ? &request_ : nullptr);
  return reply_;
}

// --- The PC side ---------------------------------------------------------

namespace {

std::optional<std::int64_t> number(std::string_view s) {
  std::int64_t v = 0;
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  if (s.empty() || (s[0] == '-' && base == 16)) return std::nullopt;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc{} || p != s.data() + s.size()) return std::nullopt;
  return v;
}

std::string hex4(std::int64_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(v & 0xFFFF));
  return buf;
}

}  // namespace

std::optional<std::string> buildRequest(const std::vector<std::string>& words, const RequestOptions& o,
                                        std::string& error) {
  if (words.empty()) return error = trs("FrameReading", "コマンドがありません"), std::nullopt;
  const std::string code = upper(words[0]);
  const CommandInfo* cmd = findCommand(code);
  if (!cmd) return error = trs("FrameReading", "コマンド ") + words[0] + trs("FrameReading", " はありません (BR WR BW WW BT WT BM WM MB MN と J/Q の組)"), std::nullopt;
  const int w = cmd->width();
  auto device = [&](const std::string& word) -> std::optional<std::string> {
    const auto span = parseDeviceSpan(word);
    if (!span || span->first != span->last) return error = trs("FrameReading", "デバイス ") + word + trs("FrameReading", " が読めません"), std::nullopt;
    std::string text = fncDeviceText(span->kind, span->first, w);
    if (static_cast<int>(text.size()) != w) return error = fill(trs("FrameReading", "デバイス %1 は %2 では書けません"), {word, code}), std::nullopt;
    return text;
  };
  auto bitValue = [&](const std::string& word) -> std::optional<std::string> {
    if (word == "0" || word == "1") return word;
    return error = trs("FrameReading", "ビットの値は 0 か 1 です: ") + word, std::nullopt;
  };
  auto wordValue = [&](const std::string& word) -> std::optional<std::string> {
    const auto v = number(word);
    if (!v || *v < -32768 || *v > 0xFFFF)
      return error = trs("FrameReading", "ワードの値は -32768〜65535 か 0x0〜0xFFFF です: ") + word, std::nullopt;
    return hex4(*v);
  };
  auto pointsField = [](std::size_t n) { return hex2(static_cast<unsigned>(n % 256)); };
  const std::size_t args = words.size() - 1;
  std::string area;
  switch (cmd->cls) {
    case CmdClass::Monitor:
      if (args != 0) return error = code + trs("FrameReading", " は引数をとりません"), std::nullopt;
      break;
    case CmdClass::BatchRead: {
      if (args < 1 || args > 2) return error = code + trs("FrameReading", " にはデバイスと点数を書きます (例: ") + code + " D100 4)", std::nullopt;
      const auto dev = device(words[1]);
      if (!dev) return std::nullopt;
      std::int64_t points = 1;
      if (args == 2) {
        const auto n = number(words[2]);
        if (!n || *n < 1 || *n > 256) return error = trs("FrameReading", "点数は 1〜256 です: ") + words[2], std::nullopt;
        points = *n;
      }
      area = *dev + pointsField(static_cast<std::size_t>(points));
      break;
    }
    case CmdClass::BatchWrite: {
      if (args < 2 || args > 257) return error = code + trs("FrameReading", " にはデバイスと値を書きます (例: ") + code + " D100 1 2)", std::nullopt;
      const auto dev = device(words[1]);
      if (!dev) return std::nullopt;
      area = *dev + pointsField(args - 1);
      for (std::size_t i = 2; i < words.size(); ++i) {
        const auto v = cmd->wordUnit ? wordValue(words[i]) : bitValue(words[i]);
        if (!v) return std::nullopt;
        area += *v;
      }
      break;
    }
    case CmdClass::Test: {
      if (args < 2 || args % 2 != 0 || args / 2 > 256)
        return error = code + trs("FrameReading", " にはデバイスと値の組を書きます (例: ") + code + " X40 1 Y41 0)", std::nullopt;
      area = pointsField(args / 2);
      for (std::size_t i = 1; i < words.size(); i += 2) {
        const auto dev = device(words[i]);
        if (!dev) return std::nullopt;
        const auto v = cmd->wordUnit ? wordValue(words[i + 1]) : bitValue(words[i + 1]);
        if (!v) return std::nullopt;
        area += *dev + *v;
      }
      break;
    }
    case CmdClass::MonitorReg: {
      if (args < 1 || args > 256) return error = code + trs("FrameReading", " にはデバイスを書きます (例: ") + code + " D2 D5)", std::nullopt;
      area = pointsField(args);
      for (std::size_t i = 1; i < words.size(); ++i) {
        const auto dev = device(words[i]);
        if (!dev) return std::nullopt;
        area += *dev;
      }
      break;
    }
  }
  const LinkConfig& c = o.config;
  const int format = c.formatNumber();
  std::string frame(1, format == 3 ? STX : ENQ);
  if (format == 2) frame += o.blockNo;
  frame += c.station + c.pcNo + code;
  frame += "0123456789ABCDEF"[o.messageWait & 15];
  frame += area;
  if (format == 3) frame += ETX;
  if (c.sumOn()) frame += sumCheck(frame);
  if (format == 4) frame += CRLF;
  return frame;
}

std::optional<std::size_t> replyLength(std::string_view b, const LinkConfig& config) {
  const int format = config.formatNumber();
  std::size_t p = 0;
  while (p < b.size() && b[p] != STX && b[p] != ACK && b[p] != NAK) ++p;
  if (p >= b.size()) return std::nullopt;
  const std::size_t block = format == 2 ? 2 : 0;
  const std::size_t lineEnd = format == 4 ? 2 : 0;
  std::size_t len = 0;
  if (b[p] == ACK && format != 3) {
    len = 1 + block + 4 + lineEnd;
  } else if (b[p] == NAK && format != 3) {
    len = 1 + block + 6 + lineEnd;
  } else {
    const std::size_t etx = b.find(ETX, p + 1);
    if (etx == std::string_view::npos) return std::nullopt;
    const std::string_view code = b.substr(p + 1 + block + 4, 2);
    const bool acknowledgement = format == 3 && (code == "GG" || code == "NN");
    len = etx + 1 - p + (acknowledgement ? 0 : (config.sumOn() ? 2 : 0) + lineEnd);
  }
  if (b.size() < p + len) return std::nullopt;
  return p + len;
}

}  // namespace omb
