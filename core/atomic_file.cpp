#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace omb {

std::optional<WriteFailure> writeFileAtomically(const std::string& path, std::string_view bytes) {
  namespace fs = std::filesystem;
  auto failure = [](int e) { return WriteFailure{e, std::strerror(e)}; };
  fs::path target = path;
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(path, ec))) {
    target = fs::canonical(path, ec);
    if (ec) return failure(ec.value());
  }
  // Only a regular file is ever replaced: a device or a folder at the path
  // (or behind the link) stays untouched.
  const fs::file_status st0 = fs::status(target, ec);
  if (fs::exists(st0) && !fs::is_regular_file(st0)) return WriteFailure{EINVAL, "通常のファイルではありません"};
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
  // The permissions of the file being replaced; a new file is readable by
  // everyone and writable by its owner (mkstemp itself creates 0600).
  struct stat st {};
  const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
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
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = errno;
    return false;
  }
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  error = std::ferror(f) ? (errno ? errno : EIO) : 0;
  std::fclose(f);
  return error == 0;
}

}  // namespace omb
