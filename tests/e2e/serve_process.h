// Starts `ombrisal --serve ...` as a separate process and talks to it the
// way a PC program does: raw termios on the virtual port.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "pc_port.h"

extern char** environ;

namespace omb::test {

class ServeProcess {
 public:
  // `fds`: (our descriptor, its number in the program) handed down besides
  // standard output and error.
  explicit ServeProcess(const std::vector<std::string>& args, const std::vector<std::pair<int, int>>& fds = {}) {
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    posix_spawn_file_actions_addclose(&fa, err[0]);
    for (const auto& [ours, theirs] : fds) posix_spawn_file_actions_adddup2(&fa, ours, theirs);
    std::vector<std::string> all{OMBRISAL_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, OMBRISAL_EXE, &fa, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    ::fcntl(out_, F_SETFL, O_NONBLOCK);
    ::fcntl(err_, F_SETFL, O_NONBLOCK);
  }
  ~ServeProcess() {
    if (pid_ > 0 && status_ < 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }
  ServeProcess(const ServeProcess&) = delete;
  ServeProcess& operator=(const ServeProcess&) = delete;

  // Reads standard output until it holds `text` (true) or time runs out.
  bool waitForOutput(const std::string& text, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (out.find(text) == std::string::npos) {
      if (std::chrono::steady_clock::now() > end || exited()) {
        drain();
        return out.find(text) != std::string::npos;
      }
      drain();
      ::usleep(2000);
    }
    return true;
  }
  // Waits for the process to end; its exit status, or -1 on a time-out.
  int wait(int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!exited()) {
      if (std::chrono::steady_clock::now() > end) return -1;
      drain();
      ::usleep(2000);
    }
    drain();
    return status_;
  }
  // Waits for the end without reading the process's output: a full pipe
  // stays full.
  int waitWithoutReading(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!exited()) {
      if (std::chrono::steady_clock::now() > end) return -1;
      ::usleep(2000);
    }
    return status_;
  }
  // Closes our end of its standard output: its reader is gone.
  void closeOutput() {
    if (out_ >= 0) ::close(out_);
    out_ = -1;
  }
  void signal(int sig) { ::kill(pid_, sig); }
  int stop(int sig = SIGTERM) {
    ::kill(pid_, sig);
    return wait();
  }
  void drain() {
    char buf[4096];
    ssize_t n;
    while (out_ >= 0 && (n = ::read(out_, buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    while ((n = ::read(err_, buf, sizeof buf)) > 0) err.append(buf, static_cast<std::size_t>(n));
  }

  std::string out, err;
  pid_t pid() const { return pid_; }
  // Resident memory of the process in kB (0 when it cannot be read).
  long rssKb() const {
    const std::string status = readProc("/proc/" + std::to_string(pid_) + "/status");
    const std::size_t at = status.find("VmRSS:");
    return at == std::string::npos ? 0 : std::atol(status.c_str() + at + 6);
  }

 private:
  static std::string readProc(const std::string& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return text;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
  }

  bool exited() {
    if (status_ >= 0) return true;
    int st = 0;
    if (::waitpid(pid_, &st, WNOHANG) == pid_) status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return status_ >= 0;
  }
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  int status_ = -1;
};

}  // namespace omb::test
