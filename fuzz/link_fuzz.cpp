// Drives the receive state machine and both request processors with
// arbitrary byte streams and settings.  Whatever arrives, the engine must
// end every burst (no hang), re-arm reception, and never touch memory it
// does not own (the sanitizers watch that).
//
// Input layout:
//   byte 0: format (2 bits), sum state (2 bits), CPU type, unchecked mode,
//           question boxes shown, on-screen log
//   byte 1: inter-character wait (low 5 bits), answers to question boxes
//           (high 3 bits, one per box, 1 = Yes), wide 5-character D range
//   then chunks: a byte with the top bit set waits (low 7 bits) ms;
//   otherwise its low 6 bits give the length of the bytes that arrive next.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/presenter.h"
#include "fuzz/link_fuzz.h"
#include "link/link_engine.h"
#include "link/memory_transport.h"

namespace {

struct CountingSink : omb::TrafficSink {
  void subDsp_CommLog(const std::string& k, const std::string& r, const std::string& p,
                      const std::string& h) override {
    bytes += k.size() + r.size() + p.size() + h.size();
  }
  void screenInsert(const std::string& t) override { bytes += t.size(); }
  bool fileOpen() const override { return true; }
  void filePrint(const std::string& t) override { bytes += t.size(); }
  void lineError(const std::string& m) override { bytes += m.size(); }
  std::size_t bytes = 0;
};

}  // namespace

std::string omb::fuzz::runLinkInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return {};
  omb::ManualClock clock;
  omb::ManualScheduler loop(clock);
  omb::NullErrorSink errors;
  omb::SystemState state(errors);
  omb::LinkSettings settings;
  omb::LinkLists lists;
  omb::MemoryTransport port(loop);
  omb::RecordingPresenter presenter;
  CountingSink log;
  omb::LinkContext ctx{state, settings, lists, clock, log, nullptr};
  omb::LinkEngine engine(ctx, loop, port);
  engine.onQuestion = [&](const omb::Question& q) {
    engine.answer(presenter.message(q.text, q.title, omb::MsgIcon::Exclamation, omb::MsgButtons::YesNo) ==
                  omb::MsgAnswer::Yes);
  };
  engine.closeRequested = [&] {
    port.close();
    engine.abort();
  };

  omb::subSetOldVersionRanges(state.range5, state.range7);
  const std::uint8_t f0 = data[0], f1 = data[1];
  if (f1 & 0x20) {
    // A five-character range reaching past storage: checked requests can
    // then run out of storage too.
    omb::fncSetRangeFromValue(state.range5[omb::kD], omb::kD, "D0000-D9999");
    omb::fncSetRangeFromValue(state.range5[omb::kX], omb::kX, "X0000-XFFFF");
  }
  state.subReDim_Device();
  std::size_t storage[omb::kKindCount];
  for (int k = 0; k < omb::kKindCount; ++k) storage[k] = state.memory.size(k);
  settings.config.format = static_cast<omb::Format>((f0 & 3) + 1);
  settings.config.sum = static_cast<omb::CheckState>(((f0 >> 2) & 3) % 3);
  settings.config.cpu = (f0 & 0x10) ? omb::CpuType::AnACPU : omb::CpuType::ACPU;
  settings.config.unchecked = (f0 & 0x20) != 0;
  settings.chkViewAlert = (f0 & 0x40) == 0;
  settings.chkLogDsp = (f0 & 0x80) != 0;
  settings.waitMs = 2 + (f1 & 0x1F);
  for (int i = 0; i < 3; ++i)
    presenter.answers.push_back((f1 >> (5 + i)) & 1 ? omb::MsgAnswer::Yes : omb::MsgAnswer::No);

  port.onReceived = [&](std::string_view bytes) { engine.feed(bytes); };
  port.open();

  std::string sent;
  std::size_t i = 2;
  while (i < size) {
    const std::uint8_t c = data[i++];
    if (c & 0x80) {
      loop.advance(c & 0x7F);
      sent += port.takeOutput();
      continue;
    }
    const std::size_t n = std::min<std::size_t>(c & 0x3F, size - i);
    if (!port.isOpen()) port.open();
    port.feed(std::string(reinterpret_cast<const char*>(data + i), n));
    i += n;
  }
  loop.advance(60000);
  sent += port.takeOutput();
  if (engine.busy()) return "a burst never ended";
  if (!loop.idle()) return "timers left after the line fell silent";
  if (!sent.empty() && sent[0] != omb::STX && sent[0] != omb::ACK && sent[0] != omb::NAK)
    return "the first byte sent opens no reply";
  for (int k = 0; k < omb::kKindCount; ++k)
    if (state.memory.size(k) != storage[k]) return "device storage changed size";

  // The whole input once more as a single frame, straight into both
  // processors.
  const std::string frame(reinterpret_cast<const char*>(data + 2), size - 2);
  for (bool unchecked : {false, true}) {
    const omb::Verdict v = unchecked ? engine.processor().subCmnd_NoCheck(frame, false)
                                     : engine.processor().subCmnd(frame, false);
    if (v.reply) {
      const omb::Reply r = engine.processor().act();
      if (!r.bytes.empty() && r.bytes[0] != omb::STX && r.bytes[0] != omb::ACK && r.bytes[0] != omb::NAK)
        return "a reply that opens with no reply character";
    }
  }
  return {};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!omb::fuzz::runLinkInput(data, size).empty()) __builtin_trap();
  return 0;
}
