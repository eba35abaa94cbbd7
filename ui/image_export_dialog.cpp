#include "image_export_dialog.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "atomic_file.h"
#include "dialog_controls.h"
#include "failure_texts.h"
#include "folder_picker.h"
#include "pattern_file_list.h"
#include "ui_fonts.h"
#include "ui_language.h"
#include "user_messages.h"
#include "window_placement.h"

namespace kestrix {
namespace {

/// The image as a Windows bitmap with 24 bits per pixel (three 8-bit channels, no alpha).
QByteArray BitmapBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "BMP");
  if (!writer.write(image.convertToFormat(QImage::Format_RGB888))) {
    throw std::runtime_error("the bitmap cannot be encoded: " + writer.errorString().toStdString());
  }
  return bytes;
}

/// The file name a picture called `name` is saved under: name + ".bmp", or the existing picture
/// of that name whose extension differs only in case, which the file list shows and offers for
/// replacing.
QString PictureFileName(const QDir& folder, const QString& name) {
  const QString exact = name + QStringLiteral(".bmp");
  if (folder.exists(exact)) return exact;
  for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden)) {
    if (entry.size() == exact.size() && entry.startsWith(name) &&
        entry.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive)) {
      return entry;
    }
  }
  return exact;
}

}  // namespace

ImageExportDialog::ImageExportDialog(std::function<QImage()> graphImage, QWidget* parent)
    : QWidget(parent, Qt::Dialog), graphImage_(std::move(graphImage)) {
  setObjectName(QStringLiteral("Form7"));
  setWindowTitle(QStringLiteral("Image Save"));

  // Created in the order of the keyboard's tab sequence.
  QPushButton* command2 = DialogCommand(QStringLiteral("Command2"), QStringLiteral("Cancel"), this);
  QPushButton* command1 = DialogCommand(QStringLiteral("Command1"), QStringLiteral("OK"), this);
  text1_ = new QLineEdit(this);
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->setFont(TimesFont(12));
  folders_ = new FolderPicker(QStringLiteral("*.bmp"), this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(DialogCaption(QStringLiteral("Label1"), Tr("表示されたスペクトルの画像を"), this), 0, 0);
  grid->addWidget(DialogCaption(QStringLiteral("Label2"), Tr("ファイル名（拡張子なしで入力）"), this), 1, 0);
  grid->addWidget(text1_, 2, 0);
  grid->addWidget(DialogCaption(QStringLiteral("Label3"), Tr("ビットマップ形式で保存します"), this), 3, 0);
  grid->addWidget(folders_->FileList(), 4, 0);
  grid->addWidget(folders_->DriveList(), 0, 1);
  grid->addWidget(folders_->FolderList(), 1, 1, 4, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(command1);
  buttons->addWidget(command2);
  grid->addLayout(buttons, 5, 0, 1, 2);

  connect(folders_->FileList(), &QListWidget::itemClicked, this, &ImageExportDialog::FileClicked);
  connect(command1, &QPushButton::clicked, this, &ImageExportDialog::Save);
  connect(text1_, &QLineEdit::returnPressed, this, &ImageExportDialog::Save);
  connect(command2, &QPushButton::clicked, this, &QWidget::hide);
  HideOnEscape(this);
}

void ImageExportDialog::PrepareAndShow() {
  folders_->SyncFileList();
  text1_->clear();
  CentreOverWindow(this, parentWidget());
  show();
  raise();
  activateWindow();
  text1_->setFocus();
}

void ImageExportDialog::FileClicked() {
  // The name without its extension ".bmp", so that the picture is replaced when saved.
  const QString name = folders_->FileList()->SelectedName();
  if (!name.isEmpty()) text1_->setText(name.left(name.size() - 4));
}

void ImageExportDialog::Save() {
  const QString name = text1_->text();
  if (name.isEmpty()) {
    ShowExclamation(this, Tr("ファイル名を入力して下さい"));
    return;
  }
  if (name.contains(QLatin1Char('/')) || name.contains(QChar(0))) {
    ShowExclamation(this, Tr("ファイル名に使えない文字が含まれています。"));
    return;
  }
  const QDir folder(folders_->FileList()->Folder());
  const QString path = folder.filePath(PictureFileName(folder, name));
  if (QFileInfo::exists(path) && !AskToReplaceFile(this, QDir::toNativeSeparators(path))) return;
  try {
    const QByteArray bytes = BitmapBytes(graphImage_());
    SaveFileAtomically(path.toStdString(),
                       [&bytes](std::ostream& out) { out.write(bytes.constData(), bytes.size()); });
  } catch (const std::exception& e) {
    ShowExclamation(this, (Tr("画像を保存できませんでした。") + QStringLiteral("\n")) + SaveFailureText(e),
                    QDir::toNativeSeparators(path));
    return;
  }
  ShowConfirmation(this, Tr("グラフをBMP画像として保存しました。"));
  hide();
}

}  // namespace kestrix
