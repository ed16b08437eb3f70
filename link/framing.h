// The four protocol formats, the reply framing of each, the control
// characters of the protocol and the three renderings of a frame.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "link/link_config.h"

namespace omb {

inline constexpr char STX = 0x02, ETX = 0x03, EOT = 0x04, ENQ = 0x05, ACK = 0x06, LF = 0x0A,
                      CL = 0x0C, CR = 0x0D, NAK = 0x15;
inline constexpr const char* CRLF = "\r\n";

// Reply framing of the current format.
struct Framing {
  std::string dataHead, ackHead, nakHead;  // m_DataHead, m_AckHead, m_NakHead
  std::string dataTail, ackTail, nakTail;  // m_DataTail, m_AckTail, m_NakTail
  std::string lineEnd;                     // m_LineEnd, after everything
  std::string reqTail;                     // m_ReqTail, a request's terminator before its sum
};
// The reply framing of a format (one fixed table per format).
const Framing& subSet_Framing(Format format);

// Names of the codes 00h..1Fh: "(NUL)" .. "(US)"; 0Ch is "(FP)".
extern const std::array<const char*, 32> CtrlCharName;

// Characters allowed inside a request frame.
bool isFrameChar(char c);

// The sum check of a frame: the two upper-case hexadecimal digits of the
// low byte of the sum of every character after the first.
std::string sumCheck(std::string_view frame);

// A frame in its three renderings, plus the invalid-character mark.  The
// raw and replaced texts are bytes as on the line; use logText() to show
// them.  The engine carries only the raw bytes and the mark, and renders
// the other two when a log or a report needs them.
struct FrameTexts {
  std::string raw, replaced, hex;
  bool invalid = false;
  void append(char c);
  void clear() {
    raw.clear();
    replaced.clear();
    hex.clear();
    invalid = false;
  }
};
FrameTexts renderFrame(std::string_view bytes);

// Bytes from the line shown as text: decoded as the system code page.
std::string logText(std::string_view bytes);

}  // namespace omb
