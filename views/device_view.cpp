#include "views/device_view.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>

#include <cmath>

#include "ui/geometry.h"
#include "ui/window_place.h"
#include "views/view_manager.h"

namespace omb {

// "DATA" announces what the view wrote: its change set is published, and
// the refresh signal is one subscriber of that publication.  The other
// codes (comments, registrations) are signals of their own.
QString ViewContext::captionOf(const QString& caption) const {
  const std::string note = stationNote ? stationNote() : std::string();
  if (note.empty()) return caption;
  return caption + QCoreApplication::translate("DeviceView", "　（局番 %1）").arg(QString::fromStdString(note));
}

void ViewContext::renew(const std::string& device, const std::string& code, const void* source) {
  if (code == "DATA") memory().publish(device, source);
  else manager.subDspRenew(device, code);
}

DeviceView::DeviceView(ViewContext& ctx, int slot, int defaultWidthTwips, int defaultHeightTwips, QWidget* parent)
    : QWidget(parent, kOwnedWindow),
      ctx_(ctx),
      slot_(slot),
      defaultWidth_(defaultWidthTwips),
      defaultHeight_(defaultHeightTwips) {
  setAttribute(Qt::WA_DeleteOnClose);
}

int DeviceView::pageCount() const {
  const int pages = ctx_.station->pages[static_cast<std::size_t>(slot_)].pages;
  return pages < 1 ? 1 : pages;
}

void DeviceView::placeFromRecord() {
  WindowSetting& rec = ctx_.settings.G_SetWindow[static_cast<std::size_t>(slot_)];
  rec.flg = true;
  lastPage_ = pageCount() - 1;
  page_ = std::clamp<int>(rec.Page, 0, lastPage_);
  if (rec.Top != 0) {
    setGeometry(twipsToPixels(rec.Left), twipsToPixels(rec.Top), twipsToPixels(rec.Width), twipsToPixels(rec.Height));
  } else if (cascade().has) {
    // A place of the program's choosing lies on the screen; one the user
    // recorded is taken as it is.
    const Cascade& c = cascade();
    setGeometry(placeOnScreen(
        QRect(twipsToPixels(c.left), twipsToPixels(c.top), twipsToPixels(c.width), twipsToPixels(c.height)),
        ctx_.mainWindow));
  } else {
    const QPoint origin = ctx_.mainWindow ? ctx_.mainWindow->pos() : QPoint(0, 0);
    setGeometry(placeOnScreen(QRect(origin.x() + twipsToPixels(400), origin.y() + twipsToPixels(600),
                                    twipsToPixels(defaultWidth_), twipsToPixels(defaultHeight_)),
                              ctx_.mainWindow));
  }
}

void DeviceView::setReNew(const QString& signal, const ChangeSet* changes) {
  lblReNew_ = signal;
  if (skip_) {  // the view redrew its own change already
    skip_ = false;
    return;
  }
  const QString code = signal.left(4);
  if (code != QLatin1String("DATA")) {
    onReNew(code);
    return;
  }
  if (changes) onChanged(*changes);
  else deferred_ = true;
  ctx_.manager.requestFrame();
}

void DeviceView::flushFrame() {
  if (deferred_) {
    deferred_ = false;
    onReNew(QStringLiteral("DATA"));
  }
  flushMarked();
}

void DeviceView::goToPage(int page) {
  page_ = std::clamp(page, 0, lastPage_);
  redrawPage();
}

// The next view that opens without a place of its own cascades from the
// last one the user left.
void DeviceView::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && !isMinimized()) {
    const auto [top, left, width, height] = placeTwips();
    cascade() = Cascade{true, top + 400, left + 400, width, height};
    deactivated();
  }
  QWidget::changeEvent(event);
}

std::array<int, 4> DeviceView::placeTwips() const {
  const QRect g = geometry();
  auto twips = [](int px) { return static_cast<int>(std::lround(pixelsToTwips(px))); };
  return {twips(g.top()), twips(g.left()), twips(g.width()), twips(g.height())};
}

void DeviceView::showEvent(QShowEvent* event) {
  ownBy(this, ctx_.mainWindow);
  QWidget::showEvent(event);
}

void DeviceView::closeEvent(QCloseEvent* event) {
  windowClosing();
  event->accept();
}

void DeviceView::windowClosing() {
  WindowSetting& rec = ctx_.settings.G_SetWindow[static_cast<std::size_t>(slot_)];
  if (!isMinimized() && !isMaximized()) {
    const auto [top, left, width, height] = placeTwips();
    rec.Page = static_cast<std::int16_t>(page_);
    rec.Top = top;
    rec.Left = left;
    rec.Width = width;
    rec.Height = height;
    rec.flg = false;
  }
  ctx_.manager.viewClosed(slot_);
}

}  // namespace omb
