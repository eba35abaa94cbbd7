#pragma once
// File1: the list of the files of one folder whose names match a pattern such as "*.ele;*.mix".

#include <QListWidget>
#include <QString>
#include <QStringList>

namespace kestrix {

class PatternFileList : public QListWidget {
  Q_OBJECT
 public:
  /// pattern: one or more name patterns separated by ";", matched without regard to case
  PatternFileList(const QString& pattern, QWidget* parent);

  /// the folder whose files are listed
  QString Folder() const { return folder_; }
  /// Lists the files of folder (the selection is dropped).
  void SetFolder(const QString& folder);
  /// Reads the folder again, keeping the selected name when the file still exists.
  void Refresh();
  /// the selected file name without its folder; empty when none is selected
  QString SelectedName() const;

 private:
  QStringList patterns_;
  QString folder_;
};

}  // namespace kestrix
