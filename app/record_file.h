// The serve mode's --record file: rows of the change recorder appended as
// they come, each change set in one write, so a CI job may read the file
// while the server runs or after it was killed.
//
// A write that fails (the disk full, a file size limit) loses the rows of
// that change set, not the recording: the rows are counted, the trouble is
// told once, and the next change set tries again.  When a write succeeds
// again a line marks the gap first,
//   # gap: 12 rows lost from 1503.250 to 1720.004 ms
// (a CSV comment; readers skip it), ending first any line a short write
// left unfinished.  Nothing waits or retries in between: the next change is
// the next attempt.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace omb {

class RecordFile {
 public:
  // Writes bytes as write(2) does: how many were written, or -1 with errno.
  using Writer = std::function<ssize_t(const char* data, std::size_t size)>;

  explicit RecordFile(Writer write) : write_(std::move(write)) {}

  // Rows of whole lines, "time_ms,device,value\n" each (the header too).
  void append(std::string_view rows);

  // Rows lost so far.
  std::uint64_t lostRows() const { return lost_; }
  // Told once when writing starts to fail (with errno), and once when it
  // works again (0).
  std::function<void(int error)> onTrouble;

 private:
  // Writes all of `bytes`; false when a write failed (errno kept).
  bool writeAll(std::string_view bytes);

  Writer write_;
  bool failing_ = false;
  bool unfinished_ = false;  // a short write left a line without its end
  std::uint64_t lost_ = 0;
  std::uint64_t gapRows_ = 0;        // rows lost since the last success
  std::string gapFrom_, gapTo_;      // their first and last time stamps
};

}  // namespace omb
