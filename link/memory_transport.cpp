#include "link/memory_transport.h"

#include "core/error.h"
#include "core/translate.h"

namespace omb {

void MemoryTransport::feed(std::string_view bytes) {
  if (!open_) return;  // nobody listens on a closed line
  for (char c : bytes)
    if (!(nullDiscard_ && c == '\0')) in_.push_back(c);
  if (posted_ || in_.empty()) return;
  posted_ = true;
  loop_.schedule(0, [this] { deliver(); });
}

void MemoryTransport::deliver() {
  posted_ = false;
  if (!open_ || in_.empty()) return;
  std::string bytes;
  bytes.swap(in_);
  if (onReceived) onReceived(bytes);
}

void MemoryTransport::raise(LineEvent event) {
  loop_.schedule(0, [this, event] {
    if (open_ && onLineEvent) onLineEvent(event);
  });
}

std::string MemoryTransport::takeOutput() {
  std::string s;
  s.swap(out_);
  return s;
}

void MemoryTransport::open() {
  if (open_) throw RuntimeError(8005, omb::trs("Transport", "ポートは既に開かれています。"));
  if (!openable_ || (canOpen && !canOpen())) throw RuntimeError(8002, omb::trs("Transport", "ポート番号が不正です。"));
  open_ = true;
  in_.clear();
}

void MemoryTransport::close() {
  open_ = false;
  in_.clear();
}

void MemoryTransport::send(std::string_view bytes) {
  if (!open_) throw RuntimeError(8012, omb::trs("Transport", "ポートが開いていません。"));
  out_.append(bytes);
}

}  // namespace omb
