// Whole files.  Writing one so that it is either all there or not changed
// at all: the bytes go to a temporary file in the same folder, are flushed to
// disk, and the temporary file is renamed over the target.  A link is
// followed (the file it points to is replaced), and a replaced file keeps
// its permissions.
#pragma once

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

// Reads a whole file into `bytes`.  False with the errno of the failing
// step in `error` when it cannot be opened or read to its end; what was
// read before a read error stays in `bytes`.
bool readWholeFile(const std::string& path, std::string& bytes, int& error);

}  // namespace omb
