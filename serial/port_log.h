// What the serial port's open, close and line-error sequences write to the
// traffic log.
#pragma once

#include <string>

#include "link/link_settings.h"

namespace omb {

// What the OPEN banner tells about the port just opened.
struct PortBanner {
  std::string portNo;       // status bar panel 1
  std::string settings;     // status bar panel 2, e.g. "9600,n,8,1"
  std::string handshaking;  // caption of the chosen optHandshaking option; empty: none chosen
  int waitMs = 40;          // m_WaitMs
  std::string cpuType;      // lblCpuType
  std::string keisiki;      // lblKeisiki
  std::string kyokuNo;      // txtKyokuNo
  std::string pcNo;         // txtPcNo
  CheckState chkSum = CheckState::Unchecked;
};

// The banner of the link as it stands: CPU type, format, station, PC number,
// sum state and wait come from the link settings.
PortBanner portBanner(const LinkSettings& settings, std::string portNo, std::string portSettings,
                      std::string handshaking);

class PortLog {
 public:
  virtual ~PortLog() = default;
  // Port opened: the traffic-log file when one is wanted, the OPEN banner.
  virtual bool portOpened(const PortBanner& banner) = 0;
  // Port closed: the CLOSE lines; the file is closed.
  virtual bool portClosed(const std::string& portNo) = 0;
  // A line error; `message` holds the error texts, each ended by CR LF.
  virtual void lineError(const std::string& message) = 0;
  // The log-area controls that must not change while the port is open.
  virtual void subEnable_CommSet(bool enabled) = 0;
};

}  // namespace omb
