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

#include "link/link_engine.h"
#include "link/memory_port.h"

namespace {

struct CountingSink : omb::TrafficSink {
  void subDsp_CommLog(const std::string& k, const std::string& r, const std::string& p,
                      const std::string& h) override {
    bytes += k.size() + r.size() + p.size() + h.size();
  }
  void screenInsert(const std::string& t) override { bytes += t.size(); }
  bool fileOpen() const override { return true; }
  void filePrint(const std::string& t) override { bytes += t.size(); }
  std::size_t bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  omb::ManualClock clock;
  omb::ManualScheduler loop(clock);
  omb::NullErrorSink errors;
  omb::SystemState state(errors);
  omb::LinkSettings settings;
  omb::LinkLists lists;
  omb::MemoryPort port(loop);
  omb::RecordingPresenter presenter;
  CountingSink log;
  omb::LinkEngine* enginePtr = nullptr;
  omb::LinkContext ctx{state, settings, lists, port, clock, presenter, log, nullptr, [&] {
                         port.setPortOpen(false);
                         enginePtr->abort();
                       }};
  omb::LinkEngine engine(ctx, loop);
  enginePtr = &engine;

  omb::subSetOldVersionRanges(state.range5, state.range7);
  const std::uint8_t f0 = data[0], f1 = data[1];
  if (f1 & 0x20) {
    // A five-character range reaching past storage: checked requests can
    // then run out of storage too.
    omb::fncSetRangeFromValue(state.range5[omb::kD], omb::kD, "D0000-D9999");
    omb::fncSetRangeFromValue(state.range5[omb::kX], omb::kX, "X0000-XFFFF");
  }
  state.subReDim_Device();
  settings.setFormat(omb::formatCaption((f0 & 3) + 1));
  settings.chkSum = static_cast<omb::CheckState>(((f0 >> 2) & 3) % 3);
  settings.cpuType = (f0 & 0x10) ? "AnACPU" : "ACPU";
  settings.chkCheckValue = (f0 & 0x20) != 0;
  settings.chkViewAlert = (f0 & 0x40) == 0;
  settings.chkLogDsp = (f0 & 0x80) != 0;
  settings.waitMs = 2 + (f1 & 0x1F);
  for (int i = 0; i < 3; ++i)
    presenter.answers.push_back((f1 >> (5 + i)) & 1 ? omb::MsgAnswer::Yes : omb::MsgAnswer::No);

  port.onComm = [&](omb::CommEvent e) {
    if (e == omb::CommEvent::Receive) engine.onReceiveEvent();
  };
  port.setNullDiscard(true);
  port.setInputLen(1);
  port.setPortOpen(true);
  port.setRThreshold(1);

  std::size_t i = 2;
  while (i < size) {
    const std::uint8_t c = data[i++];
    if (c & 0x80) {
      loop.advance(c & 0x7F);
      continue;
    }
    const std::size_t n = std::min<std::size_t>(c & 0x3F, size - i);
    if (!port.portOpen()) {
      port.setPortOpen(true);
      port.setRThreshold(1);
    }
    port.feed(std::string(reinterpret_cast<const char*>(data + i), n));
    i += n;
  }
  loop.advance(60000);
  if (engine.busy() || !loop.idle()) __builtin_trap();  // a burst that never ends
  if (port.portOpen() && port.rThreshold() != 1) __builtin_trap();

  // The whole input once more as a single frame, straight into both
  // processors.
  const omb::FrameTexts frame = omb::renderFrame(std::string(reinterpret_cast<const char*>(data + 2), size - 2));
  for (bool unchecked : {false, true}) {
    if (!port.portOpen()) port.setPortOpen(true);
    auto d = unchecked ? engine.processor().subCmnd_NoCheck(frame) : engine.processor().subCmnd(frame);
    if (d && d->act) d->act();
  }
  return 0;
}
