#include "app/record_file.h"

#include <algorithm>
#include <cerrno>

namespace omb {

namespace {

// The time stamp of a row: the text before its first comma.
std::string_view stampOf(std::string_view row) { return row.substr(0, row.find(',')); }

}  // namespace

bool RecordFile::writeAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write_(bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    unfinished_ = bytes[static_cast<std::size_t>(n) - 1] != '\n';
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void RecordFile::append(std::string_view rows) {
  if (rows.empty()) return;
  const auto rowCount = static_cast<std::uint64_t>(std::count(rows.begin(), rows.end(), '\n'));
  if (failing_) {
    std::string mark = unfinished_ ? "\n" : "";
    mark += "# gap: " + std::to_string(gapRows_) + " rows lost from " + gapFrom_ + " to " + gapTo_ + " ms\n";
    if (writeAll(mark)) {
      failing_ = false;
      gapRows_ = 0;
      if (onTrouble) onTrouble(0);
    }
  }
  const bool written = !failing_ && writeAll(rows);
  if (written) return;
  const int error = errno;
  // What a short write took of this change set is in the file; the gap
  // counts the whole set, which is what cannot be trusted.
  lost_ += rowCount;
  const std::size_t lastRow = rows.size() >= 2 ? rows.rfind('\n', rows.size() - 2) : std::string_view::npos;
  if (gapRows_ == 0) gapFrom_ = std::string(stampOf(rows));
  gapTo_ = std::string(stampOf(lastRow == std::string_view::npos ? rows : rows.substr(lastRow + 1)));
  gapRows_ += rowCount;
  if (!failing_) {
    failing_ = true;
    if (onTrouble) onTrouble(error);
  }
}

}  // namespace omb
