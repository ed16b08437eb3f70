// Which device each of the sixteen COM numbers stands for on Linux.
//
// The user chooses "COM 1" .. "COM 16" as on any controller tool.  The
// settings file may map a number to a device path ("COM1=/dev/ttyUSB0") or
// to a virtual port ("COM9=pty:/tmp/ombrisal-com9"): opening a virtual port
// creates a pseudo-terminal whose other end appears at that path, so a PC
// program on the same machine can connect without hardware.  Numbers that
// are not mapped use the usual Linux devices:
//   COM1-COM4   /dev/ttyS0 - /dev/ttyS3     (on-board UARTs)
//   COM5-COM12  /dev/ttyUSB0 - /dev/ttyUSB7 (USB serial adapters)
//   COM13-COM16 /dev/ttyACM0 - /dev/ttyACM3 (USB CDC devices)
#pragma once

#include <array>
#include <string>

namespace omb {

inline constexpr int kComPortCount = 16;

struct ComPortMap {
  std::array<std::string, kComPortCount> mapped;  // "" = the default device

  // Device path or "pty:PATH" for COM n (1..16); "" outside 1..16.
  std::string target(int number) const;
};

bool isVirtualTarget(const std::string& target);
std::string virtualPath(const std::string& target);  // PATH of "pty:PATH"
std::string defaultDevice(int number);

}  // namespace omb
