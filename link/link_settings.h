// What the link needs to know about itself: the computer-link settings the
// user picks on the main window, the per-request framing state and the
// last-frame labels.  The main window shows and edits this model; the engine
// reads it afresh for every frame.
#pragma once

#include <functional>
#include <string>

#include "core/check_state.h"
#include "link/framing.h"

namespace omb {

struct LinkSettings {
  std::string keisiki = "形式１";  // lblKeisiki: protocol format caption
  std::string cpuType = "ACPU";    // lblCpuType: "ACPU" or "AnACPU"
  std::string kyokuNo = "00";      // txtKyokuNo: own station number
  std::string pcNo = "FF";         // txtPcNo: own PC number
  CheckState chkSum = CheckState::Unchecked;  // "チェックサム有り"; only Checked adds a sum
  bool chkCheckValue = false;      // "文法チェックをしない": unchecked mode
  bool chkViewAlert = false;       // "通信異常ﾀﾞｲｱﾛｸﾞ非表示": no question boxes
  bool chkLogDsp = true;           // "履歴表示": frame entries go to the on-screen log
  int waitMs = 40;                 // m_WaitMs: silence that ends a frame, taken at port open

  Framing framing = subSet_Framing("形式１");  // set by subSet_Framing on every format change
  // Set afresh for every request.
  std::string blockNo;  // m_BlockNo: block number of the last format-2 request
  std::string ackCode;  // m_AckCode: "GG" in format 3
  std::string nakCode;  // m_NakCode: "NN" in format 3

  // Last frames, raw.
  std::string lblRev;     // last received frame of a burst
  std::string lblSnd;     // last positive reply or line-error reply
  std::string lblComErr;  // last line error

  // Called when one of the last-frame labels changed, so a window can show it.
  std::function<void()> labelsChanged;
  void setLabel(std::string& label, std::string text) {
    label = std::move(text);
    if (labelsChanged) labelsChanged();
  }

  bool sumOn() const { return chkSum == CheckState::Checked; }
  int format() const { return formatNumber(keisiki); }
  void setFormat(const std::string& caption) {
    keisiki = caption;
    framing = subSet_Framing(caption);
  }
};

}  // namespace omb
