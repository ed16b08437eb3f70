// Which window each single-view slot and each multi-screen kind opens.
#pragma once

#include "views/device_view.h"

namespace omb {

// The view of `slot`: word views for 0-5, bit views for 6-17, the test
// monitor 18, the user registration view 19, bit displays of word devices
// for 20-23.
DeviceView* createSingleView(ViewContext& ctx, int slot);
// Whether createSingleView makes a window for `slot`.
bool hasSingleView(int slot);
// A multi-screen window of `kind` (1-5 words, 7-13 bits) holding slot
// `number`; nullptr for the kinds without windows.
DeviceView* createMultiView(ViewContext& ctx, int kind, int number);
bool hasMultiView(int kind);

}  // namespace omb
