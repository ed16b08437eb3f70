#include "serial/line_config.h"

#include <cctype>
#include <vector>

namespace omb {

char parityLetter(Parity parity) {
  switch (parity) {
    case Parity::Even: return 'e';
    case Parity::Odd: return 'o';
    case Parity::Mark: return 'm';
    case Parity::Space: return 's';
    case Parity::None: break;
  }
  return 'n';
}

std::optional<Parity> parityOfLetter(char letter) {
  switch (letter) {
    case 'n': return Parity::None;
    case 'e': return Parity::Even;
    case 'o': return Parity::Odd;
    case 'm': return Parity::Mark;
    case 's': return Parity::Space;
    default: return std::nullopt;
  }
}

const std::vector<int>& lineRates() {
  static const std::vector<int> rates = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};
  return rates;
}

std::optional<LineConfig> parseLineSettings(std::string_view text) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == ',') parts.emplace_back();
    else if (c != ' ') parts.back().push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  if (parts.size() != 4) return std::nullopt;
  auto number = [](const std::string& s) -> int {
    if (s.empty() || s.size() > 7) return -1;
    for (char c : s)
      if (c < '0' || c > '9') return -1;
    return std::stoi(s);
  };
  LineConfig lc;
  lc.baud = number(parts[0]);
  bool known = false;
  for (int b : lineRates()) known = known || b == lc.baud;
  if (!known || parts[1].size() != 1) return std::nullopt;
  const std::optional<Parity> parity = parityOfLetter(parts[1][0]);
  if (!parity) return std::nullopt;
  lc.parity = *parity;
  lc.dataBits = number(parts[2]);
  lc.stopBits = number(parts[3]);
  if (lc.dataBits < 5 || lc.dataBits > 8 || (lc.stopBits != 1 && lc.stopBits != 2)) return std::nullopt;
  return lc;
}

std::string lineSettingsText(const LineConfig& c) {
  return std::to_string(c.baud) + "," + parityLetter(c.parity) + "," + std::to_string(c.dataBits) + "," +
         std::to_string(c.stopBits);
}

}  // namespace omb
