#include "link/comm_port.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace omb {

std::optional<LineSettings> parseLineSettings(std::string_view text) {
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
  LineSettings ls;
  ls.baud = number(parts[0]);
  static const int kBauds[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};
  bool known = false;
  for (int b : kBauds) known = known || b == ls.baud;
  if (!known || parts[1].size() != 1 || std::string("neoms").find(parts[1][0]) == std::string::npos)
    return std::nullopt;
  ls.parity = parts[1][0];
  ls.dataBits = number(parts[2]);
  ls.stopBits = number(parts[3]);
  if (ls.dataBits < 5 || ls.dataBits > 8 || (ls.stopBits != 1 && ls.stopBits != 2)) return std::nullopt;
  return ls;
}

std::string takeInput(std::deque<char>& buffer, int inputLen) {
  std::size_t n = inputLen <= 0 ? buffer.size() : std::min(buffer.size(), static_cast<std::size_t>(inputLen));
  std::string s(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
  buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
  return s;
}

}  // namespace omb
