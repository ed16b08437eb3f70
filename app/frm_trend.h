// "トレンドグラフ": how chosen devices' values evolve, as square-stepped
// lines on a time axis in seconds.  Words share the value axis on the left;
// bits are drawn as a logic analyser shows them, each in a 0/1 lane of its
// own on the right ("ビット"), so that X0 toggling stays visible beside D100
// counting to 1000.
//
// A live window samples device memory whenever it changes (a TraceSet on
// the memory in front); a window opened on a recording (the CSV that serve
// mode's --record writes) shows that file's devices.  Devices are added by
// address (D100, X1F, several at once) or from the user registration lists.
//
// The time axis follows the newest data, showing the chosen width, until
// the user zooms or pans; "全体表示" brings the following back.  "一時停止"
// freezes the picture (sampling goes on, so nothing is missed when it is
// released).  Zoom: drag a rectangle, or the wheel for the time axis; pan:
// the middle button or the arrow keys; right click zooms out.  Under the
// chart the cursor's time and every device's value at that time are shown.
// "CSV出力" writes the visible time range (tracesCsv), "画像保存" the chart
// as PNG.  Each series draws at most a few points per pixel (tracePlot), so
// a long run of fast-changing values stays quick to draw.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

#include "app/app_core.h"
#include "core/trend.h"

class QCategoryAxis;
class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;

namespace omb {

class FrmTrend : public QWidget {
  Q_OBJECT
 public:
  // A live chart of device memory.
  explicit FrmTrend(AppCore& core, QWidget* parent = nullptr);
  // A chart of a recording's traces; `file` names it in the caption.
  FrmTrend(AppCore& core, std::vector<Trace> recording, const std::string& file, QWidget* parent = nullptr);
  ~FrmTrend() override;

  // The devices typed in the text box (blank or comma separated); those
  // that are not devices are told in one box.
  void cmdTrendAdd_Click();
  // Every device of the user registration lists (word and bit).
  void cmdTrendAddList_Click();
  void cmdTrendRemove_Click();
  // The time axis follows the newest data again, the value axis fits.
  void cmdTrendFit_Click();
  void cmdTrendCsv_Click();
  void cmdTrendPng_Click();
  // A recording chosen with the file chooser, in a window of its own.
  void cmdTrendOpen_Click();
  // The same from anywhere: the window shown, or none (cancelled, or the
  // file said why it could not be read).
  static FrmTrend* openRecording(AppCore& core, QWidget* parent);
  // Redraws the series for the axes' ranges (the timer's work).
  void redraw();

  const std::vector<Trace>& traces() const;
  // The visible time range, seconds.
  std::pair<double, double> visibleRange() const;
  // What the read-out shows for time `t`.
  QString readOut(double t) const;
  // Zooms the time axis by `factor` (<1 in) around `t`, or moves it by
  // `seconds`; either stops the following.
  void zoomTime(double factor, double t);
  void panTime(double seconds);

 private:
  void build();
  void rebuildSeries();
  double end() const;
  void userMovedAxes();
  void message(const std::string& text);

  AppCore& core_;
  std::unique_ptr<TraceSet> live_;  // empty for a recording
  std::vector<Trace> recorded_;
  double recordedEnd_ = 0;

  QChart* chart_ = nullptr;
  QChartView* chtTrend_ = nullptr;
  QValueAxis *axisX_ = nullptr, *axisY_ = nullptr;
  QCategoryAxis* axisLanes_ = nullptr;  // the bits' lanes, named by device
  std::vector<QLineSeries*> series_;
  std::vector<int> lanes_;  // per series: its bit lane, -1 for a word
  QLineEdit* txtTrendDevice_ = nullptr;
  QPushButton *cmdTrendAdd_ = nullptr, *cmdTrendAddList_ = nullptr, *cmdTrendRemove_ = nullptr,
              *cmdTrendFit_ = nullptr, *cmdTrendCsv_ = nullptr, *cmdTrendPng_ = nullptr, *cmdTrendOpen_ = nullptr;
  QListWidget* lstTrendSeries_ = nullptr;
  QCheckBox* chkTrendPause_ = nullptr;
  QComboBox* cboTrendSpan_ = nullptr;
  QLabel* lblTrendCursor_ = nullptr;
  QTimer timer_;
  bool follow_ = true;      // the axes follow the data
  bool settingRanges_ = false;
  std::optional<double> frozenEnd_;  // paused: the time the picture stopped at
  std::optional<double> cursor_;     // the read-out's time
};

}  // namespace omb
