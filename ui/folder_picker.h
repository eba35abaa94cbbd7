#pragma once
// The drive, folder and file lists of an export dialog (Drive1, Dir1, File1), kept in step:
// choosing a drive opens its root in the folder list, opening a folder lists its files.
// On this platform the drives are the roots of the mounted volumes.

#include <QObject>
#include <QString>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QWidget;

namespace kestrix {

class PatternFileList;

class FolderPicker : public QObject {
  Q_OBJECT
 public:
  /// Creates the three lists as children of parent, opened at the working directory;
  /// the file list shows the names matching filePattern (e.g. "*.csv;*.dat").
  FolderPicker(const QString& filePattern, QWidget* parent);

  QComboBox* DriveList() const { return drive1_; }
  QListWidget* FolderList() const { return dir1_; }
  PatternFileList* FileList() const { return file1_; }

  /// the folder open in the folder list
  QString Folder() const { return folder_; }
  /// Opens root in the folder list; a volume that is not ready is ignored and the folder stays.
  void ChooseDrive(const QString& root);
  /// Opens folder in the folder list and lists its files; a path that is no folder is ignored.
  void ChooseFolder(const QString& folder);
  /// Points the file list at the folder list's folder and reads it again.
  void SyncFileList();

 private:
  void FillDriveList();
  void FillFolderList();
  void ShowDriveOf(const QString& folder);
  void OnFolderActivated(QListWidgetItem* item);

  QComboBox* drive1_;
  QListWidget* dir1_;
  PatternFileList* file1_;
  QString folder_;
};

}  // namespace kestrix
