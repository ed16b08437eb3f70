// What makes a transport a serial line: a COM number to open and line
// settings to apply.  The port controller of the main window drives it
// beside the Transport the engine serves.
#pragma once

#include <string>
#include <vector>

#include "serial/line_config.h"

namespace omb {

class SerialLine {
 public:
  virtual ~SerialLine() = default;
  // COM number 1..16 to open next; never fails while the line is closed.
  virtual void setCommPort(int number) = 0;
  virtual int commPort() const = 0;
  // Applied at the next open, or at once while open.  A configuration the
  // line cannot take raises a RuntimeError.
  virtual void setLineConfig(const LineConfig& config) = 0;
  virtual LineConfig lineConfig() const = 0;
  // The settings the device did not take when they were last applied
  // (read back from the device), as texts for the user; empty when all
  // were taken or the line has nothing to read back.
  virtual std::vector<std::string> unappliedSettings() const { return {}; }
};

}  // namespace omb
