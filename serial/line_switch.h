// The line the program serves: the serial port (a device or a virtual
// port) or a TCP line, chosen at every opening by the port's target — an
// explicit one (the serve mode's PORT) or the COM number's mapping in the
// settings file ("COM9=tcp:5000"), so TCP lines stand beside the COM ports
// in the window too.  The engine and the port controller see one line.
#pragma once

#include <functional>
#include <string>

#include "link/transport.h"
#include "serial/com_ports.h"
#include "serial/serial_line.h"
#include "serial/tcp_transport.h"
#include "serial/termios_port.h"

namespace omb {

class LineSwitch final : public Transport, public SerialLine {
 public:
  LineSwitch(TermiosPort& serial, TcpTransport& tcp, const ComPortMap& map);

  // Opens this target instead of the mapped COM number.
  void setTarget(std::string target);
  // What a PC program opens (or connects to) to reach us.
  std::string peerPath() const { return isOpen() ? active_->peerName() : std::string(); }
  bool tcp() const { return active_ == &tcp_; }
  // Whether the open line sends as fast as it is written (a virtual port or
  // TCP), so replies may be paced to the configured line speed.
  bool unpaced() const { return isOpen() && (tcp() || serial_.isVirtual()); }

  // --- SerialLine: a TCP line has no line settings ---
  void setCommPort(int number) override { serial_.setCommPort(number); }
  int commPort() const override { return serial_.commPort(); }
  void setLineConfig(const LineConfig& config) override { serial_.setLineConfig(config); }
  LineConfig lineConfig() const override { return serial_.lineConfig(); }
  std::vector<std::string> unappliedSettings() const override {
    return tcp() ? std::vector<std::string>{} : serial_.unappliedSettings();
  }

  // --- Transport ---
  void open() override;
  void close() override { active_->close(); }
  bool isOpen() const override { return active_->isOpen(); }
  void send(std::string_view bytes) override { active_->send(bytes); }
  void discardInput() override { active_->discardInput(); }
  std::string peerName() const override { return active_->peerName(); }

  // Notes of the TCP line for the traffic log.
  std::function<void(const std::string& message)> onNotice;

 private:
  TermiosPort& serial_;
  TcpTransport& tcp_;
  const ComPortMap& map_;
  std::string target_;
  Transport* active_;
};

}  // namespace omb
