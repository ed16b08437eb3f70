// Which window each single-view slot opens.
#pragma once

#include "views/device_view.h"

namespace omb {

// The view of `slot`: word views for 0-5, bit views for 6-17; nullptr for
// the slots whose windows do not exist yet (test monitor, user view, bit
// displays of word devices).
DeviceView* createSingleView(ViewContext& ctx, int slot);
// Whether createSingleView makes a window for `slot`.
bool hasSingleView(int slot);

}  // namespace omb
