// The settings of a serial line as typed values: what the menus of the main
// window choose and what the termios port applies.  The text form
// ("9600,n,8,1") is only for the status bar, the log banner and the command
// line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace omb {

enum class Parity { None, Even, Odd, Mark, Space };
enum class Handshake { None = 0, XonXoff = 1, RtsCts = 2, Both = 3 };

struct LineConfig {
  int baud = 9600;
  Parity parity = Parity::None;
  int dataBits = 8;
  int stopBits = 1;
  Handshake handshake = Handshake::None;
  int inBufferSize = 1024;   // bytes the driver side may hold for us
  int outBufferSize = 512;   // bytes queued for sending before "transmit buffer full"
  bool nullDiscard = true;   // drop received NUL characters
  bool operator==(const LineConfig&) const = default;
};

// "19200,e,7,2" taken apart: baud, parity letter n e o (m s), data bits 5-8,
// stop bits 1 or 2.  Empty when the text is not of that form or names a
// rate the line does not know.  Buffer sizes and handshaking keep their
// defaults.
std::optional<LineConfig> parseLineSettings(std::string_view text);
// The rates parseLineSettings accepts, slowest first.
const std::vector<int>& lineRates();
// The text form of the first four settings.
std::string lineSettingsText(const LineConfig& config);
char parityLetter(Parity parity);
std::optional<Parity> parityOfLetter(char letter);

}  // namespace omb
