// The PC program's end of a serial line: a device or virtual port opened
// raw, with reads that wait for the reply.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <cerrno>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace omb::test {

// The PC program's end of a port.
class PcPort {
 public:
  explicit PcPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) return;
    termios t{};
    ::tcgetattr(fd_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd_, TCSANOW, &t);
  }
  // A connected socket (a TCP line), read and written the same way.
  static PcPort adopt(int fd) {
    PcPort p;
    p.fd_ = fd;
    if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return p;
  }
  PcPort(PcPort&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  PcPort(const PcPort&) = delete;
  PcPort& operator=(const PcPort&) = delete;
  ~PcPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  void send(const std::string& s) const { [[maybe_unused]] auto n = ::write(fd_, s.data(), s.size()); }
  // Reads until `n` bytes came or the line stayed quiet for `quietMs`.
  std::string receive(std::size_t n, int quietMs = 1000) const {
    std::string got;
    while (got.size() < n) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, quietMs) <= 0) break;
      char buf[512];
      const ssize_t r = ::read(fd_, buf, sizeof buf);
      if (r > 0) got.append(buf, static_cast<std::size_t>(r));
      else if (r == 0 || errno != EAGAIN) break;  // the other end has gone
    }
    return got;
  }
  // Writes all of `s`, waiting while the line's buffer is full; false when
  // the line stays blocked for `ms` or fails.
  bool sendAll(const std::string& s, int ms = 5000) const {
    std::size_t done = 0;
    while (done < s.size()) {
      const ssize_t n = ::write(fd_, s.data() + done, s.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      pollfd p{fd_, POLLOUT, 0};
      if (::poll(&p, 1, ms) <= 0) return false;
    }
    return true;
  }
  // Whether anything has arrived and waits to be read.
  bool waiting() const {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
  }
  std::string exchange(const std::string& request, std::size_t replyLength) const {
    send(request);
    return receive(replyLength);
  }

 private:
  PcPort() = default;
  int fd_ = -1;
};

}  // namespace omb::test
