// Which window each single-view slot opens.
#pragma once

#include "views/device_view.h"

namespace omb {

// The view of `slot`: word views for 0-5, bit views for 6-17, bit displays
// of word devices for 20-23; nullptr for the slots whose windows do not
// exist yet (test monitor, user view).
DeviceView* createSingleView(ViewContext& ctx, int slot);
// Whether createSingleView makes a window for `slot`.
bool hasSingleView(int slot);

}  // namespace omb
