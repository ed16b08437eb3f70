#include "link/framing.h"

#include <cstdio>

#include "core/cp932.h"

namespace omb {

int formatNumber(std::string_view caption) {
  static const char* kCaptions[] = {"形式１", "形式２", "形式３", "形式４"};
  for (int i = 0; i < 4; ++i)
    if (caption == kCaptions[i]) return i + 1;
  return 0;
}

std::string formatCaption(int number) {
  static const char* kCaptions[] = {"形式１", "形式２", "形式３", "形式４"};
  return number >= 1 && number <= 4 ? kCaptions[number - 1] : "";
}

Framing subSet_Framing(std::string_view caption) {
  const std::string stx(1, STX), etx(1, ETX), ack(1, ACK), nak(1, NAK);
  switch (formatNumber(caption)) {
    case 3: return {stx, stx, stx, etx, etx, etx, "", etx};
    case 4: return {stx, ack, nak, etx, "", "", CRLF, ""};
    default: return {stx, ack, nak, etx, "", "", "", ""};
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
  char buf[4];
  std::snprintf(buf, sizeof buf, "%02X ", u);
  hex += buf;
}

FrameTexts renderFrame(std::string_view bytes) {
  FrameTexts t;
  for (char c : bytes) t.append(c);
  return t;
}

std::string logText(std::string_view bytes) { return cp932::decode(bytes); }

}  // namespace omb
