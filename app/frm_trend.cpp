#include "app/frm_trend.h"

#include "ui/window_place.h"

#include <QCoreApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>

#include "app/chosen_file.h"
#include "core/atomic_file.h"
#include "core/translate.h"

namespace omb {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const char* const kTitle = QT_TRANSLATE_NOOP("FrmTrend", "トレンドグラフ");

// The time axis widths offered, seconds; 0 is the whole run.
constexpr double kSpans[] = {10, 30, 60, 300, 600, 0};
const char* const kSpanCaptions[] = {QT_TRANSLATE_NOOP("FrmTrend", "10秒"), QT_TRANSLATE_NOOP("FrmTrend", "30秒"), QT_TRANSLATE_NOOP("FrmTrend", "1分"), QT_TRANSLATE_NOOP("FrmTrend", "5分"), QT_TRANSLATE_NOOP("FrmTrend", "10分"), QT_TRANSLATE_NOOP("FrmTrend", "全体")};

// A bit's lane: 0 at lane × kLaneHeight, 1 one above; the lanes keep a
// gap between them.
constexpr double kLaneHeight = 1.5;
constexpr double kLaneMargin = 0.25;

// A round step for an axis showing `range` in about `ticks` steps: 1, 2
// or 5 times a power of ten.
double niceStep(double range, int ticks) {
  const double raw = range > 0 ? range / ticks : 1;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double m = raw / power;
  return (m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10) * power;
}

// Grid lines at whole multiples of `step` from 0, labelled with as many
// decimals as the step needs (none from 1 up).
void setTicks(QValueAxis* axis, double step) {
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  axis->setTickInterval(step);
  const int decimals = step >= 1 ? 0 : std::min(3, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
  axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

// The chart's mouse and keys: the wheel zooms the time axis, the middle
// button and the arrow keys pan it, a move tells the read-out.  Dragging a
// rectangle and the right click are the chart view's own zoom.
class TrendChartView final : public QChartView {
 public:
  TrendChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setRubberBand(QChartView::RectangleRubberBand);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setRenderHint(QPainter::Antialiasing, false);  // square steps stay crisp, and draw faster
  }
  std::function<void(double factor, double t)> zoom;
  std::function<void(double seconds)> pan;
  std::function<void(std::optional<double> t)> pointAt;

 protected:
  double timeAt(QPointF pos) const { return chart()->mapToValue(pos).x(); }
  double secondsPerPixel() const {
    const QRectF area = chart()->plotArea();
    const QPointF a = chart()->mapToValue(area.topLeft()), b = chart()->mapToValue(area.topRight());
    return area.width() > 0 ? (b.x() - a.x()) / area.width() : 0;
  }
  void wheelEvent(QWheelEvent* e) override {
    const double steps = e->angleDelta().y() / 120.0;
    if (steps != 0 && zoom) zoom(std::pow(0.8, steps), timeAt(e->position()));
    e->accept();
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::MiddleButton) {
      dragFrom_ = e->position();
      e->accept();
      return;
    }
    QChartView::mousePressEvent(e);
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (dragFrom_ && pan) {
      pan(-(e->position().x() - dragFrom_->x()) * secondsPerPixel());
      dragFrom_ = e->position();
    }
    if (pointAt)
      pointAt(chart()->plotArea().contains(e->position()) ? std::optional<double>(timeAt(e->position()))
                                                          : std::nullopt);
    QChartView::mouseMoveEvent(e);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::MiddleButton) {
      dragFrom_.reset();
      e->accept();
      return;
    }
    QChartView::mouseReleaseEvent(e);
  }
  void leaveEvent(QEvent* e) override {
    if (pointAt) pointAt(std::nullopt);
    QChartView::leaveEvent(e);
  }
  void keyPressEvent(QKeyEvent* e) override {
    const double tenth = secondsPerPixel() * chart()->plotArea().width() / 10;
    if (pan && (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right)) {
      pan(e->key() == Qt::Key_Left ? -tenth : tenth);
      return;
    }
    if (zoom && (e->key() == Qt::Key_Plus || e->key() == Qt::Key_Minus)) {
      const QRectF area = chart()->plotArea();
      zoom(e->key() == Qt::Key_Plus ? 0.8 : 1.25, timeAt(area.center()));
      return;
    }
    QChartView::keyPressEvent(e);
  }

 private:
  std::optional<QPointF> dragFrom_;
};

}  // namespace

FrmTrend::FrmTrend(AppCore& core, QWidget* parent)
    : QWidget(parent, kOwnedWindow), core_(core), live_(std::make_unique<TraceSet>(core.state.memory, core.clock)) {
  build();
  setWindowTitle(QCoreApplication::translate("FrmTrend", kTitle));
}

FrmTrend::FrmTrend(AppCore& core, std::vector<Trace> recording, const std::string& file, QWidget* parent)
    : QWidget(parent, kOwnedWindow), core_(core), recorded_(std::move(recording)) {
  for (const Trace& t : recorded_)
    if (!t.points.empty()) recordedEnd_ = std::max(recordedEnd_, t.points.back().first);
  build();
  setWindowTitle(QCoreApplication::translate("FrmTrend", kTitle) + QStringLiteral(" - ") + q(file));
  // A recording does not grow: no devices to add, nothing to pause.
  for (QWidget* w : std::initializer_list<QWidget*>{txtTrendDevice_, cmdTrendAdd_, cmdTrendAddList_, cmdTrendRemove_,
                                                    chkTrendPause_})
    w->setEnabled(false);
  cboTrendSpan_->setCurrentIndex(static_cast<int>(std::size(kSpans)) - 1);
  rebuildSeries();
}

FrmTrend::~FrmTrend() = default;

void FrmTrend::build() {
  setObjectName("frmTrend");
  chart_ = new QChart;
  chart_->setObjectName("chtTrendChart");
  chart_->legend()->setAlignment(Qt::AlignBottom);
  axisX_ = new QValueAxis(chart_);
  axisX_->setTitleText(QCoreApplication::translate("FrmTrend", "時刻（秒）"));
  axisY_ = new QValueAxis(chart_);
  axisY_->setLabelFormat("%.0f");
  axisLanes_ = new QCategoryAxis(chart_);
  axisLanes_->setTitleText(QCoreApplication::translate("FrmTrend", "ビット"));
  axisLanes_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  axisLanes_->setVisible(false);
  chart_->addAxis(axisX_, Qt::AlignBottom);
  chart_->addAxis(axisY_, Qt::AlignLeft);
  chart_->addAxis(axisLanes_, Qt::AlignRight);
  auto* view = new TrendChartView(chart_, this);
  chtTrend_ = view;
  chtTrend_->setObjectName("chtTrend");
  chtTrend_->setToolTip(
      QCoreApplication::translate("FrmTrend", "ドラッグ: 範囲を拡大　ホイール・＋－: 時間軸の拡大縮小\n中ボタンドラッグ・←→: 移動　右クリック: 縮小"));
  view->zoom = [this](double f, double t) { zoomTime(f, t); };
  view->pan = [this](double s) { panTime(s); };
  view->pointAt = [this](std::optional<double> t) {
    cursor_ = t;
    lblTrendCursor_->setText(t ? readOut(*t) : QString());
  };
  // The chart view's own zoom (rectangle, right click) moves the axes.
  connect(axisX_, &QValueAxis::rangeChanged, this, [this] { userMovedAxes(); });
  connect(axisY_, &QValueAxis::rangeChanged, this, [this] { userMovedAxes(); });

  txtTrendDevice_ = new QLineEdit(this);
  txtTrendDevice_->setObjectName("txtTrendDevice");
  txtTrendDevice_->setPlaceholderText(QCoreApplication::translate("FrmTrend", "例: D100 X0 Y10"));
  cmdTrendAdd_ = new QPushButton(QCoreApplication::translate("FrmTrend", "追加"), this);
  cmdTrendAdd_->setObjectName("cmdTrendAdd");
  cmdTrendAddList_ = new QPushButton(QCoreApplication::translate("FrmTrend", "登録リストから追加"), this);
  cmdTrendAddList_->setObjectName("cmdTrendAddList");
  lstTrendSeries_ = new QListWidget(this);
  lstTrendSeries_->setObjectName("lstTrendSeries");
  lstTrendSeries_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  cmdTrendRemove_ = new QPushButton(QCoreApplication::translate("FrmTrend", "削除"), this);
  cmdTrendRemove_->setObjectName("cmdTrendRemove");
  chkTrendPause_ = new QCheckBox(QCoreApplication::translate("FrmTrend", "一時停止"), this);
  chkTrendPause_->setObjectName("chkTrendPause");
  cboTrendSpan_ = new QComboBox(this);
  cboTrendSpan_->setObjectName("cboTrendSpan");
  for (const char* c : kSpanCaptions) cboTrendSpan_->addItem(QCoreApplication::translate("FrmTrend", c));
  cboTrendSpan_->setCurrentIndex(2);
  cmdTrendFit_ = new QPushButton(QCoreApplication::translate("FrmTrend", "全体表示"), this);
  cmdTrendFit_->setObjectName("cmdTrendFit");
  cmdTrendCsv_ = new QPushButton(QCoreApplication::translate("FrmTrend", "CSV出力..."), this);
  cmdTrendCsv_->setObjectName("cmdTrendCsv");
  cmdTrendPng_ = new QPushButton(QCoreApplication::translate("FrmTrend", "画像保存..."), this);
  cmdTrendPng_->setObjectName("cmdTrendPng");
  cmdTrendOpen_ = new QPushButton(QCoreApplication::translate("FrmTrend", "記録を開く..."), this);
  cmdTrendOpen_->setObjectName("cmdTrendOpen");
  lblTrendCursor_ = new QLabel(this);
  lblTrendCursor_->setObjectName("lblTrendCursor");
  lblTrendCursor_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* sidePanel = new QWidget(this);
  sidePanel->setMaximumWidth(sidePanel->fontMetrics().horizontalAdvance(QCoreApplication::translate("FrmTrend", "登録リストから追加")) * 2);
  auto* side = new QGridLayout(sidePanel);
  side->setContentsMargins(0, 0, 0, 0);
  side->addWidget(txtTrendDevice_, 0, 0);
  side->addWidget(cmdTrendAdd_, 0, 1);
  side->addWidget(cmdTrendAddList_, 1, 0, 1, 2);
  side->addWidget(lstTrendSeries_, 2, 0, 1, 2);
  side->addWidget(cmdTrendRemove_, 3, 0, 1, 2);
  side->setRowStretch(2, 1);
  auto* top = new QHBoxLayout;
  top->addWidget(chtTrend_, 1);
  top->addWidget(sidePanel);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(chkTrendPause_);
  bottom->addWidget(new QLabel(QCoreApplication::translate("FrmTrend", "表示幅"), this));
  bottom->addWidget(cboTrendSpan_);
  bottom->addWidget(cmdTrendFit_);
  bottom->addStretch(1);
  bottom->addWidget(cmdTrendOpen_);
  bottom->addWidget(cmdTrendCsv_);
  bottom->addWidget(cmdTrendPng_);
  auto* v = new QVBoxLayout(this);
  v->addLayout(top, 1);
  v->addWidget(lblTrendCursor_);
  v->addLayout(bottom);
  resize(900, 520);

  connect(cmdTrendAdd_, &QPushButton::clicked, this, &FrmTrend::cmdTrendAdd_Click);
  connect(txtTrendDevice_, &QLineEdit::returnPressed, this, &FrmTrend::cmdTrendAdd_Click);
  connect(cmdTrendAddList_, &QPushButton::clicked, this, &FrmTrend::cmdTrendAddList_Click);
  connect(cmdTrendRemove_, &QPushButton::clicked, this, &FrmTrend::cmdTrendRemove_Click);
  connect(cmdTrendFit_, &QPushButton::clicked, this, &FrmTrend::cmdTrendFit_Click);
  connect(cmdTrendCsv_, &QPushButton::clicked, this, &FrmTrend::cmdTrendCsv_Click);
  connect(cmdTrendPng_, &QPushButton::clicked, this, &FrmTrend::cmdTrendPng_Click);
  connect(cmdTrendOpen_, &QPushButton::clicked, this, &FrmTrend::cmdTrendOpen_Click);
  connect(cboTrendSpan_, &QComboBox::activated, this, [this] { cmdTrendFit_Click(); });
  connect(chkTrendPause_, &QCheckBox::toggled, this, [this](bool on) {
    frozenEnd_ = on ? std::optional<double>(end()) : std::nullopt;
    redraw();
  });
  timer_.setInterval(200);
  // A closed window keeps sampling (its history is there when it is shown
  // again) but draws nothing.
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (isVisible()) redraw();
  });
  timer_.start();
}

const std::vector<Trace>& FrmTrend::traces() const { return live_ ? live_->traces() : recorded_; }

double FrmTrend::end() const {
  if (frozenEnd_) return *frozenEnd_;
  return live_ ? live_->now() : recordedEnd_;
}

std::pair<double, double> FrmTrend::visibleRange() const { return {axisX_->min(), axisX_->max()}; }

void FrmTrend::message(const std::string& text) {
  core_.presenter.message(text, omb::trs("FrmTrend", kTitle), MsgIcon::Exclamation, MsgButtons::Ok);
}

void FrmTrend::rebuildSeries() {
  const auto& all = traces();
  while (series_.size() > all.size()) {
    chart_->removeSeries(series_.back());
    delete series_.back();
    series_.pop_back();
  }
  settingRanges_ = true;
  // Words on the value axis, bits each in a lane of their own.
  for (const QString& label : axisLanes_->categoriesLabels()) axisLanes_->remove(label);
  axisLanes_->setStartValue(-kLaneMargin);
  lanes_.assign(all.size(), -1);
  int bits = 0;
  bool words = false;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (i == series_.size()) {
      auto* s = new QLineSeries;
      chart_->addSeries(s);
      s->attachAxis(axisX_);
      series_.push_back(s);
    }
    QLineSeries* s = series_[i];
    s->setName(q(all[i].device));
    const bool bit = all[i].span.kind >= 0 && !isWordKind(all[i].span.kind);
    QAbstractAxis* wanted = bit ? static_cast<QAbstractAxis*>(axisLanes_) : axisY_;
    QAbstractAxis* other = bit ? static_cast<QAbstractAxis*>(axisY_) : axisLanes_;
    if (s->attachedAxes().contains(other)) s->detachAxis(other);
    if (!s->attachedAxes().contains(wanted)) s->attachAxis(wanted);
    if (bit) {
      lanes_[i] = bits;
      axisLanes_->append(q(all[i].device), bits * kLaneHeight + 1 + kLaneMargin);
      ++bits;
    } else {
      words = true;
    }
  }
  axisLanes_->setRange(-kLaneMargin, std::max(1, bits) * kLaneHeight - kLaneMargin);
  axisLanes_->setVisible(bits > 0);
  axisY_->setVisible(words || bits == 0);
  settingRanges_ = false;
  lstTrendSeries_->clear();
  for (const Trace& t : all) lstTrendSeries_->addItem(q(t.device));
  redraw();
}

void FrmTrend::userMovedAxes() {
  if (settingRanges_) return;
  follow_ = false;
  redraw();
}

void FrmTrend::redraw() {
  const auto& all = traces();
  const double last = end();
  double t0 = axisX_->min(), t1 = axisX_->max(), y0 = axisY_->min(), y1 = axisY_->max();
  if (follow_) {
    const double span = kSpans[std::clamp(cboTrendSpan_->currentIndex(), 0, static_cast<int>(std::size(kSpans)) - 1)];
    double first = last;
    for (const Trace& t : all)
      if (!t.points.empty()) first = std::min(first, t.points.front().first);
    t1 = std::max(last, first + 1);
    t0 = span > 0 ? std::max(first, t1 - span) : first;
  }
  // Series given new points may move the axes themselves: that is not the
  // user, and the ranges are set again below.
  settingRanges_ = true;
  const auto buckets = static_cast<std::size_t>(std::max(100.0, chart_->plotArea().width()));
  std::optional<std::pair<double, double>> values;  // of the words
  bool anyPoint = false;
  for (std::size_t i = 0; i < all.size() && i < series_.size(); ++i) {
    const auto points = tracePlot(all[i], t0, t1, last, buckets);
    const int lane = i < lanes_.size() ? lanes_[i] : -1;
    QList<QPointF> list;
    list.reserve(static_cast<qsizetype>(points.size()));
    for (const auto& [x, y] : points) {
      anyPoint = true;
      if (lane >= 0) {
        list.append(QPointF(x, lane * kLaneHeight + (y != 0 ? 1 : 0)));
        continue;
      }
      list.append(QPointF(x, y));
      values = values ? std::pair{std::min(values->first, y), std::max(values->second, y)} : std::pair{y, y};
    }
    series_[i]->replace(list);
  }
  // A chart with nothing to show yet spans whole seconds from 0.
  if (follow_ && !anyPoint) {
    const double span = kSpans[std::clamp(cboTrendSpan_->currentIndex(), 0, static_cast<int>(std::size(kSpans)) - 1)];
    t0 = 0;
    t1 = span > 0 ? span : 10;
  }
  if (follow_) {
    // Values are whole numbers: so are the grid lines and their labels.
    double step = 2;
    y0 = 0;
    y1 = 10;
    if (values) {
      const auto [lo, hi] = *values;
      const double margin = std::max(hi - lo, 1.0) * 0.05;
      step = std::max(1.0, niceStep(hi - lo + 2 * margin, 6));
      y0 = std::floor((lo - margin) / step) * step;
      y1 = std::ceil((std::max(hi, lo + 1) + margin) / step) * step;
    }
    setTicks(axisY_, step);
  }
  axisX_->setRange(t0, t1);
  axisY_->setRange(y0, y1);
  setTicks(axisX_, niceStep(t1 - t0, 8));
  settingRanges_ = false;
  if (cursor_) lblTrendCursor_->setText(readOut(*cursor_));
}

QString FrmTrend::readOut(double t) const {
  QString text = QCoreApplication::translate("FrmTrend", "時刻 %1 秒").arg(t, 0, 'f', 3);
  for (const Trace& tr : traces()) {
    const auto v = traceValueAt(tr, t);
    text += QCoreApplication::translate("FrmTrend", "　%1 = %2").arg(q(tr.device), v ? QString::number(*v, 'g', 10) : QStringLiteral("-"));
  }
  return text;
}

void FrmTrend::zoomTime(double factor, double t) {
  const double t0 = axisX_->min(), t1 = axisX_->max();
  if (!(factor > 0) || t1 <= t0) return;
  const double n0 = t - (t - t0) * factor, n1 = t + (t1 - t) * factor;
  if (n1 - n0 < 1e-3) return;  // a millisecond is as close as times are written
  follow_ = false;
  settingRanges_ = true;
  axisX_->setRange(n0, n1);
  settingRanges_ = false;
  redraw();
}

void FrmTrend::panTime(double seconds) {
  follow_ = false;
  settingRanges_ = true;
  axisX_->setRange(axisX_->min() + seconds, axisX_->max() + seconds);
  settingRanges_ = false;
  redraw();
}

void FrmTrend::cmdTrendFit_Click() {
  follow_ = true;
  redraw();
}

void FrmTrend::cmdTrendAdd_Click() {
  if (!live_) return;
  QString text = txtTrendDevice_->text();
  text.replace(QLatin1Char(','), QLatin1Char(' '));
  QStringList refused;
  for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const std::string device = word.toUpper().toStdString();
    const auto span = parseDeviceSpan(device);
    if (!span || span->count() != 1) {
      refused << word;
      continue;
    }
    // Already drawn is not a mistake.
    const std::string name = deviceName(span->kind, span->first);
    const auto& all = live_->traces();
    if (std::none_of(all.begin(), all.end(), [&](const Trace& t) { return t.device == name; }) &&
        !live_->add(device))
      refused << word;
  }
  if (!refused.isEmpty())
    message(omb::trs("FrmTrend", "グラフに追加できないデバイスです: ") + refused.join(QStringLiteral(" ")).toStdString() +
            omb::trs("FrmTrend", "\r\n（D100、X1F のように１点ずつ入力してください）"));
  else
    txtTrendDevice_->clear();
  rebuildSeries();
}

void FrmTrend::cmdTrendAddList_Click() {
  if (!live_) return;
  int skipped = 0;
  for (const UserList* list : {&core_.state.userWordList, &core_.state.userBitList})
    for (const UserListEntry& e : *list) {
      if (e.addressText.empty()) continue;
      const auto span = parseDeviceSpan(e.addressText);
      if (!span) {
        ++skipped;  // a bit of a word (D000100-F) is not a device of its own
        continue;
      }
      live_->add(e.addressText);
    }
  if (live_->traces().empty() && skipped == 0) message(omb::trs("FrmTrend", "登録リストにデバイスがありません"));
  else if (skipped > 0)
    message(omb::trs("FrmTrend", "ワードデバイスのビット（D000100-F など）") + std::to_string(skipped) + omb::trs("FrmTrend", " 点は追加できません"));
  rebuildSeries();
}

void FrmTrend::cmdTrendRemove_Click() {
  if (!live_) return;
  std::vector<int> rows;
  for (const QListWidgetItem* item : lstTrendSeries_->selectedItems()) rows.push_back(lstTrendSeries_->row(item));
  std::sort(rows.rbegin(), rows.rend());
  for (int r : rows) live_->remove(static_cast<std::size_t>(r));
  rebuildSeries();
}

void FrmTrend::cmdTrendCsv_Click() {
  const auto path = core_.presenter.saveFileName(omb::trs("FrmTrend", "表示範囲をCSVに出力"), {"CSV(*.csv)", "All(*.*)"}, "csv",
                                                 core_.settings.folders.Projects + "/Trend.csv");
  if (!path) return;
  const auto [t0, t1] = visibleRange();
  if (const auto failed = writeFileAtomically(*path, tracesCsv(traces(), t0, t1)))
    message(*path + omb::trs("FrmTrend", " に保存できません: ") + failed->reason);
}

void FrmTrend::cmdTrendPng_Click() {
  const auto path = core_.presenter.saveFileName(omb::trs("FrmTrend", "グラフを画像で保存"), {"PNG(*.png)", "All(*.*)"}, "png",
                                                 core_.settings.folders.Projects + "/Trend.png");
  if (!path) return;
  if (!chtTrend_->grab().save(q(*path), "PNG")) message(*path + omb::trs("FrmTrend", " に保存できません"));
}

void FrmTrend::cmdTrendOpen_Click() { openRecording(core_, parentWidget()); }

FrmTrend* FrmTrend::openRecording(AppCore& core, QWidget* parent) {
  auto tell = [&core](const std::string& text) {
    core.presenter.message(text, omb::trs("FrmTrend", kTitle), MsgIcon::Exclamation, MsgButtons::Ok);
  };
  const auto file = chooseAndRead(core.presenter, omb::trs("FrmTrend", "記録ファイルを開く"), {"CSV(*.csv)", "All(*.*)"}, "csv", omb::trs("FrmTrend", kTitle));
  if (!file) return nullptr;
  const std::string& path = file->path;
  std::size_t skipped = 0;
  std::vector<Trace> recording = readRecording(file->text, skipped);
  if (recording.empty()) {
    tell(path + omb::trs("FrmTrend", "\r\n記録ファイル（time_ms,device,value）として読める行がありません"));
    return nullptr;
  }
  if (skipped > 0) tell(path + omb::trs("FrmTrend", "\r\n読めない行が ") + std::to_string(skipped) + omb::trs("FrmTrend", " 行ありました（読み飛ばしました）"));
  auto* window = new FrmTrend(core, std::move(recording), path, parent);
  window->setAttribute(Qt::WA_DeleteOnClose);
  showToolWindow(window, parent ? parent->window() : nullptr);
  return window;
}

}  // namespace omb
