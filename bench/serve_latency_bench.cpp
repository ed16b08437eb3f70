// Request-to-reply latency over a virtual port with a 2 ms inter-character
// wait, the PC program's view: from writing a whole request to reading the
// whole reply.  A reply cannot come before the line has been silent for one
// wait after the request, so the floor is measured in the same run with a
// minimal responder that does nothing else: it reads, and answers with a
// fixed reply once one wait of silence has passed.  Five runs:
//   Minimal   the floor;
//   Serve     `ombrisal --serve` as a separate process, traffic log on;
//   ServeTcp  the same over TCP on the loopback address: the line should
//             cost no more than the virtual port (vs_serve, its median's
//             ratio to Serve's);
//   ServeGenerators  the virtual port again with 200 value generators
//             stepping every 10 ms (vs_serve as above);
//   Window    the main window in this process with every device view open;
//   ServeWrites, WindowWrites  the serve mode and the window with every
//             single view open while the PC program writes 64 words every
//             20 ms (the window's vs_serve and its main thread's cpu_pct);
//   WindowSixteenWithGenerators  sixteen windows open, 200 generators
//             stepping every 10 ms on what they show, the PC polling;
//   WindowOpeningLargeWindows  the PC polling while 32767-row windows open;
//   ServeScript  the serve mode with a script of 1000 handlers on D0-D999:
//             the PC program polling as for Serve (vs_serve), and writing 64
//             of those words with new values every 20 ms, so that 64
//             handlers run after each reply, against the same program and
//             load without the script (writes_vs_plain).
// Each reports its median and 99th percentile in milliseconds and, for all
// but the floor, their ratios to it.
//   OMBRISAL_LATENCY_REQUESTS sets the requests per run (default 500).
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "app/frm_main.h"
#include "core/generators.h"
#include "e2e/serve_process.h"
#include "qt_bench_main.h"
#include "views/view_factory.h"
#include "app/compose.h"
#include "app/app_core.h"
#include "views/view_manager.h"

namespace {

constexpr int kWaitMs = 2;
const std::string kRequest = std::string(1, 0x05) + "00FFWR0D000010";
const std::size_t kReplyLength = 1 + 4 + 16 * 4 + 1;

int requests() {
  const char* n = std::getenv("OMBRISAL_LATENCY_REQUESTS");
  const int v = n ? std::atoi(n) : 500;
  return v > 0 ? v : 500;
}

std::string tempPath(const char* what) {
  return (std::filesystem::temp_directory_path() /
          ("ombrisal-latency-" + std::string(what) + "-" + std::to_string(::getpid())))
      .string();
}

struct Figures {
  double median = 0, p99 = 0, max = 0;
  bool ok = false;
};

// The figures of reply times in milliseconds (at least one).
Figures figuresOf(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return Figures{ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)], ms.back(), true};
}

// The PC program's end of a TCP line, with reads that wait for the reply
// as PcPort's do.  No Nagle delay: a request goes out the moment it is
// written, as a PC program on a TCP link would set it.
class TcpClient {
 public:
  explicit TcpClient(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
    if (fd_ < 0) return;
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
  ~TcpClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;
  bool ok() const { return fd_ >= 0; }
  std::string exchange(const std::string& request, std::size_t replyLength) const {
    if (::send(fd_, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) return {};
    std::string got;
    while (got.size() < replyLength) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 1000) <= 0) break;
      char buf[512];
      const ssize_t r = ::recv(fd_, buf, sizeof buf, 0);
      if (r <= 0) break;
      got.append(buf, static_cast<std::size_t>(r));
    }
    return got;
  }

 private:
  int fd_ = -1;
};

// `count` exchanges on the PC program's end of a line.
template <class End>
Figures exchangeOn(const End& pc, int count, const std::function<void()>& between = nullptr,
                   const std::string& request = kRequest, std::size_t replyLength = kReplyLength) {
  Figures f;
  if (!pc.ok()) return f;
  std::vector<double> ms;
  for (int i = 0; i < 10; ++i) {  // warming up: caches, lazily built windows
    if (pc.exchange(request, replyLength).size() != replyLength) return f;
    if (between) between();
  }
  for (int i = 0; i < count; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    const std::string reply = pc.exchange(request, replyLength);
    const auto t1 = std::chrono::steady_clock::now();
    if (reply.size() != replyLength) return f;
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    if (between) between();
  }
  return figuresOf(std::move(ms));
}

// `count` exchanges on the PC program's end of the virtual port at `path`.
Figures exchange(const std::string& path, int count, const std::function<void()>& between = nullptr,
                 const std::string& request = kRequest, std::size_t replyLength = kReplyLength) {
  return exchangeOn(omb::test::PcPort(path), count, between, request, replyLength);
}

// The write load a PC program puts on a line: 64 words of D written every
// 20 ms (format 1, no sum check), each answered with ACK.
const std::string kWrite = [] {
  std::string r = std::string(1, 0x05) + "00FFWW0D000040";
  for (int i = 0; i < 64; ++i) r += "12" + std::string(1, "0123456789ABCDEF"[i % 16]) + "5";
  return r;
}();
constexpr std::size_t kAckLength = 5;
constexpr int kWriteEveryMs = 20;
// The writes' exchanges: fewer, since each waits 20 ms after its reply.
int writeRequests() { return std::max(20, requests() / 2); }

// CPU time of this process's main thread (the one with the windows), in
// milliseconds.
double mainThreadCpuMs() {
  const std::string path = "/proc/self/task/" + std::to_string(::getpid()) + "/stat";
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return 0;
  char buf[1024] = {};
  const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  const std::string stat(buf, n);
  // Fields after the command's closing parenthesis: state is field 3,
  // utime 14 and stime 15.
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream in(stat.substr(close + 2));
  std::string field;
  double utime = 0, stime = 0;
  for (int i = 3; i <= 15 && (in >> field); ++i) {
    if (i == 14) utime = std::atof(field.c_str());
    if (i == 15) stime = std::atof(field.c_str());
  }
  return (utime + stime) * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Answers every request with a fixed reply once the line has been silent
// for one wait after its last byte: all a responder must do.
class MinimalResponder {
 public:
  MinimalResponder() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) return;
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY);  // our hold, so the far end can come and go
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
    thread_ = std::thread([this] { run(); });
  }
  ~MinimalResponder() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  const std::string& path() const { return path_; }

 private:
  void run() {
    const std::string reply = std::string(1, 0x02) + "00FF" + std::string(64, '0') + std::string(1, 0x03);
    using clock = std::chrono::steady_clock;
    bool pending = false;
    clock::time_point last;
    while (!stop_) {
      timespec ts{0, 20'000'000};  // idle: look at the stop flag now and then
      if (pending) {
        const auto left = last + std::chrono::milliseconds(kWaitMs) - clock::now();
        const auto ns = std::max<long long>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(left).count());
        ts = {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
      }
      pollfd p{master_, POLLIN, 0};
      const int r = ::ppoll(&p, 1, &ts, nullptr);
      if (r > 0) {
        char buf[512];
        if (::read(master_, buf, sizeof buf) > 0) {
          pending = true;
          last = clock::now();
        }
        continue;
      }
      if (pending && clock::now() >= last + std::chrono::milliseconds(kWaitMs)) {
        [[maybe_unused]] auto n = ::write(master_, reply.data(), reply.size());
        pending = false;
      }
    }
  }
  int master_ = -1, slave_ = -1;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

Figures minimal() {
  static Figures f = [] {
    MinimalResponder r;
    return exchange(r.path(), requests());
  }();
  return f;
}

void report(benchmark::State& state, const Figures& f, bool ratios) {
  if (!f.ok) {
    state.SkipWithError("no reply");
    return;
  }
  state.counters["median_ms"] = f.median;
  state.counters["p99_ms"] = f.p99;
  if (!ratios) return;
  const Figures floor = minimal();
  if (!floor.ok) return;
  state.counters["median_vs_minimal"] = f.median / floor.median;
  state.counters["p99_vs_minimal"] = f.p99 / floor.p99;
}

// The run's median and 99th percentile against the serve mode's in the
// same run (vs_serve, p99_vs_serve).
void versusServe(benchmark::State& state, const Figures& f, const Figures& serve) {
  if (!f.ok || !serve.ok) return;
  state.counters["vs_serve"] = f.median / serve.median;
  state.counters["p99_vs_serve"] = f.p99 / serve.p99;
}

void BM_Minimal(benchmark::State& state) {
  Figures f;
  for (auto _ : state) f = minimal();
  report(state, f, false);
}
BENCHMARK(BM_Minimal)->Iterations(1)->Unit(benchmark::kMillisecond);

// `ombrisal --serve` over the virtual port; measured once, for its own run
// and as the yardstick of the TCP run.
Figures serve() {
  static Figures f = [] {
    const std::string path = tempPath("serve");
    omb::test::ServeProcess serve({"--serve", "pty:" + path, "--no-sum", "--wait", std::to_string(kWaitMs)});
    if (!serve.waitForOutput("serving on")) return Figures{};
    Figures got = exchange(path, requests(), [&] { serve.drain(); });  // keep its traffic log flowing
    serve.stop();
    return got;
  }();
  return f;
}

void BM_Serve(benchmark::State& state) {
  Figures f;
  for (auto _ : state) f = serve();
  report(state, f, true);
}
BENCHMARK(BM_Serve)->Iterations(1)->Unit(benchmark::kMillisecond);

// The same program with 200 value generators stepping every 10 ms on
// devices the PC program does not read (vs_serve: its median's ratio to
// Serve's, the cost of the generators to the line).
void BM_ServeGenerators(benchmark::State& state) {
  Figures f;
  for (auto _ : state) {
    const std::string path = tempPath("generators"), sim = path + ".sim";
    std::string lines;
    for (int i = 0; i < 200; ++i)
      lines += (i % 2 ? "sine D" : "counter D") + std::to_string(1000 + i) + " period=10\n";
    {
      std::FILE* file = std::fopen(sim.c_str(), "w");
      if (!file || std::fwrite(lines.data(), 1, lines.size(), file) != lines.size()) {
        if (file) std::fclose(file);
        state.SkipWithError("cannot write the generator file");
        return;
      }
      std::fclose(file);
    }
    omb::test::ServeProcess serve(
        {"--serve", "pty:" + path, "--no-sum", "--wait", std::to_string(kWaitMs), "--sim", sim});
    if (!serve.waitForOutput("serving on")) {
      state.SkipWithError("ombrisal --serve --sim did not start");
      return;
    }
    f = exchange(path, requests(), [&] { serve.drain(); });
    serve.stop();
    std::filesystem::remove(sim);
  }
  report(state, f, true);
  const Figures plain = serve();
  versusServe(state, f, plain);
}
BENCHMARK(BM_ServeGenerators)->Iterations(1)->Unit(benchmark::kMillisecond);

// The same program serving TCP on a port the system picks; the banner
// names it ("serving on tcp:127.0.0.1:PORT").
void BM_ServeTcp(benchmark::State& state) {
  Figures f;
  for (auto _ : state) {
    omb::test::ServeProcess serve({"--serve", "tcp:0", "--no-sum", "--wait", std::to_string(kWaitMs)});
    const std::string banner = "serving on tcp:";
    if (!serve.waitForOutput(banner)) {
      state.SkipWithError("ombrisal --serve tcp did not start");
      return;
    }
    const std::size_t at = serve.out.find(banner) + banner.size();
    const std::size_t end = serve.out.find_first_of(" \n", at);  // the banner is written whole
    if (end == std::string::npos) {
      state.SkipWithError("ombrisal --serve tcp printed no port");
      return;
    }
    const std::string peer = serve.out.substr(at, end - at);
    const int port = std::atoi(peer.substr(peer.rfind(':') + 1).c_str());
    TcpClient client(port);
    if (!client.ok()) {
      state.SkipWithError("cannot connect to ombrisal --serve tcp");
      return;
    }
    f = exchangeOn(client, requests(), [&] { serve.drain(); });
    serve.stop();
  }
  report(state, f, true);
  const Figures pty = serve();
  versusServe(state, f, pty);
}
BENCHMARK(BM_ServeTcp)->Iterations(1)->Unit(benchmark::kMillisecond);

// `ombrisal --serve` under the write load: the yardstick of the window's.
Figures serveWrites() {
  static Figures f = [] {
    const std::string path = tempPath("serve-writes");
    omb::test::ServeProcess serve({"--serve", "pty:" + path, "--no-sum", "--wait", std::to_string(kWaitMs)});
    if (!serve.waitForOutput("serving on")) return Figures{};
    Figures got = exchange(path, writeRequests(), [&] {
      serve.drain();
      std::this_thread::sleep_for(std::chrono::milliseconds(kWriteEveryMs));
    }, kWrite, kAckLength);
    serve.stop();
    return got;
  }();
  return f;
}

void BM_ServeWrites(benchmark::State& state) {
  Figures f;
  for (auto _ : state) f = serveWrites();
  report(state, f, false);
}
BENCHMARK(BM_ServeWrites)->Iterations(1)->Unit(benchmark::kMillisecond);

// The PC program writes D0-D63 every 20 ms, each time with other values
// (two requests in turn), so that every word changes; `extra` are further
// options of the server.
Figures serveChangingWrites(const std::vector<std::string>& extra) {
  const std::string path = tempPath("changing");
  std::vector<std::string> args{"--serve", "pty:" + path, "--no-sum", "--wait", std::to_string(kWaitMs)};
  args.insert(args.end(), extra.begin(), extra.end());
  omb::test::ServeProcess serve(args);
  if (!serve.waitForOutput("serving on")) return Figures{};
  std::string other = kWrite;
  for (std::size_t i = 15; i < other.size(); i += 4) other[i] = other[i] == '1' ? '2' : '1';  // after ENQ and 14 characters
  omb::test::PcPort pc(path);
  Figures f;
  std::vector<double> ms;
  for (int i = 0; i < 10 + writeRequests(); ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    const std::string reply = pc.exchange(i % 2 ? other : kWrite, kAckLength);
    const auto t1 = std::chrono::steady_clock::now();
    if (reply.size() != kAckLength) return f;
    if (i >= 10) ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    serve.drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(kWriteEveryMs));
  }
  serve.stop();
  return figuresOf(std::move(ms));
}

// A script with a handler on each of D0-D999 (each sets a bit of M), 64 of
// which run after every write of the PC program.
void BM_ServeScript(benchmark::State& state) {
  Figures f, plain, writes;
  for (auto _ : state) {
    const std::string script = tempPath("script") + ".js";
    {
      std::FILE* file = std::fopen(script.c_str(), "w");
      const std::string text =
          "for (var i = 0; i < 1000; ++i)\n"
          "  (function (n) { on(\"D\" + n, function (v) { set(\"M\" + n, v & 1); }); })(i);\n";
      if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
        if (file) std::fclose(file);
        state.SkipWithError("cannot write the script");
        return;
      }
      std::fclose(file);
    }
    // The PC program's polling (the reads of Serve), the handlers idle.
    const std::string path = tempPath("script-reads");
    omb::test::ServeProcess serve(
        {"--serve", "pty:" + path, "--no-sum", "--wait", std::to_string(kWaitMs), "--script", script});
    if (serve.waitForOutput("serving on")) f = exchange(path, requests(), [&] { serve.drain(); });
    serve.stop();
    // The writes, 64 handlers running after each.
    plain = serveChangingWrites({});
    writes = serveChangingWrites({"--script", script});
    std::filesystem::remove(script);
  }
  report(state, f, false);
  const Figures reads = serve();
  versusServe(state, f, reads);
  if (writes.ok && plain.ok) {
    state.counters["writes_median_ms"] = writes.median;
    state.counters["writes_vs_plain"] = writes.median / plain.median;
    state.counters["writes_p99_vs_plain"] = writes.p99 / plain.p99;
  }
}
BENCHMARK(BM_ServeScript)->Iterations(1)->Unit(benchmark::kMillisecond);

// The main window in this process with its windows open, the port opened
// with the wait at 2 ms, a PC program on it; `load` runs the PC program and
// returns its figures.  Reports the main thread's CPU share over the run
// (cpu_pct, of one core).
template <class Open, class Load>
void runWindow(benchmark::State& state, Figures& f, Open open, Load load) {
  for (auto _ : state) {
    const std::string folder = tempPath("window");
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(OMBRISAL_SOURCE_DIR "/resources/Init.ini", folder + "/Init.ini",
                               std::filesystem::copy_options::overwrite_existing);
    omb::RecordingPresenter presenter;
    omb::SystemClock clock;
    {
      omb::AppCore core(presenter, clock, folder + "/");
      core.startUp();
      core.line.setTarget("pty:" + folder + "/com");
      omb::FrmMain main(core);
      omb::ViewManager views(omb::viewHostOf(core), &main);
      views.factory = omb::createSingleView;
      views.multiFactory = omb::createMultiView;
      main.show();
      open(core, views);
      core.link.config.sum = omb::CheckState::Unchecked;  // as the other runs: no sum check
      omb::PortController& pc = core.pc;
      pc.mnuCommPortNo = {omb::PortMenuEntry{"COM 1", "1", true}};
      pc.hscWait = kWaitMs;
      pc.subDsp_CommSet();
      pc.cmdPOpen_Click();
      if (!core.line.isOpen()) {
        state.SkipWithError("the window could not open its port");
        return;
      }
      QApplication::processEvents();
      const double cpu0 = mainThreadCpuMs();
      const auto t0 = std::chrono::steady_clock::now();
      std::thread client([&] {
        f = load(folder + "/com");
        QMetaObject::invokeMethod(qApp, [] { QApplication::quit(); }, Qt::QueuedConnection);
      });
      QApplication::exec();
      client.join();
      const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
      state.counters["cpu_pct"] = wall > 0 ? 100.0 * (mainThreadCpuMs() - cpu0) / wall : 0;
      pc.cmdPClose_Click();
    }
    std::filesystem::remove_all(folder);
  }
}

// Every single device view open while the PC program writes 64 words every
// 20 ms: the window's reply times against the serve mode's in the same run
// (vs_serve, p99_vs_serve) and its CPU share.
void BM_WindowWrites(benchmark::State& state) {
  Figures f;
  runWindow(state, f, [](omb::AppCore&, omb::ViewManager& views) {
    for (int slot = 0; slot < omb::kViewSlotCount; ++slot) views.openSingleView(slot);
  }, [](const std::string& path) {
    return exchange(path, writeRequests(), [] { std::this_thread::sleep_for(std::chrono::milliseconds(kWriteEveryMs)); },
                    kWrite, kAckLength);
  });
  report(state, f, false);
  const Figures plain = serveWrites();
  versusServe(state, f, plain);
}
BENCHMARK(BM_WindowWrites)->Iterations(1)->Unit(benchmark::kMillisecond);

// Sixteen windows open (D, X and M among them) while 200 value generators
// step every 10 ms on the devices they show and the PC program polls: the
// window's CPU share.
void BM_WindowSixteenWithGenerators(benchmark::State& state) {
  Figures f;
  runWindow(state, f, [](omb::AppCore& core, omb::ViewManager& views) {
    for (int slot : {0, 1, 2, 3, 4, 6, 7, 8, 9, 11, 12, 14}) views.openSingleView(slot);
    for (int kind : {omb::kD + 1, omb::kX + 1, omb::kM + 1, omb::kD + 1}) views.openMultiView(kind);
    for (int i = 0; i < 200; ++i) {
      std::string error;
      const std::string line = (i % 2 ? "sine D" : "counter D") + std::to_string(i) + " period=10";
      if (auto spec = omb::parseGenerator(line, error)) core.generators.add(*spec, core.clock.steadyMs(), error);
    }
    core.tickGenerators();
  }, [](const std::string& path) {
    return exchange(path, writeRequests(), [] { std::this_thread::sleep_for(std::chrono::milliseconds(kWriteEveryMs)); });
  });
  report(state, f, false);
}
BENCHMARK(BM_WindowSixteenWithGenerators)->Iterations(1)->Unit(benchmark::kMillisecond);

// The PC program polls while the window opens a multi-screen window of
// 32767 rows every 100 ms (closing the one before): the slowest reply
// against the median (max_vs_median).
void BM_WindowOpeningLargeWindows(benchmark::State& state) {
  Figures f;
  runWindow(state, f, [](omb::AppCore& core, omb::ViewManager& views) {
    core.settings.multiPageTable[omb::kD] = 32767;
    auto* timer = new QTimer(views.context().mainWindow);
    QObject::connect(timer, &QTimer::timeout, timer, [&views] {
      views.mnuAllClr();
      views.openMultiView(omb::kD + 1);
    });
    timer->start(100);
  }, [](const std::string& path) { return exchange(path, requests()); });
  report(state, f, false);
  if (f.ok) {
    state.counters["max_ms"] = f.max;
    state.counters["max_vs_median"] = f.max / f.median;
  }
}
BENCHMARK(BM_WindowOpeningLargeWindows)->Iterations(1)->Unit(benchmark::kMillisecond);

// The main window as a user has it: every single device view open, the
// traffic log shown, the port opened with the wait at 2 ms.
void BM_Window(benchmark::State& state) {
  Figures f;
  runWindow(state, f, [](omb::AppCore&, omb::ViewManager& views) {
    for (int slot = 0; slot < omb::kViewSlotCount; ++slot) views.openSingleView(slot);
  }, [](const std::string& path) { return exchange(path, requests()); });
  report(state, f, true);
}
BENCHMARK(BM_Window)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return omb::bench::runWithQt(argc, argv); }
