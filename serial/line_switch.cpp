#include "serial/line_switch.h"

namespace omb {

LineSwitch::LineSwitch(TermiosPort& serial, TcpTransport& tcp, const ComPortMap& map)
    : serial_(serial), tcp_(tcp), map_(map), active_(&serial) {
  for (Transport* t : {static_cast<Transport*>(&serial_), static_cast<Transport*>(&tcp_)}) {
    t->onReceived = [this, t](std::string_view bytes) {
      if (t == active_ && onReceived) onReceived(bytes);
    };
    t->onLineEvent = [this, t](LineEvent event) {
      if (t == active_ && onLineEvent) onLineEvent(event);
    };
  }
  tcp_.onNotice = [this](const std::string& message) {
    if (onNotice) onNotice(message);
  };
}

void LineSwitch::setTarget(std::string target) {
  target_ = std::move(target);
  serial_.setTarget(target_);
  tcp_.setTarget(target_);
}

void LineSwitch::open() {
  const std::string target = target_.empty() ? map_.target(serial_.commPort()) : target_;
  if (isTcpTarget(target)) {
    tcp_.setTarget(target);
    active_ = &tcp_;
  } else {
    active_ = &serial_;
  }
  active_->open();
}

}  // namespace omb
