#include "pattern_file_list.h"

#include <QDir>

namespace kestrix {

PatternFileList::PatternFileList(const QString& pattern, QWidget* parent)
    : QListWidget(parent), patterns_(pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
  setObjectName(QStringLiteral("File1"));
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void PatternFileList::SetFolder(const QString& folder) {
  folder_ = folder;
  clearSelection();
  setCurrentItem(nullptr);
  Refresh();
}

void PatternFileList::Refresh() {
  const QString selected = SelectedName();
  clear();
  const QDir dir(folder_);
  addItems(dir.entryList(patterns_, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase));
  const QList<QListWidgetItem*> same = findItems(selected, Qt::MatchExactly);
  if (!selected.isEmpty() && !same.isEmpty()) setCurrentItem(same.first());
}

QString PatternFileList::SelectedName() const {
  const QListWidgetItem* item = currentItem();
  return item != nullptr && item->isSelected() ? item->text() : QString();
}

}  // namespace kestrix
