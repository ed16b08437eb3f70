// Small helpers shared by the tests.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/device_memory.h"
#include "core/error.h"

namespace omb::test {

// A connection to the Unix socket at `path`, or -1.
inline int connectUnix(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// A fresh directory under the system temp folder, removed with the object.
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("ombrisal-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string str() const { return path_.string(); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// Collects every error report.
struct RecordingErrorSink : ErrorSink {
  void subPutErrorLog(const std::string& detail, const std::string& location) override {
    reports.push_back({detail, location});
  }
  std::vector<Report> reports;
};

}  // namespace omb::test

namespace omb {
// Readable failure messages for change sets.
inline void PrintTo(const DeviceChange& c, std::ostream* os) {
  *os << "{" << kindInfo(c.kind).code << ", " << c.firstWord << ", " << c.lastWord << "}";
}
}  // namespace omb
