// Whole files.  Writing one so that it is either all there or not changed
// at all: the bytes go to a temporary file in the same folder (created
// exclusively, for the owner only, until it is complete), are flushed to
// disk, and the temporary file is renamed over the target.
//
// What may be replaced: nothing yet, or a regular file owned by the user
// running the program, which keeps its permissions; a new file gets 0666
// less the umask.  A symbolic link is followed only to an existing regular
// file owned by the user; a link to another user's file, to a device or to
// nothing is refused and left as it is.
#pragma once

#include <cerrno>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace omb {

struct WriteFailure {
  int error = 0;       // errno of the step that failed
  std::string reason;  // the system's words for it
};

// Empty on success.  On failure the target is as it was and no temporary
// file is left behind.
std::optional<WriteFailure> writeFileAtomically(const std::string& path, std::string_view bytes);

// The largest file readWholeFile reads.
inline constexpr std::size_t kMaxReadBytes = std::size_t{256} << 20;
// What readWholeFile sets `error` to, besides an errno: the path names
// something other than a regular file, or a file beyond kMaxReadBytes.
// (errno values of their own, so errorFromErrno names them.)
inline constexpr int kNotRegularFile = ENODEV;
inline constexpr int kFileTooLarge = EFBIG;
// Their error numbers (errorFromErrno), this program's own beside the
// classic ones of core/error.h, with the descriptions
// "通常のファイルではありません。" and "ファイルが大きすぎます。".
inline constexpr int kErrNotRegularFile = 32756;
inline constexpr int kErrFileTooLarge = 32757;

// Reads a whole file into `bytes`, without ever blocking: only a regular
// file of at most kMaxReadBytes is read; a FIFO, a device, a socket or a
// folder is refused at once.  False with the errno of the failing step (or
// one of the two above) in `error` when it cannot be opened or read to its
// end; what was read before a read error stays in `bytes`.
bool readWholeFile(const std::string& path, std::string& bytes, int& error);
// Plain words for a failure of readWholeFile, for standard error.
std::string readFailureText(int error);

}  // namespace omb
