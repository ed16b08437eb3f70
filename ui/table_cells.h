// Text tables the tool windows redraw from their models now and then: a
// cell's item is made once, and its text set only when it differs, so a
// redraw that changes nothing repaints nothing and keeps the selection.
#pragma once

#include <QTableWidget>

namespace omb {

inline void setCellText(QTableWidget& table, int row, int column, const QString& text) {
  QTableWidgetItem* item = table.item(row, column);
  if (!item) table.setItem(row, column, item = new QTableWidgetItem);
  if (item->text() != text) item->setText(text);
}

}  // namespace omb
