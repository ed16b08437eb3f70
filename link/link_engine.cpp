#include "link/link_engine.h"

namespace omb {

namespace {
bool isEotOrCl(char c) { return c == EOT || c == CL; }
}  // namespace

void LinkEngine::onReceiveEvent() {
  if (busy_ || !ctx_.port.portOpen() || ctx_.port.inBufferCount() <= 0) return;
  ctx_.port.setRThreshold(0);
  busy_ = true;
  ++epoch_;
  entryStamp_ = "[" + formatTime(ctx_.clock.now()) + "] ";
  stray_.clear();
  frame_.clear();
  lastRead_.reset();
  run(&LinkEngine::hunt);
}

void LinkEngine::abort() {
  if (timer_) scheduler_.cancel(timer_);
  timer_ = 0;
  ++epoch_;
  busy_ = false;
  pendingAct_ = nullptr;
  pendingNext_ = nullptr;
  frame_.clear();
  stray_.clear();
}

void LinkEngine::run(Step step) {
  const bool ok = guarded(ctx_.state.errors, "frmMain.subRecive() ", false, [&](ErrorTrap&) {
    (this->*step)();
    return true;
  });
  if (!ok) finish();  // the frame being gathered is lost
}

void LinkEngine::waitThen(int ms, Step next) {
  const std::uint64_t epoch = epoch_;
  timer_ = scheduler_.schedule(ms, [this, epoch, next] {
    timer_ = 0;
    if (epoch == epoch_) run(next);
  });
}

void LinkEngine::finish() {
  if (!busy_) return;
  busy_ = false;
  if (ctx_.port.portOpen()) ctx_.port.setRThreshold(1);
  if (onIdle) onIdle();
}

std::optional<char> LinkEngine::readOne() {
  std::string s = ctx_.port.input();
  if (s.empty()) return std::nullopt;
  return s[0];
}

bool LinkEngine::isStart(char c) const {
  return ctx_.settings.format() == 3 ? c == STX : (c == ENQ || c == ACK || c == NAK);
}

// Hunting for a start character; stray characters are collected for the
// report.
void LinkEngine::hunt() {
  for (;;) {
    lastRead_ = readOne();
    if (lastRead_ && !isEotOrCl(*lastRead_)) {
      if (isStart(*lastRead_)) {
        beginFrame(*lastRead_);
        return;
      }
      stray_.append(*lastRead_);
    }
    if (ctx_.port.inBufferCount() == 0) {
      waitThen(ctx_.settings.waitMs, &LinkEngine::huntResume);
      return;
    }
  }
}

void LinkEngine::huntResume() {
  if (ctx_.port.inBufferCount() > 0) {
    hunt();
    return;
  }
  // The input ran dry without a start character.
  if (lastRead_ && !isEotOrCl(*lastRead_)) reportUnexpectedStart();
  finish();
}

void LinkEngine::beginFrame(char start) {
  frame_.clear();
  frame_.append(start);
  stray_.clear();
  restartWait();
}

void LinkEngine::restartWait() {
  frame_.invalid = false;
  waitThen(ctx_.settings.waitMs, &LinkEngine::gather);
}

void LinkEngine::gather() {
  for (;;) {
    const std::optional<char> c = readOne();
    if (!c || *c == '\0') {
      completeFrame();
      return;
    }
    if (isEotOrCl(*c)) {
      restartWait();
      return;
    }
    if (!isFrameChar(*c)) {
      frame_.invalid = true;
      reportInvalid(*c);
    }
    if (*c == STX || *c == ENQ || *c == ACK || *c == NAK) {
      // The next start character completes the frame so far.
      logReceived(frame_, true);
      const FrameTexts done = frame_;
      frame_.clear();
      pendingStart_ = *c;
      process(done, &LinkEngine::afterMidFrame);
      return;
    }
    frame_.append(*c);
    if (!continueOrWait()) return;
  }
}

// After a character was added: go on reading while input waits, otherwise
// wait one silence.
bool LinkEngine::continueOrWait() {
  if (ctx_.port.inBufferCount() > 0) return true;
  waitThen(ctx_.settings.waitMs, &LinkEngine::gatherResume);
  return false;
}

void LinkEngine::gatherResume() {
  if (ctx_.port.inBufferCount() > 0) gather();
  else completeFrame();
}

void LinkEngine::afterMidFrame() {
  frame_.clear();
  if (!ctx_.port.portOpen()) {
    finish();
    return;
  }
  frame_.append(pendingStart_);
  if (continueOrWait()) gather();
}

void LinkEngine::completeFrame() {
  logReceived(frame_, false);
  ctx_.settings.setLabel(ctx_.settings.lblRev, frame_.raw);
  const FrameTexts done = frame_;
  frame_.clear();
  process(done, &LinkEngine::finish);
}

void LinkEngine::process(const FrameTexts& frame, Step next) {
  std::optional<Deferred> d = ctx_.settings.chkCheckValue ? processor_.subCmnd_NoCheck(frame)
                                                          : processor_.subCmnd(frame);
  const std::uint64_t epoch = epoch_;
  if (d && d->waitMs > 0) {
    pendingAct_ = std::move(d->act);
    pendingNext_ = next;
    waitThen(d->waitMs, &LinkEngine::actResume);
    return;
  }
  if (d && d->act) d->act();
  if (epoch == epoch_) (this->*next)();  // unless a question box closed the port
}

void LinkEngine::actResume() {
  const std::uint64_t epoch = epoch_;
  auto act = std::move(pendingAct_);
  const Step next = pendingNext_;
  pendingAct_ = nullptr;
  if (act) act();
  if (epoch == epoch_ && next) (this->*next)();
}

void LinkEngine::logReceived(const FrameTexts& f, bool midFrame) {
  if (ctx_.log.fileOpen()) {
    for (const std::string& line : {entryStamp_ + "受信", logText(f.raw), logText(f.replaced), f.hex}) {
      ctx_.log.filePrint(line);
      if (midFrame) ctx_.log.filePrint("");
    }
  }
  if (ctx_.settings.chkLogDsp) ctx_.log.subDsp_CommLog("受信 : ", logText(f.raw), logText(f.replaced), f.hex);
}

void LinkEngine::reportInvalid(char c) {
  const auto u = static_cast<unsigned char>(c);
  const std::string shown = u < 0x20 ? CtrlCharName[u] : logText(std::string(1, c));
  const std::string line = "【入力ストリーム内に " + shown + " 文字が検出されました。】";
  if (ctx_.log.fileOpen()) ctx_.log.filePrint(line);
  ctx_.log.subDsp_CommLog(line, "", "", "");
}

void LinkEngine::reportUnexpectedStart() {
  const LinkSettings& s = ctx_.settings;
  const std::string expected = s.format() == 3 ? "STX" : "ENQ / ACK / NAK";
  const std::string mismatch = "専用プロトコル (" + s.keisiki + ") に一致しない開始文字を受信しました。";
  const std::string must = "開始文字は、" + expected + " でなければなりません";
  const std::string raw = logText(stray_.raw), replaced = logText(stray_.replaced);
  if (ctx_.log.fileOpen()) {
    ctx_.log.filePrint(raw);
    ctx_.log.filePrint(replaced);
    ctx_.log.filePrint(stray_.hex);
    ctx_.log.filePrint(std::string("【受信電文異常】") + CRLF + mismatch + CRLF + must + CRLF);
  }
  if (s.chkLogDsp) {
    ctx_.log.screenInsert(std::string("【プロトコル異常】") + CRLF + mismatch + CRLF + must + CRLF);
    ctx_.log.subDsp_CommLog("受信 : ", raw, replaced, stray_.hex);
  }
  if (s.chkViewAlert) return;
  const std::string text = "受信データ　<" + raw + ">" + CRLF + replaced + CRLF + stray_.hex + CRLF + CRLF + mismatch +
                           CRLF + must + CRLF + "一旦、ポートを閉じますか？";
  if (ctx_.presenter.message(text, "受信電文異常", MsgIcon::Exclamation, MsgButtons::YesNo) == MsgAnswer::Yes) {
    if (ctx_.closePort) ctx_.closePort();
  } else {
    processor_.discardInput();
  }
}

}  // namespace omb
