#include "platform/qt/list_box_model.h"

#include "platform/qt/windows1252.h"

int ListBoxModel::Add(std::string_view line) {
  Lines.emplace_back(line.data(), static_cast<qsizetype>(line.size()));
  Unpublished = true;
  return Count() - 1;
}

bool ListBoxModel::Delete(int index) {
  if (index < 0 || index >= Count()) return false;
  // Lines still shown are those at the front of Lines, Shown.size() - RemovedFromShown many.
  const auto stillShown = static_cast<qsizetype>(Shown.size()) - RemovedFromShown;
  if (!NeedsReset && index < stillShown) {
    if (index == 0)
      ++RemovedFromShown;
    else
      NeedsReset = true;
  }
  Lines.erase(Lines.begin() + index);
  Unpublished = true;
  return true;
}

std::string ListBoxModel::Line(int index) const {
  if (index < 0 || index >= Count()) return {};
  const QByteArray& line = Lines[static_cast<std::size_t>(index)];
  return std::string(line.constData(), static_cast<std::size_t>(line.size()));
}

void ListBoxModel::Publish(bool rowsFollowLines) {
  if (!Unpublished) return;
  const auto shownCount = static_cast<qsizetype>(Shown.size());
  const auto appended = static_cast<qsizetype>(Lines.size()) - (shownCount - RemovedFromShown);
  // Also when every shown line has left: a full log that takes more lines between two
  // refreshes than it holds must not cost the view a reset, a layout and a repaint each time.
  if (!NeedsReset && !rowsFollowLines && RemovedFromShown > 0 && appended == RemovedFromShown) {
    Shown.assign(Lines.begin(), Lines.end());
    emit dataChanged(index(0), index(Count() - 1), {Qt::DisplayRole});
  } else if (NeedsReset || RemovedFromShown >= shownCount) {
    beginResetModel();
    Shown.assign(Lines.begin(), Lines.end());
    endResetModel();
  } else {
    if (RemovedFromShown > 0) {
      beginRemoveRows(QModelIndex(), 0, static_cast<int>(RemovedFromShown - 1));
      Shown.erase(Shown.begin(), Shown.begin() + RemovedFromShown);
      endRemoveRows();
    }
    const auto kept = Shown.size();
    if (Lines.size() > kept) {
      beginInsertRows(QModelIndex(), static_cast<int>(kept), Count() - 1);
      Shown.insert(Shown.end(), Lines.begin() + static_cast<std::ptrdiff_t>(kept), Lines.end());
      endInsertRows();
    }
  }
  RemovedFromShown = 0;
  NeedsReset = false;
  Unpublished = false;
}

int ListBoxModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Shown.size());
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount(QModelIndex()))
    return {};
  const QByteArray& line = Shown[static_cast<std::size_t>(index.row())];
  return FromWindows1252(std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
}
