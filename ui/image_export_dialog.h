#pragma once
// Form7 "Image Save": saves the spectrum graph's persistent bitmap, as it stands, as a 24-bit
// Windows bitmap in a folder chosen in the drive, folder and file lists.

#include <functional>

#include <QImage>
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace kestrix {

class FolderPicker;

class ImageExportDialog : public QWidget {
  Q_OBJECT
 public:
  /// graphImage gives the graph's persistent drawing at the moment of saving.
  ImageExportDialog(std::function<QImage()> graphImage, QWidget* parent);

  /// The "Image Save" opening: file list at the folder list's folder, empty name; shows the dialog.
  void PrepareAndShow();

  FolderPicker& Folders() const { return *folders_; }

 private:
  void FileClicked();
  void Save();

  std::function<QImage()> graphImage_;
  FolderPicker* folders_;
  QLineEdit* text1_;
};

}  // namespace kestrix
