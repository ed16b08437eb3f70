// The serial port of the main window: the line settings the user picks from
// the communication menus, port discovery, the open and close sequences and
// the port's events (receive, line errors, a device that went away).  A
// plain model: the main window mirrors its labels, menus, panels and button
// states and calls its operations; the serve mode drives it without any
// window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/error.h"
#include "core/presenter.h"
#include "link/link_engine.h"
#include "link/link_settings.h"
#include "link/transport.h"
#include "serial/line_config.h"
#include "serial/port_log.h"
#include "serial/serial_line.h"

namespace omb {

struct PortMenuEntry {
  std::string caption;  // "COM n"
  std::string tag;      // the number as text, "0" for the empty entry
  bool checked = false;
};

class PortController {
 public:
  PortController(Transport& port, SerialLine& line, LinkEngine& engine, LinkSettings& link, PortLog& log,
                 Presenter& presenter, ErrorSink& errors, const Clock& clock);

  // --- the line settings, as the menus hold them ---
  static const char* const kBaudCaptions[7];       // "19200", " 9600" ... "  300"
  static const char* const kHandshakeCaptions[4];  // "無し", "XOnXOff", "RTS", "RTSXOnXOff"
  std::vector<PortMenuEntry> mnuCommPortNo{PortMenuEntry{"", "0", false}};
  int baudIndex = 1;     // mnuCommBps, -1: none checked
  char parity = 'n';     // 'e' 偶数, 'o' 奇数, 'n' 無し, 0: none checked
  int dataLength = 8;    // 7 or 8, 0: none checked
  int stopBits = 1;      // 1 or 2, 0: none checked
  int handshaking = 0;   // optHandshaking 0..3, -1: none chosen
  int hscWait = 40;      // receive inter-character wait, 2..500 ms
  int inBufferSize = 1024, outBufferSize = 512;  // from the settings file
  // Line settings that the menus cannot express (any rate the line knows),
  // used instead of the menus' when set: the serve mode's --line.
  std::optional<LineConfig> lineOverride;

  // --- what the window shows ---
  std::string lblCommPort, lblBlate, lblParity, lblDataLen, lblStopBit;
  std::string panelPortNo, panelSetting, panelStatus = "Close";
  bool cmdPOpenEnabled = false, cmdPCloseEnabled = false;
  bool commSetEnabled = true;  // subEnable_CommSet
  bool G_PortOpen = false;
  // Called after every change of the above.
  std::function<void()> changed;
  // When set, a device that went away is handed here after the close
  // sequence instead of telling the user with a box (the serve mode waits
  // for it to come back).
  std::function<void()> onDeviceLost;
  // Settings the device did not take at the last opening, reported once
  // in the traffic log; the owner may tell them elsewhere too.
  std::function<void(const std::string& message)> onSettingsRefused;

  // --- operations ---
  int fncCommPort();
  void subRenew_CommPort();
  void subDsp_CommSet();
  void cmdPOpen_Click();
  void cmdPClose_Click();
  // Opens the port again, quietly, with the number and settings of the last
  // opening (after the device went away and came back): true once open.
  bool reopen();
  void comm_OnComm(LineEvent event);
  // Menu choices: check the entry, uncheck its siblings, show the settings.
  void choosePort(std::size_t entry);
  void chooseBaud(int index);
  void chooseParity(char p);
  void chooseDataLength(int bits);
  void chooseStopBits(int bits);
  // The start state once discovery has run: buttons by whether a port was
  // found.
  void setPortFound(bool found);

  // The settings string of the checked entries, e.g. "9600,n,8,1".
  std::string settingsString() const;
  // The line configuration the next open applies: the checked entries (or
  // the override), the buffer sizes and the handshaking.  A group with
  // nothing checked raises the invalid-property error.
  LineConfig lineConfig() const;
  static std::string parityCaption(char p);

 private:
  void probe();
  void deviceLost();
  void opened();
  int openedNumber_ = 0;
  void notify() {
    if (changed) changed();
  }

  std::vector<LineEvent> deferred_;  // line events that came in during a burst
  Transport& port_;
  SerialLine& line_;
  LinkEngine& engine_;
  LinkSettings& link_;
  PortLog& log_;
  Presenter& presenter_;
  ErrorSink& errors_;
  const Clock& clock_;
};

}  // namespace omb
