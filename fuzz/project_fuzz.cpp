// Reads arbitrary bytes as a project file.  Whatever arrives, reading must
// not crash, run away or allocate beyond what the bytes can fill, and a
// project that was read writes back to a file that reads back to the same
// bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const omb::ProjectRead first = omb::decodeProject(bytes);
  if (!first.image) return 0;
  const std::string written = omb::encodeProject(*first.image);
  const omb::ProjectRead again = omb::decodeProject(written);
  if (!again.image || omb::encodeProject(*again.image) != written) std::abort();
  return 0;
}
