#include "link/framing.h"

#include <cstdio>

#include "core/cp932.h"
#include "core/translate.h"

namespace omb {

namespace {
// (Files and the traffic log keep the Japanese captions; windows show them
// translated in the context "Framing".)
const char* const kFormatCaptions[] = {QT_TRANSLATE_NOOP("Framing", "形式１"), QT_TRANSLATE_NOOP("Framing", "形式２"),
                                       QT_TRANSLATE_NOOP("Framing", "形式３"), QT_TRANSLATE_NOOP("Framing", "形式４")};
}  // namespace

const char* formatCaption(Format format) { return kFormatCaptions[static_cast<int>(format) - 1]; }

std::string formatCaption(int number) { return number >= 1 && number <= 4 ? kFormatCaptions[number - 1] : ""; }

std::optional<Format> formatOfCaption(std::string_view caption) {
  for (int i = 0; i < 4; ++i)
    if (caption == kFormatCaptions[i]) return static_cast<Format>(i + 1);
  return std::nullopt;
}

std::optional<Format> formatOfNumber(int number) {
  if (number < 1 || number > 4) return std::nullopt;
  return static_cast<Format>(number);
}

const char* cpuName(CpuType cpu) { return cpu == CpuType::AnACPU ? "AnACPU" : "ACPU"; }

std::optional<CpuType> cpuOfName(std::string_view name) {
  if (name == "ACPU") return CpuType::ACPU;
  if (name == "AnACPU") return CpuType::AnACPU;
  return std::nullopt;
}

std::string sumCheck(std::string_view frame) {
  unsigned sum = 0;
  for (std::size_t i = 1; i < frame.size(); ++i) sum += static_cast<unsigned char>(frame[i]);
  constexpr char kHex[] = "0123456789ABCDEF";
  return {kHex[(sum >> 4) & 15], kHex[sum & 15]};
}

bool isStationNumber(std::string_view text) {
  auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
  return text.size() == 2 && hex(text[0]) && hex(text[1]);
}

const Framing& subSet_Framing(Format format) {
  static const std::string stx(1, STX), etx(1, ETX), ack(1, ACK), nak(1, NAK);
  static const Framing kF12{stx, ack, nak, etx, "", "", "", ""};
  static const Framing kF3{stx, stx, stx, etx, etx, etx, "", etx};
  static const Framing kF4{stx, ack, nak, etx, "", "", CRLF, ""};
  switch (format) {
    case Format::F3: return kF3;
    case Format::F4: return kF4;
    default: return kF12;
  }
}

const std::array<const char*, 32> CtrlCharName{
    "(NUL)", "(SOH)", "(STX)", "(ETX)", "(EOT)", "(ENQ)", "(ACK)", "(BEL)", "(BS)",  "(HT)",  "(LF)",
    "(VT)",  "(FP)",  "(CR)",  "(SO)",  "(SI)",  "(DLE)", "(DC1)", "(DC2)", "(DC3)", "(DC4)", "(NAK)",
    "(SYN)", "(ETB)", "(CAN)", "(EM)",  "(SUB)", "(ESC)", "(FS)",  "(GS)",  "(RS)",  "(US)"};

bool isFrameChar(char c) {
  switch (c) {
    case STX: case ETX: case ENQ: case ACK: case LF: case CR: case NAK: case ' ': return true;
    default: return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
  }
}

void FrameTexts::append(char c) {
  raw.push_back(c);
  auto u = static_cast<unsigned char>(c);
  if (u < 0x20) replaced += CtrlCharName[u];
  else replaced.push_back(c);
  static const char kDigits[] = "0123456789ABCDEF";
  hex.push_back(kDigits[u >> 4]);
  hex.push_back(kDigits[u & 15]);
  hex.push_back(' ');
}

FrameTexts renderFrame(std::string_view bytes) {
  FrameTexts t;
  t.raw.reserve(bytes.size());
  t.hex.reserve(bytes.size() * 3);
  for (char c : bytes) t.append(c);
  return t;
}

std::string logText(std::string_view bytes) { return cp932::decode(bytes); }

}  // namespace omb
