#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include "core/translate.h"

namespace omb {

std::optional<WriteFailure> writeFileAtomically(const std::string& path, std::string_view bytes) {
  namespace fs = std::filesystem;
  auto failure = [](int e) { return WriteFailure{e, std::strerror(e)}; };
  fs::path target = path;
  std::error_code ec;
  // The rule for what may be replaced: a regular file owned by the user
  // running the program, or nothing yet.  A symbolic link is followed only
  // to such an existing file (so a project kept as a link to a shared
  // folder is saved where it lives), never to a file of another user, a
  // device or a link that leads nowhere.
  struct stat lst {};
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    target = fs::canonical(path, ec);
    if (ec) return WriteFailure{ENOENT, omb::trs("AtomicFile", "リンク先のファイルがありません")};
  }
  struct stat st0 {};
  if (::stat(target.c_str(), &st0) == 0) {
    // Only a regular file is ever replaced: a device or a folder at the
    // path (or behind the link) stays untouched.
    if (!S_ISREG(st0.st_mode)) return WriteFailure{EINVAL, omb::trs("AtomicFile", "通常のファイルではありません")};
    if (st0.st_uid != ::geteuid()) return WriteFailure{EPERM, omb::trs("AtomicFile", "他のユーザーのファイルです")};
  } else if (target != fs::path(path)) {
    return WriteFailure{ENOENT, omb::trs("AtomicFile", "リンク先のファイルがありません")};
  }
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::string tmpl = folder.string() + "/." + target.filename().string() + ".XXXXXX";
  const int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return failure(errno);
  auto abandon = [&](int e) {
    ::close(fd);
    ::unlink(tmpl.c_str());
    return failure(e);
  };
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return abandon(w < 0 ? errno : EIO);
    done += static_cast<std::size_t>(w);
  }
  // The permissions of the file being replaced; a new file gets what the
  // user's umask allows of 0666, as any file the user creates (mkstemp
  // itself creates 0600, exclusively: O_EXCL, a name nobody else has).
  struct stat st {};
  mode_t mode = 0;
  if (::stat(target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd, mode) != 0) return abandon(errno);
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    const int e = errno;
    ::unlink(tmpl.c_str());
    return failure(e);
  }
  if (::rename(tmpl.c_str(), target.c_str()) != 0) {
    const int e = errno;
    ::unlink(tmpl.c_str());
    return failure(e);
  }
  // Make the rename itself durable; a failure here loses nothing written.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return std::nullopt;
}

bool readWholeFile(const std::string& path, std::string& bytes, int& error) {
  // Never blocks: a FIFO without a writer, a terminal or a device would
  // hold the caller (and the event loop) until somebody else acts.  Only a
  // regular file of sane size is read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return false;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error = errno;
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = kNotRegularFile;
    return false;
  }
  if (st.st_size > static_cast<off_t>(kMaxReadBytes)) {
    error = kFileTooLarge;
    return false;
  }
  bytes.reserve(bytes.size() + static_cast<std::size_t>(st.st_size));
  char buf[65536];
  std::size_t total = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      return false;
    }
    if (n == 0) break;
    total += static_cast<std::size_t>(n);
    if (total > kMaxReadBytes) {  // it grew while being read
      error = kFileTooLarge;
      return false;
    }
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  error = 0;
  return true;
}

std::string readFailureText(int error) {
  if (error == kNotRegularFile) return "not a regular file (a FIFO, a device or a socket is never read)";
  if (error == kFileTooLarge) return "too large (more than " + std::to_string(kMaxReadBytes >> 20) + " MB)";
  return std::strerror(error);
}

}  // namespace omb
