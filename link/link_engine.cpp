#include "link/link_engine.h"

#include <algorithm>
#include "core/translate.h"

namespace omb {

namespace {

bool isEotOrCl(char c) { return c == EOT || c == CL; }
const char* const kReceiveLabel = "frmMain.subRecive() ";

}  // namespace

// Every way into the engine (bytes, timers, answers) runs under the
// receive handler's trap.  A failure loses the frame being gathered and
// ends the burst; the bytes after it are taken up as a new burst.
template <class Step>
void LinkEngine::guardedStep(Step&& step) {
  if (inPump_) {  // an outer step holds the trap
    step();
    return;
  }
  inPump_ = true;
  bool first = true;
  for (;;) {
    const std::size_t before = inPos_;
    const bool ok = guarded(ctx_.state.errors, kReceiveLabel, false, [&](ErrorTrap&) {
      if (first) step();
      first = false;
      pump();
      return true;
    });
    if (ok) break;
    first = false;
    if (inPos_ == before) inPos_ = in_.size();  // never fail twice on the same bytes
    asking_ = false;
    finish();
  }
  inPump_ = false;
}

void LinkEngine::feed(std::string_view bytes) {
  if (bytes.empty()) return;
  if (inPos_ == in_.size()) {
    in_.clear();
    inPos_ = 0;
  } else if (inPos_ >= 65536) {  // a long queue behind a slow answer: drop what was taken up
    in_.erase(0, inPos_);
    inPos_ = 0;
  }
  in_.append(bytes);
  lastByteAt_ = nowUs();
  guardedStep([] {});
  // What waits behind an answer is bounded: the rest is dropped and told
  // once the burst is over.
  if (in_.size() - inPos_ > kMaxQueuedInput) {
    inputDropped_ += in_.size() - inPos_ - kMaxQueuedInput;
    in_.resize(inPos_ + kMaxQueuedInput);
  }
}

void LinkEngine::abort() {
  if (timer_) scheduler_.cancel(timer_);
  timer_ = 0;
  ++epoch_;
  state_ = State::Idle;
  asking_ = false;
  in_.clear();
  inPos_ = 0;
  frame_.clear();
  stray_.clear();
  invalidSeen_ = 0;
  frameDropped_ = strayDropped_ = inputDropped_ = 0;
  lastRead_.reset();
  active_ = own_;
  fault_ = -1;
  tail_.clear();
  after_.reset();
  transport_.discardOutput();
}

// Takes up what waits in the queue as far as the state allows; when it runs
// dry, the silence that ends the frame or the hunt is awaited.
void LinkEngine::pump() {
  while (state_ != State::Answering) {
    if (inPos_ >= in_.size()) {
      if (state_ != State::Idle) armSilence();
      return;
    }
    if (state_ == State::Idle) beginBurst();
    const char c = in_[inPos_++];
    if (state_ == State::Hunting) huntByte(c);
    else gatherByte(c);
  }
}

void LinkEngine::beginBurst() {
  state_ = State::Hunting;
  entry_ = ctx_.clock.now();
  stray_.clear();
  lastRead_.reset();
}

// Hunting for a start character; stray bytes are kept for the report.
void LinkEngine::huntByte(char c) {
  lastRead_ = c;
  if (isEotOrCl(c)) return;
  if (own_->frameStart(c)) {
    beginFrame(c);
    return;
  }
  if (stray_.size() < kMaxStrayBytes) stray_.push_back(c);
  else ++strayDropped_;
}

void LinkEngine::beginFrame(char start) {
  strayDropped_ = 0;  // the stray bytes before a start character go unreported
  state_ = State::Gathering;
  frame_.assign(1, start);
  invalid_ = false;
  invalidSeen_ = 0;
  stray_.clear();
}

void LinkEngine::gatherByte(char c) {
  if (c == '\0') {  // a NUL that reached us ends the frame
    completeFrame();
    return;
  }
  if (isEotOrCl(c)) {  // dropped; the mark is cleared and the silence starts again
    invalid_ = false;
    return;
  }
  if (!isFrameChar(c)) {
    invalid_ = true;
    if (++invalidSeen_ <= kMaxInvalidLines) reportInvalid(c);
  }
  if (own_->endsFrame(c)) {
    // The next start character completes the frame so far.
    logReceived(true);
    nextStart_ = c;
    process(Then::NextFrame);
    return;
  }
  if (frame_.size() < kMaxFrameBytes) frame_.push_back(c);
  else ++frameDropped_;
}

void LinkEngine::armSilence() {
  if (timer_) return;  // armed already; onSilence follows a moved deadline
  // Whole milliseconds, rounded up: the silence is never cut short.
  const std::int64_t delay = std::max<std::int64_t>(0, (lastByteAt_ + waitUs() - nowUs() + 999) / 1000);
  const std::uint64_t epoch = epoch_;
  timer_ = scheduler_.schedule(static_cast<int>(delay), [this, epoch] {
    timer_ = 0;
    if (epoch == epoch_) guardedStep([this] { onSilence(); });
  });
  if (onQuiet) onQuiet();
}

void LinkEngine::onSilence() {
  if (state_ != State::Hunting && state_ != State::Gathering) return;
  if (inPos_ < in_.size()) return;  // pump takes it up
  if (nowUs() < lastByteAt_ + waitUs()) {
    armSilence();  // bytes came since the timer was set
    return;
  }
  if (state_ == State::Gathering) {
    completeFrame();
    return;
  }
  // The line fell silent without a start character.
  std::optional<Question> q;
  if (lastRead_ && !isEotOrCl(*lastRead_)) q = reportUnexpectedStart();
  if (q) {
    state_ = State::Answering;
    then_ = Then::Finish;
    ask(*q);
  } else {
    finish();
  }
}

void LinkEngine::completeFrame() {
  logReceived(false);
  ctx_.settings.setLabel(ctx_.settings.lblRev, frame_);
  process(Then::Finish);
}

void LinkEngine::process(Then then) {
  if (timer_) scheduler_.cancel(timer_);
  timer_ = 0;
  state_ = State::Answering;
  then_ = then;
  frameEndUs_ = lastByteAt_;
  active_ = own_;
  if (route)
    if (Protocol* p = route(frame_)) active_ = p;
  reportDropped();
  if (tap) tap->frame({true, frame_, lastByteAt_, -1});
  const Verdict v = active_->handle(frame_, invalid_);
  frame_.clear();
  invalid_ = false;
  if (stats) stats->request();
  fault_ = -1;
  if (v.question) {
    ask(*v.question);
    return;
  }
  if (!v.reply) {
    carryOn();
    return;
  }
  int waitMs = v.waitMs;
  if (faults && !faults->rules().empty()) {
    fault_ = faults->pick(active_->faultSubject());
    if (fault_ >= 0 && faults->rule(fault_).action == FaultAction::Delay) {
      markFault();
      waitMs += faults->rule(fault_).ms;
    }
  }
  if (waitMs > 0) {
    const std::uint64_t epoch = epoch_;
    timer_ = scheduler_.schedule(waitMs, [this, epoch] {
      timer_ = 0;
      if (epoch == epoch_) guardedStep([this] { act(); });
    });
    return;
  }
  act();
}

// After the message wait: execute, send the reply in one piece, log it.
// An injected fault changes what is executed or sent here, and nothing else.
void LinkEngine::act() {
  const FaultRule* f = fault_ >= 0 ? &faults->rule(fault_) : nullptr;
  const FaultAction action = f ? f->action : FaultAction::Delay;
  if (f && action == FaultAction::Nak) markFault();
  Reply r = f && action == FaultAction::Nak ? active_->nakReply(f->nakCode) : active_->act();
  if (r.bytes.empty()) {
    afterReply(std::move(r.question));
    return;
  }
  if (f && action == FaultAction::Drop) {
    markFault();
    afterReply(std::move(r.question));
    return;
  }
  const bool shaping = f && action != FaultAction::Delay && action != FaultAction::Nak;
  ShapedReply shaped;
  if (shaping) shaped = shapeReply(*f, r.bytes, r.summed, ctx_.settings.framing().lineEnd);
  if (!shaping || !shaped.applies) {
    transmit(r.bytes, r.positive, r.nakCode, true);
    afterReply(std::move(r.question));
    return;
  }
  markFault();
  const bool sent = transmit(shaped.first, r.positive, r.nakCode, true);
  if (action == FaultAction::Twice) {
    if (sent) transmit(shaped.second, r.positive, r.nakCode, false);
  } else if (action == FaultAction::Split && sent) {
    // The engine stays busy through the gap, as through a message wait.
    tail_ = std::move(shaped.second);
    after_ = std::move(r.question);
    const bool positive = r.positive;
    const std::uint64_t epoch = epoch_;
    timer_ = scheduler_.schedule(shaped.gapMs, [this, epoch, positive] {
      timer_ = 0;
      if (epoch != epoch_) return;
      guardedStep([this, positive] {
        if (transport_.isOpen()) transmit(tail_, positive, {}, false);
        afterReply(std::move(after_));
      });
    });
    return;
  }
  afterReply(std::move(r.question));
}

bool LinkEngine::transmit(std::string_view bytes, bool positive, const std::string& nakCode, bool counted) {
  const bool sent = guarded(ctx_.state.errors, active_->label(), false, [&](ErrorTrap&) {
    transport_.send(bytes);
    return true;
  });
  if (!sent) return false;
  if (stats && counted) stats->reply(nowUs() - frameEndUs_, nakCode);
  if (tap) {
    const std::int64_t now = nowUs();
    tap->frame({false, bytes, now, counted ? now - frameEndUs_ : -1});
  }
  logSent(bytes);
  if (positive) ctx_.settings.setLabel(ctx_.settings.lblSnd, bytes);
  return true;
}

void LinkEngine::afterReply(std::optional<Question> q) {
  if (onReplied) onReplied();
  if (q) {
    ask(*q);
    return;
  }
  carryOn();
}

// The fault is counted where it takes effect and marked in the traffic log
// just before what it did to the reply.
void LinkEngine::markFault() {
  faults->fired(fault_);
  if (stats) stats->fault();
  const FaultRule& r = faults->rule(fault_);
  ctx_.log.note(omb::trs("LinkEngine", "障害注入 #") + std::to_string(fault_ + 1) + " (" + r.text + ") : " + faultDescription(r));
}

void LinkEngine::ask(const Question& q) {
  asking_ = true;
  if (onQuestion) onQuestion(q);
  else answer(false);
}

void LinkEngine::answer(bool closePort) {
  if (!asking_) return;
  asking_ = false;
  if (closePort) {
    if (closeRequested) closeRequested();
    else abort();
    return;
  }
  // What waits in the input is thrown away.
  transport_.discardInput();
  in_.clear();
  inPos_ = 0;
  guardedStep([this] { carryOn(); });
}

void LinkEngine::carryOn() {
  if (then_ == Then::NextFrame && transport_.isOpen()) beginFrame(nextStart_);
  else finish();
}

void LinkEngine::finish() {
  if (timer_) scheduler_.cancel(timer_);
  timer_ = 0;
  reportDropped();
  state_ = State::Idle;
  frame_.clear();
  stray_.clear();
  lastRead_.reset();
  if (onIdle) onIdle();
}

void LinkEngine::lineError(LineEvent event) {
  const char* text = nullptr;
  const char* code = "";
  switch (event) {
    case LineEvent::FramingError: text = QT_TRANSLATE_NOOP("LinkEngine", "04H フレーム エラーです"), code = "04"; break;
    case LineEvent::Overrun: text = QT_TRANSLATE_NOOP("LinkEngine", "05H オーバーラン エラーです"), code = "05"; break;
    case LineEvent::RxOverflow: text = QT_TRANSLATE_NOOP("LinkEngine", "受信バッファがオーバーフロー"); break;
    case LineEvent::ParityError: text = QT_TRANSLATE_NOOP("LinkEngine", "01H パリティ エラーです"), code = "01"; break;
    case LineEvent::TxFull: text = QT_TRANSLATE_NOOP("LinkEngine", "送信バッファがいっぱいです"); break;
    case LineEvent::DeviceLost: return;
  }
  guarded(ctx_.state.errors, "frmMain.comm_OnComm() ", [&](ErrorTrap&) {
    LinkSettings& s = ctx_.settings;
    const std::string message = omb::trs("LinkEngine", text) + CRLF;
    s.setLabel(s.lblComErr, "[" + formatTime(ctx_.clock.now()) + "] " + message);
    const std::string reply = active_->lineErrorReply(code);
    transport_.send(reply);
    if (stats) stats->lineError(code);
    if (tap) tap->frame({false, reply, nowUs(), -1});
    s.setLabel(s.lblSnd, reply);
    ctx_.log.lineError(message);
    transport_.discardInput();
    if (!busy()) {
      in_.clear();
      inPos_ = 0;
    }
  });
}

void LinkEngine::logReceived(bool midFrame) {
  const bool file = ctx_.log.fileOpen(), screen = ctx_.settings.chkLogDsp;
  if (!file && !screen) return;
  const FrameTexts f = renderFrame(frame_);
  const std::string raw = logText(f.raw), replaced = logText(f.replaced);
  if (file) {
    for (const std::string& line : {"[" + formatTime(entry_) + "] 受信", raw, replaced, f.hex}) {
      ctx_.log.filePrint(line);
      if (midFrame) ctx_.log.filePrint("");
    }
    if (const std::string r = ctx_.log.fileReading(true, frame_); !r.empty()) ctx_.log.filePrint("解読 : " + r);
  }
  if (screen) ctx_.log.subDsp_CommLog("受信 : ", raw, replaced, f.hex);
}

void LinkEngine::logSent(std::string_view reply) {
  const bool file = ctx_.log.fileOpen(), screen = ctx_.settings.chkLogDsp;
  if (!file && !screen) return;
  const FrameTexts t = renderFrame(reply);
  const std::string raw = logText(t.raw), replaced = logText(t.replaced);
  if (file) {
    ctx_.log.filePrint("[" + formatTime(active_->stamp()) + "] 送信");
    ctx_.log.filePrint(raw);
    ctx_.log.filePrint(replaced);
    ctx_.log.filePrint(t.hex);
    if (const std::string r = ctx_.log.fileReading(false, reply); !r.empty()) ctx_.log.filePrint("解読 : " + r);
    ctx_.log.filePrint("");
  }
  if (screen) ctx_.log.subDsp_CommLog("送信 : ", raw, replaced, t.hex);
}

void LinkEngine::reportInvalid(char c) {
  const auto u = static_cast<unsigned char>(c);
  const std::string shown = u < 0x20 ? CtrlCharName[u] : logText(std::string(1, c));
  logNote(omb::trs("LinkEngine", "【入力ストリーム内に ") + shown + omb::trs("LinkEngine", " 文字が検出されました。】"));
}

void LinkEngine::logNote(const std::string& line) {
  if (ctx_.log.fileOpen()) ctx_.log.filePrint(line);
  ctx_.log.subDsp_CommLog(line, "", "", "");
}

void LinkEngine::reportDropped() {
  if (invalidSeen_ > kMaxInvalidLines)
    logNote(omb::trs("LinkEngine", "【入力ストリーム内に、ほかに ") + std::to_string(invalidSeen_ - kMaxInvalidLines) +
            omb::trs("LinkEngine", " 個の不正な文字が検出されました。】"));
  invalidSeen_ = 0;
  if (frameDropped_ > 0)
    logNote(omb::trs("LinkEngine", "【受信電文が長すぎます。先頭 ") + std::to_string(kMaxFrameBytes) + omb::trs("LinkEngine", " バイトの後の ") +
            std::to_string(frameDropped_) + omb::trs("LinkEngine", " バイトを破棄しました。】"));
  if (strayDropped_ > 0)
    logNote(omb::trs("LinkEngine", "【開始文字のない受信データ ") + std::to_string(stray_.size() + strayDropped_) + omb::trs("LinkEngine", " バイトのうち、先頭 ") +
            std::to_string(stray_.size()) + omb::trs("LinkEngine", " バイトだけを記録しました。】"));
  if (inputDropped_ > 0)
    logNote(omb::trs("LinkEngine", "【受信待ちのデータが多すぎるため、") + std::to_string(inputDropped_) + omb::trs("LinkEngine", " バイトを破棄しました。】"));
  frameDropped_ = strayDropped_ = inputDropped_ = 0;
}

std::optional<Question> LinkEngine::reportUnexpectedStart() {
  const LinkSettings& s = ctx_.settings;
  const std::string expected = own_->startNames();
  const std::string mismatch = omb::trs("LinkEngine", "専用プロトコル (") + s.keisiki() + omb::trs("LinkEngine", ") に一致しない開始文字を受信しました。");
  const std::string must = omb::trs("LinkEngine", "開始文字は、") + expected + omb::trs("LinkEngine", " でなければなりません");
  const FrameTexts stray = renderFrame(stray_);
  const std::string raw = logText(stray.raw), replaced = logText(stray.replaced);
  if (ctx_.log.fileOpen()) {
    ctx_.log.filePrint(raw);
    ctx_.log.filePrint(replaced);
    ctx_.log.filePrint(stray.hex);
    ctx_.log.filePrint(std::string(omb::trs("LinkEngine", "【受信電文異常】")) + CRLF + mismatch + CRLF + must + CRLF);
  }
  if (s.chkLogDsp) {
    ctx_.log.screenInsert(std::string(omb::trs("LinkEngine", "【プロトコル異常】")) + CRLF + mismatch + CRLF + must + CRLF);
    ctx_.log.subDsp_CommLog("受信 : ", raw, replaced, stray.hex);
  }
  if (s.chkViewAlert) return std::nullopt;
  return Question{omb::trs("LinkEngine", "受信データ　<") + raw + ">" + CRLF + replaced + CRLF + stray.hex + CRLF + CRLF + mismatch + CRLF +
                      must + CRLF + omb::trs("LinkEngine", "一旦、ポートを閉じますか？"),
                  omb::trs("LinkEngine", "受信電文異常")};
}

}  // namespace omb
