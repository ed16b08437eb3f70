// What every single device view shares: its window slot, the page it shows,
// its place on the screen (from its G_SetWindow record, else the cascade
// position, else beside the main window), the skip-next-refresh flag, and
// the record written back when it closes.
#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

#include "core/presenter.h"
#include "core/system_state.h"
#include "link/link_lists.h"
#include "store/comment_store.h"
#include "store/settings_file.h"
#include "views/copy_buffer.h"

namespace omb {

class ViewManager;

// Where the next window opens that has no place of its own: the place of
// the last one the user left, moved by 400 twips.
struct Cascade {
  bool has = false;
  int top = 0, left = 0, width = 0, height = 0;
};

// All a view reaches, through one reference: the model it shows and edits
// (device memory, page table, user lists, cell styles, comments), the
// settings it shows and records its place in, the presenter for every
// question, the error log, and the view manager for the refresh signal and
// for telling it closed.  Never the application core with its engine, port
// and log.
struct ViewContext {
  // Program-wide: user lists, cell styles, multi-screen records.
  SystemState& state;
  // The station shown: its device memory, page table and monitor comments,
  // and the engine's test and monitor lists of it (shown by the test
  // monitor).  Read through these every time: the station shown changes.
  SystemState* const& station;
  const LinkLists* const& stationLists;
  DeviceMemory& memory() const { return station->memory; }
  const LinkLists& lists() const { return *stationLists; }
  CommentStore& comments;
  Settings& settings;
  Presenter& presenter;
  ErrorSink& errors;
  ViewManager& manager;
  CopyBuffer copyBuffer;  // Ctrl+C / Ctrl+V, one for all views
  // The cascade positions of the single views and of the multi-screen
  // windows.
  Cascade cascade, multiCascade;
  QWidget* mainWindow = nullptr;
  // Whether the line is open: comments are not edited while a PC program
  // may be talking to the controller.
  std::function<bool()> portOpen;
  // The station shown when the line carries several (empty with one).
  std::function<std::string()> stationNote;
  // A window's caption with the station it shows when there are several.
  QString captionOf(const QString& caption) const;
  // Announces a change a view made: "DATA" publishes the memory's change
  // set (from `source`), other codes go to the view manager's subDspRenew.
  void renew(const std::string& device, const std::string& code, const void* source = nullptr);
};

class DeviceView : public QWidget {
  Q_OBJECT
 public:
  // `slot`: 0-23.  Default size in twips when no place was saved.
  DeviceView(ViewContext& ctx, int slot, int defaultWidthTwips, int defaultHeightTwips, QWidget* parent = nullptr);

  int slot() const { return slot_; }
  // The hidden refresh label: the signal text ("DATA143055 - 7").  Swallowed
  // once after the view set its skip flag.  A "DATA" signal is not drawn
  // at once: its change set (when it has one) notes the rows to repaint,
  // and the drawing waits for the next display frame, so whoever wrote
  // (a PC program on the line) never waits for the screen.
  void setReNew(const QString& signal, const ChangeSet* changes = nullptr);
  // The display frame: what "DATA" signals left to draw is drawn.
  void flushFrame();
  QString lblReNew() const { return lblReNew_; }
  // Set before the view changes memory itself and redraws on its own.
  void setSkip() { skip_ = true; }

  int page() const { return page_; }
  int lastPage() const { return lastPage_; }
  // Moves to another page (clamped) and redraws.
  void goToPage(int page);

 protected:
  // The view's reaction to a signal it did not swallow (code = first four
  // characters of the text).
  virtual void onReNew(const QString& code) = 0;
  // Full redraw of the page.
  virtual void redrawPage() = 0;
  // A "DATA" signal's change set; without an override the values are
  // redrawn with the next frame.
  virtual void onChanged(const ChangeSet&) { deferToFrame(); }
  // The reaction to "DATA" waits for the next frame.
  void deferToFrame() { deferred_ = true; }
  // Draws, at the frame, the rows onChanged noted.
  virtual void flushMarked() {}
  // Page count of the view's slot.
  int pageCount() const;
  // Places the window and clamps the page from the settings record.
  void placeFromRecord();

  void closeEvent(QCloseEvent* event) override;
  // The window belongs to the main window (see ownBy).
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  // The cascade this window leaves its place in and may open at.
  virtual Cascade& cascade() { return ctx_.cascade; }
  // Closing: records the place (single views: their G_SetWindow record)
  // and tells the view manager.
  virtual void windowClosing();
  // The user left the window (not minimized).
  virtual void deactivated() {}
  // The window's place in twips: top, left, width, height.
  std::array<int, 4> placeTwips() const;

  ViewContext& ctx_;
  int slot_;
  int page_ = 0, lastPage_ = 0;
  int defaultWidth_, defaultHeight_;

 private:
  bool skip_ = false;
  // A "DATA" signal waits for the frame to be answered as a whole.
  bool deferred_ = false;
  QString lblReNew_;
};

}  // namespace omb
