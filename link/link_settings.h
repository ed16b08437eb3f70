// What the link needs to know about itself: the computer-link settings
// (a typed LinkConfig), the switches of the main window that change how
// traffic is reported, the inter-character wait taken at port open, and
// the last-frame labels.  The main window shows and edits this model; the
// engine reads it afresh for every frame.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "link/framing.h"
#include "link/link_config.h"

namespace omb {

struct LinkSettings {
  LinkConfig config;
  bool chkViewAlert = false;  // "通信異常ﾀﾞｲｱﾛｸﾞ非表示": no question boxes
  bool chkLogDsp = true;      // "履歴表示": frame entries go to the on-screen log
  int waitMs = 40;            // m_WaitMs: silence that ends a frame, taken at port open
  // Every station a multi-drop line serves ("00,01,05"), for the report of
  // a request to another station; empty when the line serves one.
  std::string stationsServed;
  // The inter-character waits the program can serve, in ms (the wait bar's
  // range, --wait, projects).
  static constexpr int kWaitMinMs = 2, kWaitMaxMs = 500;

  // Last frames, raw.
  std::string lblRev;     // last received frame of a burst
  std::string lblSnd;     // last positive reply or line-error reply
  std::string lblComErr;  // last line error

  // Called when one of the last-frame labels changed, so a window can show it.
  std::function<void()> labelsChanged;
  void setLabel(std::string& label, std::string_view text) {
    label.assign(text);  // reuses the label's storage: set on every request
    if (labelsChanged) labelsChanged();
  }

  const Framing& framing() const { return subSet_Framing(config.format); }
  // The captions the screen and the log banners show.
  std::string keisiki() const { return formatCaption(config.format); }
  std::string cpuType() const { return cpuName(config.cpu); }
};

}  // namespace omb
