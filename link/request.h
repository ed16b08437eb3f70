// Taking a request frame apart: the command table, the fields of each
// format, device texts.  Shared by the checking and the unchecked processor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/dev_range.h"
#include "link/link_config.h"

namespace omb {

enum class CmdClass { BatchRead, BatchWrite, Test, MonitorReg, Monitor };

struct CommandInfo {
  const char* code;
  CmdClass cls;
  bool wordUnit;
  bool anAcpuSet;  // seven-character device texts; accepted only by an AnACPU CPU
  int bitLimit;    // most points on bit devices
  int wordLimit;   // most points on word devices (0: not allowed)
  // Limit that does not depend on the device: for tests and registrations,
  // which count entries.
  int classLimit() const { return bitLimit > wordLimit ? bitLimit : wordLimit; }
  int width() const { return anAcpuSet ? 7 : 5; }
};

// The entry of a command code, nullptr when it is not one.
const CommandInfo* findCommand(std::string_view code);

// 1-based Mid of the frame: never reads outside it.
std::string_view midText(std::string_view s, std::int64_t pos1, std::int64_t length);

// The fixed fields of a request in the current format.  The fields are
// views into the frame, which must outlive them.
struct SplitRequest {
  int format = 1;
  char start = 0;
  std::string_view blockNo, station, pcNo, command, waitChar;
  int commandPos = 6;  // 1-based position of the command
  int areaStart = 9;   // 1-based start of the character area
  std::string_view terminator;  // "", ETX or CR LF
  int trailerLen = 0;           // terminator and, with sum check, the two sum characters
};
SplitRequest splitRequest(std::string_view frame, const LinkConfig& config);

// Message wait of a request in milliseconds: its hexadecimal digit times 10,
// any other character 0.
int messageWaitMs(std::string_view waitChar);

// Points field: two hexadecimal digits, read up to the first non-digit; 0
// means 256.
int pointsValue(std::string_view field);

// A device text as the request checks see it.
struct DeviceRef {
  std::string_view text;  // a view into the frame or list entry it came from
  int kind = -1;          // by code: X Y M L S B F D W R TS TC CS CC TN CN; -1 unknown
  std::string_view code;  // the code as written ("D", "TS" ...)
  std::int32_t number = 0;
  bool inRange = false;
  bool isBit = false;
  // Storage that holds it: Dx for D numbers from 9000, Mx for M numbers.
  int storageKind() const;
  // The number counted the way bit alignment is judged (M from 9000: less 9000).
  std::int32_t alignNumber() const;
};
// Looks the text up in the range table of the command set (ranges compared
// as texts; D and M may also lie in the special ranges).
DeviceRef lookupDevice(std::string_view text, const DevRangeTable& table);
// Every character of the number is a digit of the kind's radix.
bool deviceDigitsValid(const DeviceRef& d);

}  // namespace omb
