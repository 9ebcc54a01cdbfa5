#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <deque>
#include <string>
#include <string_view>

// The lines of a list box. The content changes at once and exactly; the view sees a published
// copy that Publish brings up to date, so that many changes between two refreshes of the view
// cost one refresh. Appends at the end and deletes at the front (a log that keeps its newest
// lines) are published as rows removed and inserted, or, when as many lines left as came and
// no row needs to keep its line, as new data in the same rows: the view then neither lays out
// nor touches its scroll bars. Anything else is published as a reset.
class ListBoxModel : public QAbstractListModel {
 public:
  int Count() const { return static_cast<int>(Lines.size()); }
  // Yields the index of the new line.
  int Add(std::string_view line);
  bool Delete(int index);
  // The line's bytes; empty for an index that has none.
  std::string Line(int index) const;

  // rowsFollowLines: a row (a selection) must stay with its line, so lines that moved are
  // published as rows removed and inserted, never as new text in the same rows.
  void Publish(bool rowsFollowLines);

  int rowCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::deque<QByteArray> Lines;
  std::deque<QByteArray> Shown;
  // Since the last Publish: lines deleted from the front of Shown, or a change of any other
  // kind, which needs a reset.
  qsizetype RemovedFromShown = 0;
  bool NeedsReset = false;
  bool Unpublished = false;
};
