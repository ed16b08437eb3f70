#include "link/memory_port.h"

#include "core/error.h"

namespace omb {

void MemoryPort::feed(std::string_view bytes) {
  if (!open_) return;  // nobody listens on a closed port
  for (char c : bytes)
    if (!(nullDiscard_ && c == '\0')) in_.push_back(c);
  postReceive();
}

void MemoryPort::raise(CommEvent event) {
  loop_.schedule(0, [this, event] {
    if (open_ && onComm) onComm(event);
  });
}

std::string MemoryPort::takeOutput() {
  std::string s;
  s.swap(out_);
  return s;
}

void MemoryPort::setSettings(const std::string& settings) {
  if (!parseLineSettings(settings)) throw RuntimeError(380, "プロパティの値が不正です。");
  settings_ = settings;
}

void MemoryPort::setRThreshold(int threshold) {
  threshold_ = threshold;
  postReceive();
}

void MemoryPort::setPortOpen(bool open) {
  if (open == open_) {
    if (open) throw RuntimeError(8005, "ポートは既に開かれています。");
    return;
  }
  if (open && (!openable_ || (canOpen && !canOpen(number_)))) throw RuntimeError(8002, "ポート番号が不正です。");
  open_ = open;
  in_.clear();
}

std::string MemoryPort::input() {
  if (!open_) throw RuntimeError(8012, "ポートが開いていません。");
  return takeInput(in_, inputLen_);
}

void MemoryPort::output(std::string_view bytes) {
  if (!open_) throw RuntimeError(8012, "ポートが開いていません。");
  out_.append(bytes);
}

void MemoryPort::postReceive() {
  if (receivePosted_ || threshold_ < 1 || in_.empty() || !open_) return;
  receivePosted_ = true;
  loop_.schedule(0, [this] {
    receivePosted_ = false;
    if (open_ && threshold_ >= 1 && !in_.empty() && onComm) onComm(CommEvent::Receive);
  });
}

}  // namespace omb
