#include "views/view_manager.h"

#include <QDateTime>
#include <QScreen>

#include <cmath>

#include "ui/geometry.h"
#include "core/numeric.h"
#include "views/multi_view.h"
#include "views/view_factory.h"
#include "core/translate.h"

namespace omb {

const std::array<int, 24> ViewManager::kForwardOrder{1,  2,  5,  4,  0,  3,  11, 17, 16, 12, 9,  8,
                                                     13, 10, 15, 14, 6,  7,  18, 19, 20, 22, 21, 23};

ViewManager::ViewManager(const ViewHost& host, QWidget* mainWindow)
    : host_(host), main_(mainWindow), ctx_{host.state, host.shownState, host.shownLists, host.comments, host.settings, host.presenter,
                                           host.errors, *this, {}, {}, {}, mainWindow, host.portOpen, host.stationNote} {
  host_.subDspRenew = [this](const std::string& device, const std::string& code) { subDspRenew(device, code); };
  // A frame waiting for the line is drawn as soon as a reply has left: the
  // next request is then at least a silence away.
  host_.lineReplied = [this] {
    if (waiting_.isValid()) flushFrame();
  };
  frame_.setSingleShot(true);
  frame_.callOnTimeout([this] { frameDue(); });
}

void ViewManager::requestFrame() {
  if (!frame_.isActive()) frame_.start(kFrameMs);
}

void ViewManager::frameDue() {
  if (host_.lineBusy && host_.lineBusy()) {
    if (!waiting_.isValid()) waiting_.start();
    if (waiting_.elapsed() < kMostWaitMs) {
      frame_.start(kLineWaitMs);
      return;
    }
  }
  flushFrame();
}

void ViewManager::flushFrame() {
  frame_.stop();
  waiting_.invalidate();
  guarded(host_.errors, "frmMain.subDspRenew() ", [&](ErrorTrap&) {
    for (int s : kForwardOrder)
      if (DeviceView* v = views_[static_cast<std::size_t>(s)]) v->flushFrame();
    const std::vector<DeviceView*> multi = multiViews;
    for (DeviceView* v : multi) v->flushFrame();
  });
}

ViewManager::~ViewManager() {
  host_.subDspRenew = nullptr;
  host_.lineReplied = nullptr;
  const std::vector<DeviceView*> multi = std::move(multiViews);
  for (DeviceView* v : multi) {
    v->setAttribute(Qt::WA_DeleteOnClose, false);
    delete v;
  }
  for (DeviceView* v : views_)
    if (v) {
      v->setAttribute(Qt::WA_DeleteOnClose, false);
      delete v;
    }
}

std::vector<int> ViewManager::slotsOf(const std::string& d) {
  if (d == "All") {
    std::vector<int> all(kViewSlotCount);
    for (int i = 0; i < kViewSlotCount; ++i) all[static_cast<std::size_t>(i)] = i;
    return all;
  }
  if (d == "X") return {6};
  if (d == "Y") return {7};
  if (d == "M") return {8, 13};
  if (d == "L") return {9};
  if (d == "S") return {10};
  if (d == "B") return {11};
  if (d == "F") return {12};
  if (d == "TS") return {14};
  if (d == "TC") return {15};
  if (d == "CS") return {16};
  if (d == "CC") return {17};
  if (d == "D") return {2, 5, 20, 23};
  if (d == "W") return {3, 21};
  if (d == "R") return {4, 22};
  if (d == "TN") return {0};
  if (d == "CN") return {1};
  return {};
}

void ViewManager::openSingleView(int slot) {
  guarded(host_.errors, "frmMain.subView_Open() ", [&](ErrorTrap&) {
    DeviceView* v = views_[static_cast<std::size_t>(slot)];
    if (!v) {
      if (!factory) return;
      v = factory(ctx_, slot);
      if (!v) return;
      views_[static_cast<std::size_t>(slot)] = v;
    }
    if (viewChecked) viewChecked(slot, true);
    v->show();
    v->raise();
    v->activateWindow();
  });
}

void ViewManager::toolbarSingleView(int slot) {
  if (DeviceView* v = views_[static_cast<std::size_t>(slot)]) v->close();
  else openSingleView(slot);
}

void ViewManager::viewClosed(int slot) {
  views_[static_cast<std::size_t>(slot)] = nullptr;
  if (viewChecked) viewChecked(slot, false);
}

void ViewManager::subDspRenew(const std::string& device, const std::string& code) {
  guarded(host_.errors, "frmMain.subDspRenew() ", [&](ErrorTrap&) {
    for (int s : slotsOf(device)) G_ViewDirty[static_cast<std::size_t>(s)] = true;
    G_ViewDirty[18] = G_ViewDirty[19] = true;
    lastSignal_ = QString::fromStdString(code) + QTime::currentTime().toString("hhmmss") + " - " +
                  QString::number(m_ReNewSeq);
    m_ReNewSeq = (m_ReNewSeq + 1) % 10;
    // Forwarding: each marked open view in the fixed order, then every
    // multi-screen window, whatever its device.
    const QString text = lastSignal_;
    const ChangeSet* changes = code == "DATA" ? host_.announcing : nullptr;
    for (int s : kForwardOrder) {
      DeviceView* v = views_[static_cast<std::size_t>(s)];
      if (G_ViewDirty[static_cast<std::size_t>(s)] && v) v->setReNew(text, changes);
    }
    G_ViewDirty.fill(false);
    for (DeviceView* v : multiViews) v->setReNew(text, changes);
  });
}

void ViewManager::subCloseDeviceView() {
  guarded(host_.errors, "frmMain.subCloseDeviceView() ", [&](ErrorTrap&) {
    for (int s : kForwardOrder)
      if (DeviceView* v = views_[static_cast<std::size_t>(s)]) v->close();
    closeMultiViews();
  });
}

void ViewManager::reopenViews() {
  guarded(host_.errors, "frmMain.subView_Dsp() ", [&](ErrorTrap&) {
    std::vector<int> open;
    for (int s : kForwardOrder)
      if (DeviceView* v = views_[static_cast<std::size_t>(s)]) {
        open.push_back(s);
        v->close();
      }
    for (int s : open) openSingleView(s);
    // Multi-screen windows stay open; their captions name the station.
    for (DeviceView* v : multiViews)
      if (auto* g = qobject_cast<GridView*>(v)) g->retitle();
  });
}

void ViewManager::subGet_DeviceView() {
  guarded(host_.errors, "frmMain.subGet_DeviceView() ", [&](ErrorTrap&) {
    for (int s = 0; s < kViewSlotCount; ++s) {
      WindowSetting& rec = host_.settings.G_SetWindow[static_cast<std::size_t>(s)];
      DeviceView* v = views_[static_cast<std::size_t>(s)];
      if (!v) {
        rec.flg = false;
        continue;
      }
      if (v->isMinimized() || v->isMaximized()) continue;
      const QRect g = v->geometry();
      rec.Top = static_cast<std::int32_t>(std::lround(pixelsToTwips(g.top())));
      rec.Left = static_cast<std::int32_t>(std::lround(pixelsToTwips(g.left())));
      rec.Width = static_cast<std::int32_t>(std::lround(pixelsToTwips(g.width())));
      rec.Height = static_cast<std::int32_t>(std::lround(pixelsToTwips(g.height())));
      rec.flg = true;
    }
  });
}

void ViewManager::subView_Dsp() {
  guarded(host_.errors, "frmMain.subView_Dsp() ", [&](ErrorTrap&) {
    for (int s = 0; s < kViewSlotCount; ++s)
      if (host_.settings.G_SetWindow[static_cast<std::size_t>(s)].flg && !views_[static_cast<std::size_t>(s)])
        openSingleView(s);
  });
}

void ViewManager::closeMultiViews() {
  // Closing takes a window out of the list: walk a copy, last first.
  const std::vector<DeviceView*> open = multiViews;
  for (auto it = open.rbegin(); it != open.rend(); ++it) (*it)->close();
}

void ViewManager::mnuAllClr() {
  guarded(host_.errors, "frmMain.mnuAllClr_Click() ", [&](ErrorTrap&) {
    closeMultiViews();
    host_.state.multi.clearAll();
  });
}

void ViewManager::openMultiView(int kind) {
  guarded(host_.errors, "frmMain.subAdd_MultiView() ", [&](ErrorTrap&) {
    if (!multiFactory || !hasMultiView(kind)) return;
    const QString name = QString::fromUtf8(multiFamily(kind)->form);
    const auto open = std::count_if(multiViews.begin(), multiViews.end(),
                                    [&](const DeviceView* v) { return v->objectName() == name; });
    const int number = host_.state.multi.subAdd_MultiView(kind, static_cast<int>(open));
    showMultiView(kind, number);
  });
}

void ViewManager::showMultiView(int kind, int number) {
  DeviceView* v = multiFactory(ctx_, kind, number);
  if (!v) return;
  multiViews.push_back(v);
  v->show();
  v->raise();
}

void ViewManager::multiViewClosed(DeviceView* view) { std::erase(multiViews, view); }

void ViewManager::subView_DspM() {
  guarded(host_.errors, "frmMain.subView_DspM() ", [&](ErrorTrap&) {
    MultiViews& multi = host_.state.multi;
    for (int kind = 1; kind <= kMultiKinds; ++kind) {
      auto& k = multi.G_MultiView[static_cast<std::size_t>(kind)];
      if (!k.open || !hasMultiView(kind) || !multiFactory) continue;
      multi.G_MultiLast[static_cast<std::size_t>(kind)] = static_cast<std::int16_t>(k.records.size() - 1);
      // Numbers first: a window that opens may grow the records.
      std::vector<int> numbers;
      for (const MultiWindowRecord& r : k.records)
        if (r.number > 0) numbers.push_back(r.number);
      for (int number : numbers) {
        multi.G_MultiNo[static_cast<std::size_t>(kind)] = static_cast<std::int16_t>(number);
        showMultiView(kind, number);
      }
    }
  });
}

void ViewManager::subSave_MultiView() {
  const std::vector<DeviceView*> open = multiViews;
  for (DeviceView* v : open) v->setReNew(QStringLiteral("SAVE"));
}

void ViewManager::mnuMuliInit() {
  mnuAllClr();
  host_.settingsFile.fncGetIniFile(kIniSectionMultiBit);
}

void ViewManager::mnuResetView() {
  if (host_.presenter.message(omb::trs("ViewManager", "デバイス画面のサイズ、表示位置を初期化しますか？"), omb::trs("ViewManager", "デバイス画面初期化"),
                              MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
    return;
  guarded(host_.errors, "frmMain.mnuResetView_Click() ", [&](ErrorTrap&) {
    subCloseDeviceView();
    // The frame's corner at the top left of the screen's free area, so the
    // title bar stays on the screen.
    if (main_) {
      const QScreen* screen = main_->screen();
      main_->move(screen ? screen->availableGeometry().topLeft() : QPoint(0, 0));
      // The designed size, and never narrower than the toolbars: a cut
      // toolbar hides Cs, Cc, TEST and USER behind its » button.
      main_->resize(QSize(twipsToPixels(10815), twipsToPixels(8730)).expandedTo(main_->sizeHint()));
    }
    host_.settings.mainWindow = MainWindowSetting{};
    for (auto& rec : host_.settings.G_SetWindow) rec = WindowSetting{};
    ctx_.cascade = Cascade{};
    ctx_.multiCascade = Cascade{};
    const QPoint at = main_ ? main_->pos() : QPoint();
    const QSize size = main_ ? main_->size() : QSize();
    host_.settingsFile.subPutIniFile(
        {pixelsToTwips(at.y()), pixelsToTwips(at.x()), pixelsToTwips(size.height()), pixelsToTwips(size.width())});
  });
}

void ViewManager::mnuResetCell() {
  if (host_.presenter.message(omb::trs("ViewManager", "セルのプロパティを初期化しますか？"), omb::trs("ViewManager", "セル・プロパティ初期化"), MsgIcon::Question,
                              MsgButtons::YesNo) != MsgAnswer::Yes)
    return;
  guarded(host_.errors, "frmMain.mnuResetCell_Click() ", [&](ErrorTrap&) {
    subCloseDeviceView();
    host_.state.cellStyles.assign(1, CellStyleRecord{});
    subInit_Font(host_.state.cellStyles[0]);
  });
}

int ViewManager::fncSetRow(int current) {
  return guarded(host_.errors, "frmMain.fncSetRow() ", 0, [&](ErrorTrap&) {
    const QString answer = QString::fromStdString(host_.presenter.dlgInput(
        omb::trs("ViewManager", "デバイス点数設定"), omb::trs("ViewManager", "１ページあたりのデバイス点数を入力してください"), std::to_string(current)));
    const std::string text = answer.trimmed().toStdString();
    if (text.empty() || text.find_first_not_of("+-0123456789.") != std::string::npos ||
        text.find_first_of("0123456789") == std::string::npos)
      return -1;
    return static_cast<int>(toInt32(leadingNumber(text)));
  });
}

}  // namespace omb
