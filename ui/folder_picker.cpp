#include "folder_picker.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QStorageInfo>

#include "pattern_file_list.h"

namespace kestrix {
namespace {

/// Role of a folder list entry that holds its full path.
constexpr int kPathRole = Qt::UserRole;

bool IsReadyFolder(const QString& path) {
  const QStorageInfo volume(path);
  return volume.isValid() && volume.isReady() && QFileInfo(path).isDir();
}

}  // namespace

FolderPicker::FolderPicker(const QString& filePattern, QWidget* parent)
    : QObject(parent),
      drive1_(new QComboBox(parent)),
      dir1_(new QListWidget(parent)),
      file1_(new PatternFileList(filePattern, parent)) {
  drive1_->setObjectName(QStringLiteral("Drive1"));
  dir1_->setObjectName(QStringLiteral("Dir1"));
  FillDriveList();
  connect(drive1_, &QComboBox::activated, this,
          [this](int index) { ChooseDrive(drive1_->itemData(index).toString()); });
  connect(dir1_, &QListWidget::itemActivated, this, &FolderPicker::OnFolderActivated);
  ChooseFolder(QDir::currentPath());
}

void FolderPicker::FillDriveList() {
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && !roots.contains(volume.rootPath())) roots << volume.rootPath();
  }
  roots.sort();
  for (const QString& root : roots) drive1_->addItem(QDir::toNativeSeparators(root), root);
}

void FolderPicker::ChooseDrive(const QString& root) {
  if (IsReadyFolder(root)) {
    ChooseFolder(root);
  } else {
    ShowDriveOf(folder_);
  }
}

void FolderPicker::ChooseFolder(const QString& folder) {
  if (!QFileInfo(folder).isDir()) return;
  folder_ = QDir(folder).absolutePath();
  ShowDriveOf(folder_);
  FillFolderList();
  SyncFileList();
}

void FolderPicker::SyncFileList() { file1_->SetFolder(folder_); }

void FolderPicker::ShowDriveOf(const QString& folder) {
  const QString root = QStorageInfo(folder).rootPath();
  int index = drive1_->findData(root);
  if (index < 0) {
    drive1_->addItem(QDir::toNativeSeparators(root), root);
    index = drive1_->count() - 1;
  }
  drive1_->setCurrentIndex(index);
}

void FolderPicker::FillFolderList() {
  dir1_->clear();
  // The open folder's ancestors from the root down, then its subfolders one step further in.
  QStringList chain;
  for (QDir dir(folder_);; ) {
    chain.prepend(dir.absolutePath());
    if (!dir.cdUp()) break;
  }
  const auto addEntry = [this](const QString& path, int depth) {
    const QString name = QDir(path).isRoot() ? QDir::toNativeSeparators(path) : QFileInfo(path).fileName();
    auto* item = new QListWidgetItem(QString(2 * depth, QLatin1Char(' ')) + name, dir1_);
    item->setData(kPathRole, path);
    return item;
  };
  for (int depth = 0; depth < chain.size(); ++depth) {
    QListWidgetItem* item = addEntry(chain[depth], depth);
    if (depth == chain.size() - 1) dir1_->setCurrentItem(item);
  }
  const QDir open(folder_);
  for (const QString& sub : open.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
    addEntry(open.absoluteFilePath(sub), static_cast<int>(chain.size()));
  }
}

void FolderPicker::OnFolderActivated(QListWidgetItem* item) {
  // The list is rebuilt after the view has finished with the activated entry.
  const QString path = item->data(kPathRole).toString();
  QMetaObject::invokeMethod(this, [this, path] {
        if (path != folder_) ChooseFolder(path);
      }, Qt::QueuedConnection);
}

}  // namespace kestrix
