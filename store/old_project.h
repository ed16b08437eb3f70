// Projects of the earlier generation of the simulator: no version header,
// a fixed device layout, numbers as int16, no comments.  The import reads
// such a file whole into an image of its own; the program's state takes it
// over only when every field was there and its link settings can be
// served (`unusableSetting`).  A current project file offered to
// the import is recognised by its "Ver " header and refused.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dev_range.h"
#include "core/device_kind.h"
#include "core/device_memory.h"
#include "core/system_state.h"
#include "core/user_lists.h"
#include "link/link_lists.h"
#include "store/project_file.h"

namespace omb {

// The words of each kind in an old file, TN first (24336 in all).
inline constexpr std::array<int, kKindCount> kOldWords{2048, 1024, 6144, 4096, 8192, 256, 128, 128, 512,
                                                       512,  512,  256,  128,  16,   128,  128, 64,  64};

struct OldProjectImage {
  std::array<std::vector<std::int16_t>, kKindCount> memory;
  UserList userWordList, userBitList;  // without comments
  std::array<std::int16_t, 2> reserved{};
  LinkLists lists;  // the test values are the value fields of the word test list
  // Link and serial settings as the menus hold them (no handshaking, no wait).
  LinkMenus menus;
  std::string station;
  std::int16_t sum = 0;
  std::string comment;
};

struct OldProjectRead {
  std::optional<OldProjectImage> image;
  bool currentVersion = false;  // a file of this program: not an old project
  std::string error;            // why the file could not be read whole or served
};
OldProjectRead decodeOldProject(std::string_view bytes);

// The old generation's fixed ranges, with device texts that match their
// numbers ("D0000"-"D1024", "D000000"-"D006143") so requests pass the range
// check after an import; the codes of the records stay.
void setOldRanges(DevRangeTable& range5, DevRangeTable& range7);
// Its devices per page, by view slot.
void setOldPages(PageTable& pages);

}  // namespace omb
