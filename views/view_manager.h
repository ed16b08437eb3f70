// The single device views: opening them from the menus and toolbars,
// closing them together, recording where they were, reopening them, and the
// refresh signal that tells every view showing a device that its values,
// comments or registrations changed.
//
// The signal is a direct call: subDspRenew marks the slots the device
// concerns, builds the text (code, hhnnss, " - ", a running digit) and hands
// it, before returning, to each marked open view in the fixed forwarding
// order, then to every open multi-screen window.  A "DATA" signal carries
// the change set that raised it; the windows note which of their rows on
// the screen changed and draw them at the next display frame (a 16 ms
// timer started by the first signal after a frame), so many writes within
// one frame cost each window one repaint and the line never waits for the
// screen.
#pragma once

#include <QString>
#include <QElapsedTimer>
#include <QTimer>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/device_memory.h"
#include "views/device_view.h"
#include "views/view_host.h"

namespace omb {

class ViewManager {
 public:
  // `mainWindow`: the window the views belong to (their owner, and the
  // origin of their first place); may be null in tests.
  ViewManager(const ViewHost& host, QWidget* mainWindow);
  ~ViewManager();
  ViewManager(const ViewManager&) = delete;
  ViewManager& operator=(const ViewManager&) = delete;

  ViewContext& context() { return ctx_; }

  // Menu entry: create the view when it does not exist, show it, bring it
  // forward.
  void openSingleView(int slot);
  // Toolbar button: close the view when it is open, else as the menu entry.
  void toolbarSingleView(int slot);
  bool isOpen(int slot) const { return views_[static_cast<std::size_t>(slot)] != nullptr; }
  DeviceView* view(int slot) const { return views_[static_cast<std::size_t>(slot)]; }
  // A view tells that it has closed: its menu mark goes, its slot is free.
  void viewClosed(int slot);

  void subDspRenew(const std::string& device, const std::string& code);
  // The last signal text raised.
  const QString& lastSignal() const { return lastSignal_; }
  // A window has something to draw at the next display frame.  A frame
  // due while the line is in an exchange waits for the next reply to leave
  // or the line to rest (looking again every kLineWaitMs), but never more
  // than kMostWaitMs: drawing never delays a reply, and a line that never
  // rests still sees its values.
  void requestFrame();
  // The display frame now: every window draws what it was left to draw.
  void flushFrame();
  static constexpr int kFrameMs = 16;
  static constexpr int kLineWaitMs = 1;
  static constexpr int kMostWaitMs = 100;

  void subCloseDeviceView();
  // The single views open are closed and opened again in their places,
  // counting the pages of what they now show (another station shown).
  // The multi-screen windows stay; they redraw with the next refresh.
  void reopenViews();
  void subGet_DeviceView();
  void subView_Dsp();

  // "マルチ画面全消去": every multi-screen window closed and forgotten.
  void mnuAllClr();
  // "マルチ画面初期化": the same, then the multi-screen page sizes, bit
  // texts and window records read again from the settings file.
  void mnuMuliInit();
  // "ウインドウの表示状態を初期化する": after a question, every view closed
  // and every remembered place (main window included) back to the start.
  void mnuResetView();
  // "セルのプロパティを初期化する": after a question, every cell style gone.
  void mnuResetCell();
  // The devices-per-page dialog: the number entered, -1 when nothing usable
  // was (0 after a failure).
  int fncSetRow(int current);

  // Multi-screen windows, in the order they opened: every open one is told
  // every signal.
  std::vector<DeviceView*> multiViews;
  // Menu entry or Toolbar2 button of a multi-screen kind: one more window
  // of the kind in the first free slot.
  void openMultiView(int kind);
  // A multi-screen window tells that it has closed.
  void multiViewClosed(DeviceView* view);
  // Re-creates the windows the slot records of G_MultiView mark (kinds
  // whose open flag is set), after a project was opened.
  void subView_DspM();
  // "SAVE" to every multi-screen window: each puts its place into its slot
  // record and marks its kind open.
  void subSave_MultiView();
  // Creates a multi-screen window of a kind with its slot number; nullptr
  // for kinds without windows.
  std::function<DeviceView*(ViewContext&, int kind, int number)> multiFactory;

  // Creates the view of a slot, nullptr for slots without a view yet.
  std::function<DeviceView*(ViewContext&, int slot)> factory;
  // The menu mark of a single view, set while it is open (the main
  // window's, given by whoever puts the two together).
  std::function<void(int slot, bool open)> viewChecked;

  // Forwarding order of the single views.
  static const std::array<int, 24> kForwardOrder;
  // The slots a device code marks (besides 18 and 19, always marked).
  static std::vector<int> slotsOf(const std::string& device);

 private:
  void closeMultiViews();
  void showMultiView(int kind, int number);

  ViewHost host_;
  QWidget* main_;
  ViewContext ctx_;
  std::array<DeviceView*, kViewSlotCount> views_{};
  std::array<bool, kViewSlotCount> G_ViewDirty{};
  int m_ReNewSeq = 0;
  QString lastSignal_;
  QTimer frame_;
  void frameDue();
  QElapsedTimer waiting_;  // since the frame was due, while it waits for the line
};

}  // namespace omb
