#include "serial/com_ports.h"

namespace omb {

std::string defaultDevice(int n) {
  if (n >= 1 && n <= 4) return "/dev/ttyS" + std::to_string(n - 1);
  if (n >= 5 && n <= 12) return "/dev/ttyUSB" + std::to_string(n - 5);
  if (n >= 13 && n <= 16) return "/dev/ttyACM" + std::to_string(n - 13);
  return "";
}

std::string ComPortMap::target(int n) const {
  if (n < 1 || n > kComPortCount) return "";
  const std::string& m = mapped[static_cast<std::size_t>(n - 1)];
  return m.empty() ? defaultDevice(n) : m;
}

bool isVirtualTarget(const std::string& t) { return t.rfind("pty:", 0) == 0; }
std::string virtualPath(const std::string& t) { return isVirtualTarget(t) ? t.substr(4) : ""; }

}  // namespace omb
