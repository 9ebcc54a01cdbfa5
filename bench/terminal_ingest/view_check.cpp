#include "bench/terminal_ingest/view_check.h"

#include <QAbstractItemView>

#include "platform/qt/windows1252.h"

std::vector<std::string> CheckListView(QWidget* listWidget, const std::vector<std::string>& lines) {
  std::vector<std::string> faults;
  auto* view = qobject_cast<QAbstractItemView*>(listWidget);
  if (view == nullptr || view->model() == nullptr) return {"the debug list has no item view"};
  const QAbstractItemModel& model = *view->model();
  const int rows = model.rowCount();
  if (rows != static_cast<int>(lines.size())) {
    faults.push_back("the view shows " + std::to_string(rows) + " rows, the list holds " +
                     std::to_string(lines.size()));
  }
  for (int row = 0; row < rows && row < static_cast<int>(lines.size()); ++row) {
    const std::string shown =
        ToWindows1252(model.data(model.index(row, 0), Qt::DisplayRole).toString());
    if (shown != lines[static_cast<std::size_t>(row)]) {
      faults.push_back("row " + std::to_string(row) + " shows \"" + shown + "\"");
      break;
    }
  }
  if (rows > 0) {
    const QRect newest = view->visualRect(model.index(rows - 1, 0));
    const QRect visible = view->viewport()->rect();
    if (newest.isEmpty() || newest.top() < visible.top() || newest.bottom() > visible.bottom()) {
      faults.push_back("the newest row is not in view");
    }
  }
  if (!view->isVisible()) faults.push_back("the debug list is not shown");
  return faults;
}
