// The soak run: `ombrisal --serve` on virtual ports, driven for a given
// time with a random mix of valid requests over every device kind, in
// format 1 (no sum check) and format 4 (sum check) at once, each reply
// checked byte for byte against a model of device memory kept here,
// independently of the program's own code.
//
//   ombrisal_soak SECONDS [SEED [GENERATORS]]
//
// With GENERATORS (up to 1000), each server also runs that many value
// generators stepping every 10 ms on the top D registers (counters, ramps,
// sines, random values and square waves), which the requests then leave
// alone: the replies are still checked byte for byte while device memory
// moves beside them.
//
// Prints requests, wrong and missing replies, latency percentiles and the
// resident memory of each server after warming up, at half time and at the
// end.  Between the first two its bounded buffers fill (the statistics keep
// the latest 100,000 reply latencies: about 800 kB); from half time on the
// memory should not move.  Exit status 0 when every reply was right.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "pc_port.h"

extern char** environ;

namespace {

const char ENQ = 0x05, STX = 0x02, ETX = 0x03, ACK = 0x06;

// A device kind of the old-version layout: its code in device texts, the
// radix of its numbers, the numbers of the seven-character (AnACPU) and of
// the five-character (ACPU) table.
struct Kind {
  const char* code;
  bool word;
  int radix;
  int first, last7, last5;
};
const Kind kKinds[] = {
    {"TN", true, 10, 0, 2047, 255},  {"CN", true, 10, 0, 1023, 255},   {"D", true, 10, 0, 6143, 1024},
    {"W", true, 16, 0, 0xFFF, 0x3FF}, {"R", true, 10, 0, 8191, 8191},   {"D", true, 10, 9000, 9255, 9255},
    {"X", false, 16, 0, 0x7FF, 0x7FF}, {"Y", false, 16, 0, 0x7FF, 0x7FF}, {"M", false, 10, 0, 8191, 2047},
    {"L", false, 10, 0, 8191, 2047},  {"S", false, 10, 0, 8191, 2047},  {"B", false, 16, 0, 0xFFF, 0x3FF},
    {"F", false, 10, 0, 2047, 255},   {"M", false, 10, 9000, 9255, 9255}, {"TS", false, 10, 0, 2047, 255},
    {"TC", false, 10, 0, 2047, 255},  {"CS", false, 10, 0, 1023, 255},  {"CC", false, 10, 0, 1023, 255},
};
constexpr int kKindCount = 18;
constexpr int kDKind = 2;  // D0-D6143
// D registers from this number on belong to the value generators.
int gGeneratedFrom = 1 << 30;

std::string hex(unsigned v, int digits) {
  static const char d[] = "0123456789ABCDEF";
  std::string s(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = d[v & 15];
  return s;
}

std::string deviceText(const Kind& k, int number, int width) {
  const int digits = width - static_cast<int>(std::string(k.code).size());
  if (k.radix == 16) return k.code + hex(static_cast<unsigned>(number), digits);
  std::string n = std::to_string(number);
  return k.code + std::string(static_cast<std::size_t>(std::max(0, digits - static_cast<int>(n.size()))), '0') + n;
}

// The model: every device's value, words as words and bits as bits.
struct Model {
  std::array<std::vector<std::uint16_t>, kKindCount> words;
  std::array<std::vector<bool>, kKindCount> bits;
  Model() {
    for (int k = 0; k < kKindCount; ++k) {
      const auto n = static_cast<std::size_t>(kKinds[k].last7 - kKinds[k].first + 1);
      if (kKinds[k].word) words[static_cast<std::size_t>(k)].assign(n, 0);
      else bits[static_cast<std::size_t>(k)].assign(n, false);
    }
  }
  std::uint16_t word(int k, int number) const {
    const int pos = number - kKinds[k].first;
    if (kKinds[k].word) return words[static_cast<std::size_t>(k)][static_cast<std::size_t>(pos)];
    std::uint16_t w = 0;
    for (int b = 0; b < 16; ++b)
      if (bits[static_cast<std::size_t>(k)][static_cast<std::size_t>(pos + b)]) w |= static_cast<std::uint16_t>(1u << b);
    return w;
  }
  void setWord(int k, int number, std::uint16_t v) {
    const int pos = number - kKinds[k].first;
    if (kKinds[k].word) {
      words[static_cast<std::size_t>(k)][static_cast<std::size_t>(pos)] = v;
      return;
    }
    for (int b = 0; b < 16; ++b) bits[static_cast<std::size_t>(k)][static_cast<std::size_t>(pos + b)] = (v >> b) & 1;
  }
  bool bit(int k, int number) const {
    return bits[static_cast<std::size_t>(k)][static_cast<std::size_t>(number - kKinds[k].first)];
  }
  void setBit(int k, int number, bool on) {
    bits[static_cast<std::size_t>(k)][static_cast<std::size_t>(number - kKinds[k].first)] = on;
  }
};

struct Exchange {
  std::string request, reply;
};

class Generator {
 public:
  Generator(int format, bool sum, unsigned seed) : format_(format), sum_(sum), rng_(seed) {}

  Exchange next() {
    switch (pick(0, 9)) {
      case 0: case 1: return batchRead(false);
      case 2: case 3: return batchRead(true);
      case 4: case 5: return batchWrite(false);
      case 6: case 7: return batchWrite(true);
      case 8: return test();
      default: return monitor();
    }
  }

 private:
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  // A device of a kind with `span` numbers from it inside the table.
  struct Choice {
    int kind, number;
    bool seven;
  };
  Choice choose(bool wordKind, int span, bool aligned, int kindWanted = -1) {
    for (;;) {
      const int k = kindWanted >= 0 ? kindWanted : pick(0, kKindCount - 1);
      if (kKinds[k].word != wordKind && kindWanted < 0) continue;
      const bool seven = pick(0, 1) == 1;
      int last = seven ? kKinds[k].last7 : kKinds[k].last5;
      if (k == kDKind) last = std::min(last, gGeneratedFrom - 1);
      const int room = last - kKinds[k].first + 1 - span;
      if (room < 0) continue;
      int n = kKinds[k].first + pick(0, room);
      if (aligned) n -= (n - kKinds[k].first) % 16;
      return {k, n, seven};
    }
  }

  std::string frame(const std::string& station, const std::string& command, const std::string& area) {
    std::string body = station + "FF" + command + "0" + area;
    std::string f(1, ENQ);
    f += body;
    if (sum_) {
      unsigned s = 0;
      for (char c : body) s += static_cast<unsigned char>(c);
      f += hex(s & 0xFF, 2);
    }
    if (format_ == 4) f += "\r\n";
    return f;
  }
  std::string dataReply(const std::string& data) const {
    std::string r(1, STX);
    r += "00FF" + data + std::string(1, ETX);
    if (sum_) {
      unsigned s = 0;
      for (std::size_t i = 1; i < r.size(); ++i) s += static_cast<unsigned char>(r[i]);
      r += hex(s & 0xFF, 2);
    }
    if (format_ == 4) r += "\r\n";
    return r;
  }
  std::string ack() const { return std::string(1, ACK) + "00FF" + (format_ == 4 ? "\r\n" : ""); }

  Exchange batchRead(bool words) {
    const bool onBits = pick(0, 1) == 1;
    if (!words) {  // bits of a bit device
      const int points = pick(1, 256);
      const Choice c = choose(false, points, false);
      std::string data;
      for (int i = 0; i < points; ++i) data += model_.bit(c.kind, c.number + i) ? '1' : '0';
      const std::string cmd = c.seven ? "JR" : "BR";
      return {frame("00", cmd, deviceText(kKinds[c.kind], c.number, c.seven ? 7 : 5) + hex(static_cast<unsigned>(points % 256), 2)),
              dataReply(data)};
    }
    const int points = onBits ? pick(1, 32) : pick(1, 64);
    const Choice c = choose(!onBits, onBits ? points * 16 : points, onBits);
    std::string data;
    for (int i = 0; i < points; ++i) data += hex(model_.word(c.kind, c.number + (onBits ? 16 * i : i)), 4);
    const std::string cmd = c.seven ? "QR" : "WR";
    return {frame("00", cmd, deviceText(kKinds[c.kind], c.number, c.seven ? 7 : 5) + hex(static_cast<unsigned>(points), 2)),
            dataReply(data)};
  }

  Exchange batchWrite(bool words) {
    if (!words) {
      const int points = pick(1, 160);
      const Choice c = choose(false, points, false);
      std::string data;
      for (int i = 0; i < points; ++i) {
        const bool on = pick(0, 1) == 1;
        data += on ? '1' : '0';
        model_.setBit(c.kind, c.number + i, on);
      }
      const std::string cmd = c.seven ? "JW" : "BW";
      return {frame("00", cmd, deviceText(kKinds[c.kind], c.number, c.seven ? 7 : 5) + hex(static_cast<unsigned>(points), 2) + data),
              ack()};
    }
    const bool onBits = pick(0, 1) == 1;
    const int points = onBits ? pick(1, 10) : pick(1, 64);
    const Choice c = choose(!onBits, onBits ? points * 16 : points, onBits);
    std::string data;
    for (int i = 0; i < points; ++i) {
      const auto v = static_cast<std::uint16_t>(pick(0, 0xFFFF));
      data += hex(v, 4);
      model_.setWord(c.kind, c.number + (onBits ? 16 * i : i), v);
    }
    const std::string cmd = c.seven ? "QW" : "WW";
    return {frame("00", cmd, deviceText(kKinds[c.kind], c.number, c.seven ? 7 : 5) + hex(static_cast<unsigned>(points), 2) + data),
            ack()};
  }

  // Word tests set words of word devices or sixteen bits; bit tests bits.
  Exchange test() {
    const bool words = pick(0, 1) == 1;
    const bool seven = pick(0, 1) == 1;
    const int points = pick(1, 10);
    std::string area = hex(static_cast<unsigned>(points), 2);
    for (int i = 0; i < points; ++i) {
      Choice c = choose(words ? pick(0, 1) == 1 : false, 16, words);
      while (c.seven != seven) c = choose(kKinds[c.kind].word, 16, words, c.kind);
      area += deviceText(kKinds[c.kind], c.number, seven ? 7 : 5);
      if (words) {
        const auto v = static_cast<std::uint16_t>(pick(0, 0xFFFF));
        area += hex(v, 4);
        model_.setWord(c.kind, c.number, v);
      } else {
        const bool on = pick(0, 1) == 1;
        area += on ? "1" : "0";
        model_.setBit(c.kind, c.number, on);
      }
    }
    return {frame("00", words ? (seven ? "QT" : "WT") : (seven ? "JT" : "BT"), area), ack()};
  }

  // A word-monitor registration and its read in one exchange each; the
  // registration's acknowledgement is checked, the read against the model.
  Exchange monitor() {
    if (monitored_.empty() || pick(0, 3) == 0) {
      monitored_.clear();
      const int points = pick(1, 20);
      std::string area = hex(static_cast<unsigned>(points), 2);
      for (int i = 0; i < points; ++i) {
        Choice c = choose(pick(0, 1) == 1, 16, true);
        while (c.seven) c = choose(kKinds[c.kind].word, 16, true, c.kind);
        area += deviceText(kKinds[c.kind], c.number, 5);
        monitored_.push_back({c.kind, c.number});
      }
      return {frame("00", "WM", area), ack()};
    }
    std::string data;
    for (const auto& [k, n] : monitored_) data += hex(model_.word(k, n), 4);
    return {frame("00", "MN", ""), dataReply(data)};
  }

  int format_;
  bool sum_;
  std::mt19937 rng_;
  Model model_;
  std::vector<std::pair<int, int>> monitored_;
};

struct Server {
  pid_t pid = -1;
  std::string path;
};

Server spawnServer(const std::string& exe, const std::string& path, int format, bool sum, const std::string& sim) {
  Server s;
  s.path = path;
  std::vector<std::string> args{exe, "--serve", "pty:" + path, "--cpu", "AnACPU", "--format", std::to_string(format),
                                sum ? "--sum" : "--no-sum", "--wait", "2"};
  if (!sim.empty()) args.insert(args.end(), {"--sim", sim});
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  if (posix_spawn(&s.pid, exe.c_str(), &fa, nullptr, argv.data(), environ) != 0) s.pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) ::usleep(10000);
  return s;
}

long rssKb(pid_t pid) {
  FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
  if (!f) return 0;
  char line[256];
  long kb = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "VmRSS: %ld", &kb) == 1) break;
  std::fclose(f);
  return kb;
}

struct Result {
  long requests = 0, wrong = 0, missing = 0;
  std::vector<double> ms;
  long rssStart = 0, rssHalf = 0, rssEnd = 0;
  std::string firstWrong;
};

Result drive(const Server& s, int format, bool sum, unsigned seed, double seconds) {
  Result r;
  omb::test::PcPort pc(s.path);
  if (!pc.ok()) {
    r.missing = 1;
    return r;
  }
  Generator gen(format, sum, seed);
  const auto start = std::chrono::steady_clock::now();
  const auto half = start + std::chrono::duration<double>(seconds / 2);
  const auto end = start + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    const Exchange x = gen.next();
    const auto t0 = std::chrono::steady_clock::now();
    const std::string got = pc.exchange(x.request, x.reply.size());
    const auto t1 = std::chrono::steady_clock::now();
    ++r.requests;
    if (got.size() < x.reply.size()) ++r.missing;
    if (got != x.reply) {
      ++r.wrong;
      if (r.firstWrong.empty()) r.firstWrong = "request " + x.request + "\n  expected " + x.reply + "\n  got      " + got;
      // Let the line settle so the next exchange starts clean.
      pc.receive(1 << 20, 50);
    }
    r.ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    if (r.requests == 2000) r.rssStart = rssKb(s.pid);
    if (r.rssHalf == 0 && t1 >= half) r.rssHalf = rssKb(s.pid);
  }
  r.rssEnd = rssKb(s.pid);
  return r;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ombrisal_soak SECONDS [SEED [GENERATORS]]\n");
    return 2;
  }
  const double seconds = std::atof(argv[1]);
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 20261210u;
  const std::string exe = OMBRISAL_EXE;
  const std::string dir = (std::filesystem::temp_directory_path() / ("ombrisal-soak-" + std::to_string(::getpid()))).string();
  std::filesystem::create_directories(dir);
  const int generators = argc > 3 ? std::clamp(std::atoi(argv[3]), 0, 1000) : 0;
  std::string sim;
  if (generators > 0) {
    gGeneratedFrom = kKinds[kDKind].last7 + 1 - generators;
    static const char* const kinds[] = {"counter", "ramp", "sine", "random", "square"};
    std::string lines;
    for (int i = 0; i < generators; ++i)
      lines += std::string(kinds[i % 5]) + " D" + std::to_string(gGeneratedFrom + i) + " period=10\n";
    sim = dir + "/sim.txt";
    std::FILE* f = std::fopen(sim.c_str(), "w");
    if (!f || std::fwrite(lines.data(), 1, lines.size(), f) != lines.size()) {
      std::fprintf(stderr, "ombrisal_soak: cannot write %s\n", sim.c_str());
      return 2;
    }
    std::fclose(f);
    std::printf("%d value generators every 10 ms on D%d-D%d\n", generators, gGeneratedFrom, kKinds[kDKind].last7);
  }

  struct Lane {
    int format;
    bool sum;
    Server server;
    Result result;
  };
  std::vector<Lane> lanes{{1, false, {}, {}}, {4, true, {}, {}}};
  for (Lane& l : lanes) l.server = spawnServer(exe, dir + "/com" + std::to_string(l.format), l.format, l.sum, sim);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < lanes.size(); ++i)
    threads.emplace_back([&, i] {
      lanes[i].result = drive(lanes[i].server, lanes[i].format, lanes[i].sum, seed + static_cast<unsigned>(i), seconds);
    });
  for (auto& t : threads) t.join();

  int status = 0;
  for (Lane& l : lanes) {
    ::kill(l.server.pid, SIGTERM);
    int st = 0;
    ::waitpid(l.server.pid, &st, 0);
    const Result& r = l.result;
    std::printf("format %d%s: %ld requests, %ld wrong, %ld missing; latency ms p50 %.3f p99 %.3f max %.3f; "
                "RSS %ld kB after warming up, %ld kB at half time, %ld kB at the end; exit %d\n",
                l.format, l.sum ? " with sum" : "", r.requests, r.wrong, r.missing, percentile(r.ms, 0.5),
                percentile(r.ms, 0.99), percentile(r.ms, 1.0), r.rssStart, r.rssHalf, r.rssEnd,
                WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st));
    if (!r.firstWrong.empty()) std::printf("  first wrong reply:\n  %s\n", r.firstWrong.c_str());
    if (r.wrong || r.missing || r.requests == 0) status = 1;
  }
  std::filesystem::remove_all(dir);
  return status;
}
