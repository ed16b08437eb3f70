#include "serial/port_controller.h"

#include <algorithm>

#include "core/numeric.h"
#include "core/translate.h"

namespace omb {

const char* const PortController::kBaudCaptions[7] = {"19200", " 9600", " 4800", " 2400", " 1200", "  600", "  300"};
const char* const PortController::kHandshakeCaptions[4] = {QT_TRANSLATE_NOOP("PortController", "無し"), "XOnXOff", "RTS", "RTSXOnXOff"};

PortController::PortController(Transport& port, SerialLine& line, LinkEngine& engine, LinkSettings& link,
                               PortLog& log, Presenter& presenter, ErrorSink& errors, const Clock& clock)
    : port_(port),
      line_(line),
      engine_(engine),
      link_(link),
      log_(log),
      presenter_(presenter),
      errors_(errors),
      clock_(clock) {
  port_.onReceived = [this](std::string_view bytes) { engine_.feed(bytes); };
  port_.onLineEvent = [this](LineEvent e) { comm_OnComm(e); };
  // Line events wait until the burst being handled is over, as they would
  // behind a receive handler that holds the event loop.
  engine_.onIdle = [this] {
    auto pending = std::move(deferred_);
    deferred_.clear();
    for (LineEvent e : pending) comm_OnComm(e);
  };
}

std::string PortController::parityCaption(char p) {
  switch (p) {
    case 'e': return omb::trs("PortController", "偶数");
    case 'o': return omb::trs("PortController", "奇数");
    case 'n': return omb::trs("PortController", "無し");
    default: return "";
  }
}

std::string PortController::settingsString() const {
  std::string s;
  if (baudIndex >= 0 && baudIndex < 7)
    for (const char* c = kBaudCaptions[baudIndex]; *c; ++c)
      if (*c != ' ') s.push_back(*c);
  if (parity) s += std::string(",") + parity;
  if (dataLength) s += "," + std::to_string(dataLength);
  if (stopBits) s += "," + std::to_string(stopBits);
  return s;
}

LineConfig PortController::lineConfig() const {
  std::optional<LineConfig> c = lineOverride;
  if (!c) c = parseLineSettings(settingsString());
  if (!c) throw RuntimeError(380, omb::trs("PortController", "プロパティの値が不正です。"));
  c->inBufferSize = inBufferSize;
  c->outBufferSize = outBufferSize;
  // No option chosen leaves the handshaking as the line had it.
  c->handshake = handshaking >= 0 && handshaking <= 3 ? static_cast<Handshake>(handshaking) : line_.lineConfig().handshake;
  c->nullDiscard = true;
  return *c;
}

void PortController::subDsp_CommSet() {
  const bool ok = guarded(errors_, "frmMain.subDsp_CommSet() ", false, [&](ErrorTrap&) {
    if (baudIndex >= 0 && baudIndex < 7) lblBlate = kBaudCaptions[baudIndex];
    if (parity) lblParity = parityCaption(parity);
    if (dataLength) lblDataLen = std::to_string(dataLength);
    if (stopBits) lblStopBit = std::to_string(stopBits);
    std::string number = "0";
    for (const auto& e : mnuCommPortNo)
      if (e.checked) number = e.tag;
    lblCommPort = number;
    panelPortNo = std::to_string(static_cast<int>(leadingNumber(number)));
    panelSetting = lineOverride ? lineSettingsText(*lineOverride) : settingsString();
    return true;
  });
  if (!ok) lblCommPort.clear();
  notify();
}

void PortController::choosePort(std::size_t entry) {
  for (std::size_t i = 0; i < mnuCommPortNo.size(); ++i) mnuCommPortNo[i].checked = i == entry;
  subDsp_CommSet();
}
void PortController::chooseBaud(int index) {
  baudIndex = index;
  subDsp_CommSet();
}
void PortController::chooseParity(char p) {
  parity = p;
  subDsp_CommSet();
}
void PortController::chooseDataLength(int bits) {
  dataLength = bits;
  subDsp_CommSet();
}
void PortController::chooseStopBits(int bits) {
  stopBits = bits;
  subDsp_CommSet();
}

// Rebuilds the port menu from the numbers that open now.
void PortController::probe() {
  for (auto& e : mnuCommPortNo) {
    e.checked = false;
    e.tag = "0";
  }
  mnuCommPortNo.resize(1);
  std::size_t found = 0;
  for (int n = 1; n <= 16; ++n) {
    try {
      line_.setCommPort(n);
      port_.open();
    } catch (const RuntimeError&) {
      continue;  // absent or busy
    }
    port_.close();
    if (found == mnuCommPortNo.size()) mnuCommPortNo.emplace_back();
    mnuCommPortNo[found] = {"COM " + std::to_string(n), std::to_string(n), false};
    ++found;
  }
}

int PortController::fncCommPort() {
  const int chosen = guarded(errors_, "frmMain.fncCommPort() ", 0, [&](ErrorTrap& trap) {
    if (port_.isOpen()) return static_cast<int>(leadingNumber(panelPortNo));  // never probe the open port
    trap.section(1);
    lblCommPort = "X";
    panelPortNo = "X";
    notify();
    probe();
    trap.section(2);
    for (std::size_t i = 0; i < mnuCommPortNo.size(); ++i) {
      const int n = static_cast<int>(leadingNumber(mnuCommPortNo[i].tag));
      try {
        line_.setCommPort(n);
        port_.open();
      } catch (const RuntimeError&) {
        continue;
      }
      port_.close();
      panelPortNo = std::to_string(n);
      choosePort(i);
      return n;
    }
    return 0;
  });
  notify();
  return chosen;
}

void PortController::subRenew_CommPort() {
  guarded(errors_, "frmMain.subRenew_CommPort() ", [&](ErrorTrap&) {
    if (port_.isOpen()) return;
    probe();
    for (auto& e : mnuCommPortNo) e.checked = e.tag == panelPortNo;
  });
  notify();
}

void PortController::setPortFound(bool found) {
  cmdPOpenEnabled = found;
  cmdPCloseEnabled = false;
  notify();
}

void PortController::cmdPOpen_Click() {
  const int number = static_cast<int>(leadingNumber(lblCommPort));
  if (number <= 0) {
    presenter_.message(omb::trs("PortController", "ポート番号が不正です！"), omb::trs("PortController", "ポート№異常"), MsgIcon::Critical, MsgButtons::Ok);
    return;
  }
  // Preparing the port: a failure here is unexpected and ends the opening.
  const bool prepared = guarded(errors_, "frmMain.cmdPOpen_Click() ", false, [&](ErrorTrap& trap) {
    trap.section(100);
    line_.setCommPort(number);
    line_.setLineConfig(lineConfig());
    return true;
  });
  if (!prepared) return;
  try {
    engine_.abort();  // nothing of an earlier opening is left over
    port_.open();
  } catch (const RuntimeError&) {
    presenter_.message(omb::trs("PortController", "COMポート") + std::to_string(number) + omb::trs("PortController", " がオープン出来ませんでした！"), omb::trs("PortController", "設定異常"),
                       MsgIcon::Critical, MsgButtons::Ok);
    fncCommPort();
    return;
  }
  openedNumber_ = number;
  opened();
}

// The states, the banner and the read-back report of a port just opened.
void PortController::opened() {
  cmdPOpenEnabled = false;
  cmdPCloseEnabled = true;
  commSetEnabled = false;
  panelStatus = "Open";
  G_PortOpen = true;
  link_.waitMs = hscWait;
  notify();

  log_.subEnable_CommSet(false);
  log_.portOpened(portBanner(link_, panelPortNo, panelSetting,
                             handshaking >= 0 && handshaking < 4 ? kHandshakeCaptions[handshaking] : ""));
  const std::vector<std::string> refused = line_.unappliedSettings();
  if (refused.empty()) return;
  std::string message = "COM" + panelPortNo + omb::trs("PortController", " の装置が受け付けなかった設定があります:");
  for (const std::string& r : refused) message += " " + r;
  log_.lineError(message + CRLF);
  if (onSettingsRefused) onSettingsRefused(message);
}

bool PortController::reopen() {
  if (port_.isOpen()) return true;
  if (openedNumber_ <= 0) return false;
  try {
    line_.setCommPort(openedNumber_);
    line_.setLineConfig(lineConfig());
    engine_.abort();
    port_.open();
  } catch (const RuntimeError&) {
    return false;
  }
  opened();
  return true;
}

void PortController::cmdPClose_Click() {
  if (!port_.isOpen()) {
    presenter_.message(omb::trs("PortController", "ポートが開いていません！"), omb::trs("PortController", "未オープン"), MsgIcon::Exclamation, MsgButtons::Ok);
    return;
  }
  engine_.abort();
  deferred_.clear();
  try {
    port_.close();
  } catch (const RuntimeError&) {
    presenter_.message(omb::trs("PortController", "COMポートがクローズ出来ませんでした！"), omb::trs("PortController", "未オープン"), MsgIcon::Critical, MsgButtons::Ok);
    return;
  }
  cmdPOpenEnabled = true;
  cmdPCloseEnabled = false;
  commSetEnabled = true;
  log_.subEnable_CommSet(true);
  log_.portClosed(panelPortNo);
  panelStatus = "Close";
  G_PortOpen = false;
  notify();
}

void PortController::comm_OnComm(LineEvent event) {
  if (event != LineEvent::DeviceLost && engine_.busy()) {
    // One of each kind waits: a burst of the same event is answered once.
    if (std::find(deferred_.begin(), deferred_.end(), event) == deferred_.end()) deferred_.push_back(event);
    return;
  }
  guarded(errors_, "frmMain.comm_OnComm() ", [&](ErrorTrap&) {
    if (event == LineEvent::DeviceLost) deviceLost();
    else engine_.lineError(event);  // answered at once with a NAK carrying its code
  });
  notify();
}

// The device went away under an open port (a USB adapter pulled out): one
// log entry, the port closed as by its button, one message.  Opening it
// again works once the device is back.
void PortController::deviceLost() {
  const std::string number = panelPortNo;
  const std::string message = "COM" + number + omb::trs("PortController", " の装置が見つからなくなりました。ポートを閉じます。") + CRLF;
  const std::string stamp = "[" + formatTime(clock_.now()) + "] ";
  link_.setLabel(link_.lblComErr, stamp + message);
  log_.lineError(message);
  cmdPClose_Click();
  if (onDeviceLost) {
    onDeviceLost();
    return;
  }
  presenter_.message(omb::trs("PortController", "COMポート") + number + omb::trs("PortController", " が切断されました。") + CRLF +
                         omb::trs("PortController", "装置を接続し直してから、もう一度ポートオープンしてください。"),
                     omb::trs("PortController", "通信異常"), MsgIcon::Exclamation, MsgButtons::Ok);
}

}  // namespace omb
