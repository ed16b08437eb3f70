// Reads arbitrary bytes as a comment file and as a comment typed in a view.
// Whatever arrives, reading must not crash or run away, and whatever was
// read must write back to a file that reads back to the same bytes: a
// comment never changes by being saved.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/cp932.h"
#include "core/error.h"
#include "store/comment_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  omb::NullErrorSink errors;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  omb::CommentStore store(errors);
  store.readFileBytes(bytes);
  const std::string written = store.fileBytes();
  omb::CommentStore again(errors);
  if (!again.readFileBytes(written) || again.fileBytes() != written) std::abort();

  // The same bytes as text typed into a view (UTF-8, as the views hand
  // it over), after an address.
  omb::CommentStore typed(errors);
  typed.subAdd_Comment("D000100\t" + omb::cp932::decode(bytes));
  omb::CommentStore reread(errors);
  if (!reread.readFileBytes(typed.fileBytes()) ||
      reread.fncDeviceComment("D", 100) != typed.fncDeviceComment("D", 100))
    std::abort();
  return 0;
}
