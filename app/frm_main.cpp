#include "app/frm_main.h"

#include <QHeaderView>
#include <QTableWidget>

namespace omb {

FrmMain::FrmMain(SystemState& state, QWidget* parent) : QMainWindow(parent), state_(state) {
  setObjectName("frmMain");
  setWindowTitle(QStringLiteral("Ombrisal"));
  // A summary of the device memory, one row per kind.
  auto* grid = new QTableWidget(kKindCount, 4, this);
  grid->setObjectName("fgrdDevices");
  grid->setHorizontalHeaderLabels({QStringLiteral("デバイス"), QStringLiteral("先頭"),
                                   QStringLiteral("最終"), QStringLiteral("ワード数")});
  for (int k = 0; k < kKindCount; ++k) {
    const DevRange& r = state_.range7[static_cast<std::size_t>(k)];
    grid->setItem(k, 0, new QTableWidgetItem(QString::fromUtf8(kindInfo(k).caption)));
    grid->setItem(k, 1, new QTableWidgetItem(QString::fromStdString(r.firstText)));
    grid->setItem(k, 2, new QTableWidgetItem(QString::fromStdString(r.lastText)));
    grid->setItem(k, 3, new QTableWidgetItem(QString::number(state_.memory.words(k).size())));
  }
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  setCentralWidget(grid);
  resize(560, 600);
}

}  // namespace omb
