// Request-to-reply latency over a virtual port with a 2 ms inter-character
// wait, the PC program's view: from writing a whole request to reading the
// whole reply.  A reply cannot come before the line has been silent for one
// wait after the request, so the floor is measured in the same run with a
// minimal responder that does nothing else: it reads, and answers with a
// fixed reply once one wait of silence has passed.  Three runs:
//   Minimal   the floor;
//   Serve     `ombrisal --serve` as a separate process, traffic log on;
//   Window    the main window in this process with every device view open.
// Each reports its median and 99th percentile in milliseconds and, for the
// last two, their ratios to the floor.
//   OMBRISAL_LATENCY_REQUESTS sets the requests per run (default 500).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <QApplication>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "app/frm_main.h"
#include "e2e/serve_process.h"
#include "qt_bench_main.h"
#include "views/view_factory.h"
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
  double median = 0, p99 = 0;
  bool ok = false;
};

// `count` exchanges on the PC program's end of `path`.
Figures exchange(const std::string& path, int count, const std::function<void()>& between = nullptr) {
  omb::test::PcPort pc(path);
  Figures f;
  if (!pc.ok()) return f;
  std::vector<double> ms;
  for (int i = 0; i < 10; ++i) {  // warming up: caches, lazily built windows
    if (pc.exchange(kRequest, kReplyLength).size() != kReplyLength) return f;
    if (between) between();
  }
  for (int i = 0; i < count; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    const std::string reply = pc.exchange(kRequest, kReplyLength);
    const auto t1 = std::chrono::steady_clock::now();
    if (reply.size() != kReplyLength) return f;
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    if (between) between();
  }
  std::sort(ms.begin(), ms.end());
  f.median = ms[ms.size() / 2];
  f.p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
  f.ok = true;
  return f;
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

void BM_Minimal(benchmark::State& state) {
  Figures f;
  for (auto _ : state) f = minimal();
  report(state, f, false);
}
BENCHMARK(BM_Minimal)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Serve(benchmark::State& state) {
  Figures f;
  for (auto _ : state) {
    const std::string path = tempPath("serve");
    omb::test::ServeProcess serve({"--serve", "pty:" + path, "--no-sum", "--wait", std::to_string(kWaitMs)});
    if (!serve.waitForOutput("serving on")) {
      state.SkipWithError("ombrisal --serve did not start");
      return;
    }
    f = exchange(path, requests(), [&] { serve.drain(); });  // keep its traffic log flowing
    serve.stop();
  }
  report(state, f, true);
}
BENCHMARK(BM_Serve)->Iterations(1)->Unit(benchmark::kMillisecond);

// The main window as a user has it: every single device view open, the
// traffic log shown, the port opened with the wait at 2 ms.
void BM_Window(benchmark::State& state) {
  Figures f;
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
      omb::ViewManager views(core, &main);
      views.factory = omb::createSingleView;
      main.show();
      for (int slot = 0; slot < omb::kViewSlotCount; ++slot) views.openSingleView(slot);
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
      std::thread client([&] {
        f = exchange(folder + "/com", requests());
        QMetaObject::invokeMethod(qApp, [] { QApplication::quit(); }, Qt::QueuedConnection);
      });
      QApplication::exec();
      client.join();
      pc.cmdPClose_Click();
    }
    std::filesystem::remove_all(folder);
  }
  report(state, f, true);
}
BENCHMARK(BM_Window)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return omb::bench::runWithQt(argc, argv); }
