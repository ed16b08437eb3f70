#include "link/request.h"

#include "core/device_memory.h"
#include "core/numeric.h"
#include "link/framing.h"

namespace omb {

namespace {
constexpr CommandInfo kCommands[] = {
    {"BR", CmdClass::BatchRead, false, false, 256, 0},  {"JR", CmdClass::BatchRead, false, true, 256, 0},
    {"WR", CmdClass::BatchRead, true, false, 32, 64},   {"QR", CmdClass::BatchRead, true, true, 32, 64},
    {"BW", CmdClass::BatchWrite, false, false, 160, 0}, {"JW", CmdClass::BatchWrite, false, true, 160, 0},
    {"WW", CmdClass::BatchWrite, true, false, 10, 64},  {"QW", CmdClass::BatchWrite, true, true, 10, 64},
    {"BT", CmdClass::Test, false, false, 20, 0},        {"JT", CmdClass::Test, false, true, 20, 0},
    {"WT", CmdClass::Test, true, false, 10, 10},        {"QT", CmdClass::Test, true, true, 10, 10},
    {"BM", CmdClass::MonitorReg, false, false, 40, 0},  {"JM", CmdClass::MonitorReg, false, true, 40, 0},
    {"WM", CmdClass::MonitorReg, true, false, 20, 20},  {"QM", CmdClass::MonitorReg, true, true, 20, 20},
    {"MB", CmdClass::Monitor, false, false, 0, 0},      {"MJ", CmdClass::Monitor, false, true, 0, 0},
    {"MN", CmdClass::Monitor, true, false, 0, 0},       {"MQ", CmdClass::Monitor, true, true, 0, 0},
};
}  // namespace

const CommandInfo* findCommand(std::string_view code) {
  for (const auto& c : kCommands)
    if (code == c.code) return &c;
  return nullptr;
}

std::string_view midText(std::string_view s, std::int64_t pos1, std::int64_t length) {
  if (pos1 < 1 || length <= 0 || pos1 > static_cast<std::int64_t>(s.size())) return {};
  return s.substr(static_cast<std::size_t>(pos1 - 1), static_cast<std::size_t>(length));
}

SplitRequest splitRequest(std::string_view f, const LinkConfig& config) {
  static const std::string etx(1, ETX);
  SplitRequest r;
  r.format = config.formatNumber();
  r.start = f.empty() ? '\0' : f[0];
  int p = 2;
  if (r.format == 2) {
    r.blockNo = midText(f, 2, 2);
    p = 4;
  }
  r.station = midText(f, p, 2);
  r.pcNo = midText(f, p + 2, 2);
  r.commandPos = p + 4;
  r.command = midText(f, p + 4, 2);
  r.waitChar = midText(f, p + 6, 1);
  r.areaStart = p + 7;
  if (r.format == 3) r.terminator = etx;
  if (r.format == 4) r.terminator = CRLF;
  r.trailerLen = static_cast<int>(r.terminator.size()) + (config.sumOn() ? 2 : 0);
  return r;
}

int messageWaitMs(std::string_view waitChar) {
  return waitChar.size() == 1 ? readRadix(waitChar, 16) * 10 : 0;
}

int pointsValue(std::string_view field) {
  int v = readRadix(field.substr(0, 2), 16);
  return v == 0 ? 256 : v;
}

int DeviceRef::storageKind() const { return kind < 0 ? -1 : DeviceMemory::storageKindOf(kind, number); }

std::int32_t DeviceRef::alignNumber() const { return kind == kM && number >= 9000 ? number - 9000 : number; }

DeviceRef lookupDevice(std::string_view text, const DevRangeTable& table) {
  DeviceRef d;
  d.text = text;
  if (text.empty()) return d;
  switch (text[0]) {
    case 'X': d.kind = kX; break;
    case 'Y': d.kind = kY; break;
    case 'M': d.kind = kM; break;
    case 'L': d.kind = kL; break;
    case 'S': d.kind = kS; break;
    case 'B': d.kind = kB; break;
    case 'F': d.kind = kF; break;
    case 'D': d.kind = kD; break;
    case 'W': d.kind = kW; break;
    case 'R': d.kind = kR; break;
    default: {
      int k = kindOfCode(text.substr(0, 2));
      if (k == kTS || k == kTC || k == kCS || k == kCC || k == kTN || k == kCN) d.kind = k;
    }
  }
  if (d.kind < 0) return d;
  d.code = kindInfo(d.kind).code;
  d.isBit = !isWordKind(d.kind);
  auto within = [&](int k) {
    const DevRange& r = table[static_cast<std::size_t>(k)];
    return r.firstText <= text && text <= r.lastText;
  };
  d.inRange = within(d.kind) || (d.kind == kD && within(kDx)) || (d.kind == kM && within(kMx));
  d.number = readRadix(text.substr(d.code.size()), kindInfo(d.kind).radix);
  return d;
}

bool deviceDigitsValid(const DeviceRef& d) {
  if (d.kind < 0) return false;
  const bool hex = kindInfo(d.kind).radix == 16;
  for (char c : d.text.substr(d.code.size()))
    if (!((c >= '0' && c <= '9') || (hex && c >= 'A' && c <= 'F'))) return false;
  return true;
}

}  // namespace omb
