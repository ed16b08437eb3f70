#include "core/view_records.h"

namespace omb {

void subInit_Font(CellStyleRecord& record) {
  for (ColumnStyle& c : record.columns) c = ColumnStyle{};
}

int MultiViews::subAdd_MultiView(int kind, int openWithName) {
  if (kind < 1 || kind > kMultiKinds) return 0;
  auto& records = G_MultiView[static_cast<std::size_t>(kind)].records;
  const int a = openWithName;
  const int b = static_cast<int>(records.size()) - 1;
  if (b < a || a == 0) records.resize(static_cast<std::size_t>(a) + 1);
  int c = 1;
  for (std::size_t i = 0; i < records.size(); ++i)
    if (records[i].number == 0) {
      c = static_cast<int>(i) + 1;
      break;
    }
  records[static_cast<std::size_t>(c - 1)].number = c;
  G_MultiLast[static_cast<std::size_t>(kind)] = static_cast<std::int16_t>(b);
  G_MultiNo[static_cast<std::size_t>(kind)] = static_cast<std::int16_t>(c);
  return c;
}

void MultiViews::resetRecords() {
  for (std::size_t k = 0; k < G_MultiView.size(); ++k) {
    G_MultiView[k].records.assign(1, MultiWindowRecord{});
    G_MultiLast[k] = 0;
  }
}

void MultiViews::clearAll() {
  for (auto& kind : G_MultiView) {
    kind.open = false;
    kind.records.assign(1, MultiWindowRecord{});
  }
}

}  // namespace omb
