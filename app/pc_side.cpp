#include "app/pc_side.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <memory>
#include <utility>

#include "app/frame_journal.h"
#include "app/language.h"
#include "app/output_pump.h"
#include "app/stop_signals.h"
#include "core/numeric.h"
#include "core/atomic_file.h"
#include "core/translate.h"
#include "core/error.h"
#include "link/framing.h"
#include "serial/line_switch.h"

namespace omb {

namespace {


// The line as the control characters' names show it.
std::string shown(std::string_view bytes) { return terminalSafe(logText(renderFrame(bytes).replaced)); }

}  // namespace

bool isPcSideCommand(const std::vector<std::string>& args) {
  return !args.empty() && (args[0] == "send" || args[0] == "poll" || args[0] == "replay");
}

std::string pcSideUsage() {
  return "Usage: ombrisal send PORT COMMAND... [options]\n"
         "       ombrisal poll PORT COMMAND... --every MS [--count N] [options]\n"
         "       ombrisal replay FILE PORT [--speed X] [options]\n"
         "\n"
         "The PC program's side of the line.  PORT is written as --serve takes it:\n"
         "a device (/dev/ttyUSB0, the path of a virtual port), pty:PATH (a virtual\n"
         "port made here, whose other end appears at PATH), tcp:[HOST:]PORT\n"
         "(listen for the controller) or tcp-connect:ADDRESS:PORT.\n"
         "\n"
         "COMMAND is the command and its arguments: WR D100 4, BR X40 5,\n"
         "WW D0 1234 0x1F, BW M0 1 0 1, WT D0 5 X10 0xFF, BT X40 1 Y41 0,\n"
         "WM D2 X10, BM X0 Y0, MN, MB (and JR JW JT JM MJ, QR QW QT QM MQ with\n"
         "seven-character devices).  Word values are decimal (-32768 to 65535)\n"
         "or hexadecimal with 0x; bit values 0 or 1.\n"
         "\n"
         "send prints the request and the reply with control characters named,\n"
         "then the reply read out (WR D0100 ×4 → 0001 0002 0003 0004).\n"
         "poll sends the request every MS milliseconds, prints the values when\n"
         "they change and the reply times at the end (after N requests, or when\n"
         "stopped with Ctrl+C).  replay sends the PC program's frames of a\n"
         "capture (--capture, or --log-format jsonl) with their original spacing\n"
         "and names every reply that differs from the captured one.\n"
         "\n"
         "Options:\n"
         "  --format 1|2|3|4   protocol format (default 1)\n"
         "  --station NN       station number (default 00)\n"
         "  --pc NN            PC number (default FF)\n"
         "  --sum | --no-sum   sum check on or off (default on)\n"
         "  --msg-wait N       message wait, 0-15 (tens of ms; default 0)\n"
         "  --block NN         block number of format 2 (default 00)\n"
         "  --timeout MS       time allowed for a reply (default 1000)\n"
         "  --line B,P,D,S     line settings of a device (default 9600,n,8,1)\n"
         "  --every MS         poll: the period (required)\n"
         "  --count N          poll: requests to send (default: until stopped)\n"
         "  --speed X          replay: X times the original speed (default 1)\n"
         "\n"
         "Exit status: 0 every request answered, 1 a negative reply (NAK) or, for\n"
         "replay, a reply that differs, 2 no answer within the time-out, 3 a\n"
         "mistake in the command line, a capture that cannot be read or a port\n"
         "that cannot be opened.\n";
}

std::optional<PcOptions> parsePcOptions(const std::vector<std::string>& args, std::string& error) {
  PcOptions o;
  o.request.config.sum = CheckState::Checked;
  if (args.empty()) return error = "no command", std::nullopt;
  o.mode = args[0] == "poll" ? PcOptions::Mode::Poll : args[0] == "replay" ? PcOptions::Mode::Replay : PcOptions::Mode::Send;
  std::vector<std::string> positional;
  static const char* const kValued[] = {"--format", "--station", "--pc",   "--msg-wait", "--block",
                                        "--timeout", "--line",   "--every", "--count",   "--speed"};
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string a = args[i];
    if (a == "-h" || a == "--help") {
      o.help = true;
      return o;
    }
    if (a.rfind("--", 0) != 0) {
      positional.push_back(a);  // a word ("-5" is a value, not an option)
      continue;
    }
    std::string value;
    bool hasValue = false;
    if (const std::size_t eq = a.find('='); eq != std::string::npos) {
      value = a.substr(eq + 1);
      a.resize(eq);
      hasValue = true;
    }
    const bool valued = std::any_of(std::begin(kValued), std::end(kValued), [&](const char* n) { return a == n; });
    if (valued && !hasValue) {
      if (i + 1 >= args.size()) return error = a + " needs a value", std::nullopt;
      value = args[++i];
    } else if (!valued && hasValue) {
      return error = a + " takes no value", std::nullopt;
    }
    if (a == "--format") {
      const auto n = wholeNumber(value, 1, 4);
      if (!n) return error = "--format must be 1, 2, 3 or 4", std::nullopt;
      o.request.config.format = static_cast<Format>(*n);
    } else if (a == "--station" || a == "--pc" || a == "--block") {
      if (!isStationNumber(value)) return error = a + " must be two hexadecimal digits in capitals, e.g. 00 or 1F", std::nullopt;
      (a == "--station" ? o.request.config.station : a == "--pc" ? o.request.config.pcNo : o.request.blockNo) = value;
    } else if (a == "--sum" || a == "--no-sum") {
      o.request.config.sum = a == "--sum" ? CheckState::Checked : CheckState::Unchecked;
    } else if (a == "--msg-wait") {
      const auto n = wholeNumber(value, 0, 15);
      if (!n) return error = "--msg-wait must be 0 to 15", std::nullopt;
      o.request.messageWait = static_cast<int>(*n);
    } else if (a == "--timeout") {
      const auto n = wholeNumber(value, 1, 600000);
      if (!n) return error = "--timeout must be 1 to 600000 ms", std::nullopt;
      o.timeoutMs = static_cast<int>(*n);
    } else if (a == "--line") {
      const auto line = parseLineSettings(value);
      if (!line) return error = "--line must be like 9600,n,8,1", std::nullopt;
      o.line = *line;
    } else if (a == "--every") {
      const auto n = wholeNumber(value, 1, 3600000);
      if (!n) return error = "--every must be 1 to 3600000 ms", std::nullopt;
      o.everyMs = static_cast<int>(*n);
    } else if (a == "--count") {
      const auto n = wholeNumber(value, 1, 1000000000);
      if (!n) return error = "--count must be a whole number from 1", std::nullopt;
      o.count = *n;
    } else if (a == "--speed") {
      try {
        std::size_t used = 0;
        o.speed = std::stod(value, &used);
        if (used != value.size() || !(o.speed > 0) || o.speed > 1e6) throw std::invalid_argument("speed");
      } catch (const std::exception&) {
        return error = "--speed must be a number above 0, e.g. 2 or 0.5", std::nullopt;
      }
    } else {
      return error = "unknown option: " + a, std::nullopt;
    }
  }
  const bool poll = o.mode == PcOptions::Mode::Poll, replay = o.mode == PcOptions::Mode::Replay;
  if ((o.everyMs || o.count) && !poll) return error = "--every and --count belong to poll", std::nullopt;
  if (o.speed != 1 && !replay) return error = "--speed belongs to replay", std::nullopt;
  if (replay) {
    if (positional.size() != 2) return error = "replay needs FILE and PORT", std::nullopt;
    o.capture = positional[0];
    o.port = positional[1];
    return o;
  }
  if (positional.size() < 2) return error = args[0] + " needs PORT and a COMMAND, e.g. " + args[0] + " tcp-connect:127.0.0.1:5000 WR D100 4", std::nullopt;
  if (poll && o.everyMs == 0) return error = "poll needs --every MS", std::nullopt;
  o.port = positional[0];
  o.words.assign(positional.begin() + 1, positional.end());
  std::string why;
  const auto frame = buildRequest(o.words, o.request, why);
  if (!frame) return error = why, std::nullopt;
  o.frame = *frame;
  return o;
}

namespace {

// Stop asked (SIGINT, SIGTERM): written by the handler, read by a notifier.

// One line to the controller, through the transports the serve mode uses.
class PcLink {
 public:
  explicit PcLink(const PcOptions& o) : o_(o), serial_(map_), line_(serial_, tcp_, map_) {
    line_.setTarget(o.port);
    serial_.setLineConfig(o.line);
    line_.onReceived = [this](std::string_view bytes) {
      in_.append(bytes);
      if (waiting_) waiting_->quit();
    };
    line_.onLineEvent = [this](LineEvent e) {
      if (e == LineEvent::DeviceLost) lost_ = true;
      if (waiting_) waiting_->quit();
    };
  }
  ~PcLink() { line_.close(); }

  std::optional<std::string> open() {
    try {
      line_.open();
    } catch (const RuntimeError& e) {
      return e.description();
    }
    // A port made here (a virtual port, a listening TCP line): where the
    // controller is to find it.
    if ((o_.port.rfind("pty:", 0) == 0 || o_.port.rfind("tcp:", 0) == 0) && !line_.peerPath().empty())
      std::cerr << "ombrisal: " << trs("PcSide", "コントローラ側の接続先: ") << line_.peerPath() << std::endl;
    return std::nullopt;
  }

  // A stop was asked: every wait ends at once.
  void stop() {
    stopped_ = true;
    if (waiting_) waiting_->quit();
  }
  bool stopped() const { return stopped_; }

  // Sends the request and gathers the reply: the whole reply (or what came
  // of it) and whether it is whole.  Waits at most timeoutMs.
  struct Exchange {
    std::string reply;
    bool whole = false;
    std::int64_t latencyUs = 0;
  };
  Exchange exchange(const std::string& request, const LinkConfig& config, int timeoutMs) {
    Exchange x;
    QElapsedTimer clock;
    clock.start();
    // A listening line waits for the controller to connect first.
    while (line_.tcp() && !tcp_.connected() && !stopped_ && clock.elapsed() < timeoutMs) pause(10);
    in_.clear();
    try {
      line_.send(request);
    } catch (const RuntimeError&) {
      return x;
    }
    QElapsedTimer sent;
    sent.start();
    for (;;) {
      if (const auto n = replyLength(in_, config)) {
        x.reply = in_.substr(0, *n);
        x.whole = true;
        x.latencyUs = sent.nsecsElapsed() / 1000;
        in_.erase(0, *n);
        return x;
      }
      const qint64 left = timeoutMs - sent.elapsed();
      if (left <= 0 || stopped_ || lost_) break;
      wait(static_cast<int>(left));
    }
    x.reply = in_;
    in_.clear();
    return x;
  }

  // Waits `ms`, taking what the line brings meanwhile (kept for the next
  // exchange to discard).
  void pause(int ms) {
    QElapsedTimer t;
    t.start();
    while (!stopped_ && t.elapsed() < ms) wait(static_cast<int>(ms - t.elapsed()));
  }
  // Sends without waiting for a reply; what comes is kept for unasked().
  void send(const std::string& request) {
    in_.clear();
    try {
      line_.send(request);
    } catch (const RuntimeError&) {
    }
  }
  // What came without being asked for, since the last exchange.
  std::string unasked() { return std::exchange(in_, std::string()); }

 private:
  void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(std::max(ms, 0), &loop, &QEventLoop::quit);
    waiting_ = &loop;
    loop.exec();
    waiting_ = nullptr;
  }

  const PcOptions& o_;
  ComPortMap map_;
  TermiosPort serial_;
  TcpTransport tcp_;
  LineSwitch line_;
  std::string in_;
  QEventLoop* waiting_ = nullptr;
  bool lost_ = false;
  bool stopped_ = false;
};

int statusOf(const FrameFacts& facts) { return facts.kind == FrameFacts::Kind::Nak ? kNak : kAnswered; }

int runSend(PcLink& link, const PcOptions& o) {
  const std::string& request = o.frame;
  const LinkConfig& c = o.request.config;
  std::cout << trs("PcSide", "送信 : ") << shown(request) << std::endl;
  const PcLink::Exchange x = link.exchange(request, c, o.timeoutMs);
  if (!x.reply.empty()) std::cout << trs("PcSide", "受信 : ") << shown(x.reply) << std::endl;
  if (!x.whole) {
    std::cerr << "ombrisal: "
              << (x.reply.empty() ? trs("PcSide", "応答がありません") : trs("PcSide", "応答が途中で途切れました")) << " ("
              << o.timeoutMs << " ms)" << std::endl;
    return kNoAnswer;
  }
  FrameReader reader;
  reader.read(true, request, c);
  const FrameFacts& facts = reader.read(false, x.reply, c);
  std::cout << terminalSafe(readingText(facts)) << std::endl;
  return statusOf(facts);
}

std::string stamp() {
  const std::string iso = isoLocalTime(wallClockMs());
  return "[" + iso.substr(11) + "] ";
}

std::string ms(std::int64_t us) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(us) / 1000.0);
  return buf;
}

int runPoll(PcLink& link, const PcOptions& o) {
  const std::string& request = o.frame;
  const LinkConfig& c = o.request.config;
  std::vector<std::int64_t> latencies;
  long sent = 0, naks = 0, silent = 0;
  std::string last;  // what was printed last: values, a NAK or no answer
  QElapsedTimer clock;
  clock.start();
  for (; !link.stopped() && (o.count == 0 || sent < o.count); ++sent) {
    const qint64 due = static_cast<qint64>(sent) * o.everyMs;
    if (clock.elapsed() < due) link.pause(static_cast<int>(due - clock.elapsed()));
    if (link.stopped()) break;
    const PcLink::Exchange x = link.exchange(request, c, o.timeoutMs);
    if (link.stopped() && !x.whole) break;
    std::string now;
    if (!x.whole) {
      ++silent;
      now = trs("PcSide", "応答なし");
    } else {
      latencies.push_back(x.latencyUs);
      FrameReader reader;
      reader.read(true, request, c);
      const FrameFacts& facts = reader.read(false, x.reply, c);
      if (facts.kind == FrameFacts::Kind::Nak) ++naks;
      now = readingText(facts);
    }
    if (now != last) std::cout << stamp() << terminalSafe(now) << std::endl;
    last = now;
  }
  std::cout << trs("PcSide", "要求 ") << sent << trs("PcSide", " 回: 応答 ") << latencies.size() << trs("PcSide", " (うち NAK ") << naks
            << trs("PcSide", "), 無応答 ") << silent << std::endl;
  if (!latencies.empty()) {
    std::vector<std::int64_t> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    std::int64_t total = 0;
    for (std::int64_t l : sorted) total += l;
    const std::size_t p95 = std::min(sorted.size() - 1, (sorted.size() * 95 + 99) / 100 - 1);
    std::cout << trs("PcSide", "応答時間 (ms): 最小 ") << ms(sorted.front()) << trs("PcSide", " 平均 ")
              << ms(total / static_cast<std::int64_t>(sorted.size())) << " p95 " << ms(sorted[p95]) << trs("PcSide", " 最大 ")
              << ms(sorted.back()) << std::endl;
  }
  return silent ? kNoAnswer : naks ? kNak : kAnswered;
}

// One request of a capture and the reply captured after it.
struct ReplayStep {
  std::string request, expected;
  double atMs = 0;
  LinkConfig config;
  int line = 0;
};

int runReplay(PcLink& link, const PcOptions& o, const std::vector<ReplayStep>& steps) {
  QElapsedTimer clock;
  clock.start();
  const double origin = steps.empty() ? 0 : steps.front().atMs;
  int differ = 0, done = 0;
  for (const ReplayStep& s : steps) {
    const auto due = static_cast<qint64>((s.atMs - origin) / o.speed);
    if (clock.elapsed() < due) link.pause(static_cast<int>(due - clock.elapsed()));
    if (link.stopped()) break;
    ++done;
    std::string got;
    if (s.expected.empty()) {
      // Nothing was answered: listen a little for an answer that should not come.
      link.send(s.request);
      link.pause(std::min(o.timeoutMs, 300));
      got = link.unasked();
    } else {
      got = link.exchange(s.request, s.config, o.timeoutMs).reply;
    }
    if (got == s.expected) continue;
    ++differ;
    FrameReader reader;
    const std::string asked = readingText(reader.read(true, s.request, s.config));
    auto readOut = [&](const std::string& reply) {
      return reply.empty() ? trs("PcSide", "(応答なし)") : shown(reply) + "  " + terminalSafe(reader.reading(false, reply, s.config));
    };
    std::cout << "#" << done << " (" << o.capture << ":" << s.line << ") " << terminalSafe(asked) << std::endl
              << trs("PcSide", "  記録: ") << readOut(s.expected) << std::endl
              << trs("PcSide", "  今回: ") << readOut(got) << std::endl;
  }
  std::cout << trs("PcSide", "再生 ") << done << trs("PcSide", " 要求: 一致 ") << done - differ << trs("PcSide", ", 相違 ") << differ << std::endl;
  return differ ? kNak : kAnswered;
}

// The PC program's frames of a capture, each with the replies that followed
// it; empty with `error` naming the line on a mistake.
std::optional<std::vector<ReplayStep>> readCapture(const std::string& file, std::string& error) {
  std::string text;
  int err = 0;
  if (!readWholeFile(file, text, err)) return error = file + ": " + readFailureText(err), std::nullopt;
  std::vector<ReplayStep> steps;
  int lineNo = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + at, end - at);
    at = end + 1;
    ++lineNo;
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    std::string why;
    const auto e = parseJournalLine(line, why);
    if (!e) return error = file + ":" + std::to_string(lineNo) + ": " + why, std::nullopt;
    if (e->fromPc) {
      ReplayStep s;
      s.request = e->bytes;
      s.atMs = e->monoMs;
      s.config.format = static_cast<Format>(e->format);
      s.config.sum = e->sum ? CheckState::Checked : CheckState::Unchecked;
      s.line = lineNo;
      steps.push_back(std::move(s));
    } else if (!steps.empty()) {
      steps.back().expected += e->bytes;
    }
  }
  if (steps.empty()) return error = file + trs("PcSide", ": PC の要求が記録されていません"), std::nullopt;
  return steps;
}

}  // namespace

int runPcSide(int argc, char** argv, const std::vector<std::string>& args) {
  std::string error;
  const auto o = parsePcOptions(args, error);
  if (!o) {
    std::cerr << "ombrisal: " << error << "\n(ombrisal " << args[0] << " --help shows the options)" << std::endl;
    return kPcMistake;
  }
  if (o->help) {
    std::cout << pcSideUsage();
    return kAnswered;
  }
  QCoreApplication app(argc, argv);
  // Its messages in the language chosen (--lang or the locale; no settings
  // file is looked for on the PC's side).
  applyLanguage(std::string(), false);
  std::vector<ReplayStep> steps;
  if (o->mode == PcOptions::Mode::Replay) {
    auto read = readCapture(o->capture, error);
    if (!read) {
      std::cerr << "ombrisal: " << terminalSafe(error) << std::endl;
      return kPcMistake;
    }
    steps = std::move(*read);
  }
  ::signal(SIGPIPE, SIG_IGN);
  PcLink link(*o);
  if (const auto failed = link.open()) {
    std::cerr << "ombrisal: " << trs("PcSide", "ポート ") << o->port << trs("PcSide", " を開けません: ") << *failed << std::endl;
    return kPcMistake;
  }
  // Ctrl+C ends a poll or a replay with its summary.
  std::unique_ptr<QSocketNotifier> stop;
  if (const int socket = stopSignals::catchSignals({SIGINT, SIGTERM}); socket >= 0) {
    stop = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    QObject::connect(stop.get(), &QSocketNotifier::activated, &app, [&] {
      stop->setEnabled(false);
      link.stop();
    });
  }
  switch (o->mode) {
    case PcOptions::Mode::Send: return runSend(link, *o);
    case PcOptions::Mode::Poll: return runPoll(link, *o);
    case PcOptions::Mode::Replay: return runReplay(link, *o, steps);
  }
  return kPcMistake;
}

}  // namespace omb
