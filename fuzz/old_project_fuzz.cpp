// Reads arbitrary bytes as a project of the earlier generation.  Whatever
// arrives, reading must not crash or run away: a file is read whole or not
// at all, and a file of this program is recognised.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/old_project.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const omb::OldProjectRead read = omb::decodeOldProject(bytes);
  if (read.image) {
    // A whole file holds every word of the fixed layout.
    for (int k = 0; k < omb::kKindCount; ++k)
      if (read.image->memory[static_cast<std::size_t>(k)].size() !=
          static_cast<std::size_t>(omb::kOldWords[static_cast<std::size_t>(k)]))
        std::abort();
    if (size < 48672) std::abort();
  } else if (read.currentVersion != (bytes.substr(0, 4) == "Ver ")) {
    std::abort();
  }
  return 0;
}
