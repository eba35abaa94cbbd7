#include "data_export_dialog.h"

#include <sstream>

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "atomic_file.h"
#include "decimal_text.h"
#include "exchange_files.h"
#include "failure_texts.h"
#include "file_system.h"
#include "dialog_controls.h"
#include "folder_picker.h"
#include "pattern_file_list.h"
#include "ui_fonts.h"
#include "ui_language.h"
#include "user_messages.h"
#include "window_placement.h"

namespace kestrix {
namespace {

QGroupBox* Frame(const QString& name, const QString& title, QWidget* parent) {
  auto* frame = new QGroupBox(title, parent);
  frame->setObjectName(name);
  frame->setFont(RoundedGothicFont(10.5));
  new QVBoxLayout(frame);
  return frame;
}

QRadioButton* Option(const QString& name, const QString& text, QGroupBox* frame) {
  auto* option = new QRadioButton(text, frame);
  option->setObjectName(name);
  frame->layout()->addWidget(option);
  return option;
}

/// The user's decimal separator when it is a single ASCII character, "." otherwise.
char LocaleDecimalSeparator() {
  const QString point = QLocale::system().decimalPoint();
  return point.size() == 1 && point.at(0).unicode() < 128 ? static_cast<char>(point.at(0).unicode()) : '.';
}

/// A name that would put the file into another folder, or that no file system accepts.
bool IsInvalidFileName(const QString& name) {
  return name.contains(QLatin1Char('/')) || name.contains(QChar(0));
}

/// Moves the focus to `target` when the watched picture is clicked.
class FocusOnClick : public QObject {
 public:
  FocusOnClick(QWidget* target, QObject* parent) : QObject(parent), target_(target) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) target_->setFocus();
    return false;
  }

 private:
  QWidget* target_;
};

}  // namespace

std::vector<std::string> TubeCommentLines(const RunSettings& settings) {
  const RunEntries& entries = settings.entries;
  std::vector<std::string> lines;
  if (TubeIsNamed(entries.target, entries)) lines.push_back("# tube: " + TubeDescription(entries.target, entries));
  if (IsOffAxis(entries)) lines.push_back("# point: " + OffAxisDescription(entries));
  return lines;
}

DataExportDialog::DataExportDialog(QWidget* parent) : QWidget(parent, Qt::Dialog) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(Tr("データ保存"));

  folders_ = new FolderPicker(QStringLiteral("*.csv;*.dat"), this);
  text1_ = new QLineEdit(this);
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->setFont(TimesFont(12));
  command1_ = DialogCommand(QStringLiteral("Command1"), QStringLiteral("OK"), this);
  QPushButton* command2 = DialogCommand(QStringLiteral("Command2"), QStringLiteral("Cancel"), this);

  QGroupBox* frame1 = Frame(QStringLiteral("Frame1"), Tr("データ区切り"), this);
  option_[1] = Option(QStringLiteral("Option1"), Tr("カンマ区切り (拡張子 csv)"), frame1);
  option_[2] = Option(QStringLiteral("Option2"), Tr("スペース区切り (拡張子 dat)"), frame1);
  QGroupBox* frame2 = Frame(QStringLiteral("Frame2"), Tr("光子エネルギー単位"), this);
  option_[3] = Option(QStringLiteral("Option3"), QStringLiteral("keV"), frame2);
  option_[4] = Option(QStringLiteral("Option4"), QStringLiteral("MeV"), frame2);
  QGroupBox* frame3 = Frame(QStringLiteral("Frame3"), Tr("相対フルエンス (光子数) "), this);
  option_[5] = Option(QStringLiteral("Option5"), Tr("最大値を 1 として正規化"), frame3);
  option_[6] = Option(QStringLiteral("Option6"), Tr("全光子数を 1 として正規化"), frame3);
  QGroupBox* frame6 = Frame(QStringLiteral("Frame6"), Tr("数値表示形式"), this);
  auto* notations = new QHBoxLayout;
  qobject_cast<QBoxLayout*>(frame6->layout())->addLayout(notations);
  QGroupBox* frame4 = Frame(QStringLiteral("Frame4"), Tr("光子エネルギー"), frame6);
  option_[7] = Option(QStringLiteral("Option7"), Tr("実数表示"), frame4);
  option_[8] = Option(QStringLiteral("Option8"), Tr("指数表示"), frame4);
  QGroupBox* frame5 = Frame(QStringLiteral("Frame5"), Tr("相対フルエンス"), frame6);
  option_[9] = Option(QStringLiteral("Option9"), Tr("実数表示"), frame5);
  option_[10] = Option(QStringLiteral("Option10"), Tr("指数表示"), frame5);
  notations->addWidget(frame4);
  notations->addWidget(frame5);

  list1_ = new QListWidget(this);
  list1_->setObjectName(QStringLiteral("List1"));
  list1_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list1_->setMinimumWidth(260);
  QPushButton* command3 = DialogCommand(QStringLiteral("Command3"), Tr("表示"), this);
  QPushButton* command4 = DialogCommand(QStringLiteral("Command4"), QStringLiteral("Clear"), this);
  auto* picture1 = new QLabel(this);
  picture1->setObjectName(QStringLiteral("Picture1"));
  picture1->setPixmap(style()->standardIcon(QStyle::SP_DialogSaveButton).pixmap(32, 32));
  picture1->installEventFilter(new FocusOnClick(text1_, picture1));

  // Left: what is saved and how; middle: the preview; right: where it goes.
  auto* formats = new QVBoxLayout;
  formats->addWidget(DialogCaption(QStringLiteral("Label6"), Tr("ファイルに保存する内容"), this));
  formats->addWidget(DialogCaption(QStringLiteral("Label2"),
                             Tr("最後に計算した光子数スペクトルデータをファイルに保存します"), this));
  formats->addWidget(DialogCaption(QStringLiteral("Label4"), Tr("保存形式を選択して下さい"), this));
  for (QGroupBox* frame : {frame1, frame2, frame3, frame6}) formats->addWidget(frame);
  formats->addStretch();

  auto* preview = new QVBoxLayout;
  preview->addWidget(list1_, 1);
  auto* previewButtons = new QHBoxLayout;
  previewButtons->addWidget(command3);
  previewButtons->addWidget(command4);
  preview->addLayout(previewButtons);

  auto* target = new QVBoxLayout;
  target->addWidget(DialogCaption(QStringLiteral("Label5"), Tr("保存フォルダを指定して下さい"), this));
  target->addWidget(folders_->DriveList());
  target->addWidget(folders_->FolderList(), 1);
  target->addWidget(DialogCaption(QStringLiteral("Label3"), Tr("既存ファイル (.csv  and  .dat)"), this));
  target->addWidget(folders_->FileList(), 1);
  target->addWidget(DialogCaption(QStringLiteral("Label1"), Tr("保存ファイル名（拡張子なしで入力）"), this));
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(picture1);
  nameRow->addWidget(text1_, 1);
  target->addLayout(nameRow);
  auto* saveRow = new QHBoxLayout;
  saveRow->addWidget(DialogCaption(QStringLiteral("Label7"), Tr("保存"), this));
  saveRow->addStretch();
  saveRow->addWidget(command1_);
  saveRow->addWidget(command2);
  target->addLayout(saveRow);

  auto* columns = new QHBoxLayout(this);
  columns->addLayout(formats);
  columns->addLayout(preview, 1);
  columns->addLayout(target, 1);

  connect(command3, &QPushButton::clicked, this, &DataExportDialog::Preview);
  connect(command4, &QPushButton::clicked, this, &DataExportDialog::ClearPreview);
  connect(command1_, &QPushButton::clicked, this, &DataExportDialog::Save);
  connect(command2, &QPushButton::clicked, this, &QWidget::hide);
  HideOnEscape(this);
  connect(text1_, &QLineEdit::returnPressed, this, &DataExportDialog::NameEntered);
  // A shown preview always matches the options on screen, so OK never saves another format.
  for (int i = 1; i <= 10; ++i) {
    connect(option_[i], &QRadioButton::toggled, this, [this](bool checked) {
      if (checked && list1_->count() > 0) Preview();
    });
  }
}

void DataExportDialog::PrepareAndShow() {
  ClearPreview();
  folders_->SyncFileList();
  for (int i : {1, 3, 5, 7, 9}) option_[i]->setChecked(true);
  text1_->clear();
  CentreOverWindow(this, parentWidget());
  show();
  raise();
  activateWindow();
  text1_->setFocus();
}

SpectrumTableOptions DataExportDialog::ChosenOptions() const {
  SpectrumTableOptions options;
  options.separator = option_[2]->isChecked() ? TableSeparator::Space : TableSeparator::Comma;
  options.unit = option_[4]->isChecked() ? TableEnergyUnit::MeV : TableEnergyUnit::KeV;
  options.normalisation = option_[6]->isChecked() ? TableNormalisation::TotalOne : TableNormalisation::MaximumOne;
  options.energyNotation = option_[8]->isChecked() ? TableNotation::Exponential : TableNotation::Plain;
  options.valueNotation = option_[10]->isChecked() ? TableNotation::Exponential : TableNotation::Plain;
  return options;
}

bool DataExportDialog::Preview() {
  ClearPreview();
  // The table always starts again from the exchange file, so normalisations never compound.
  try {
    std::istringstream in(ReadFileBytes(kSpectrumExchangeFile), std::ios::binary);
    table_ = BuildSpectrumTable(ReadSpectrumExchangeList(in, kSpectrumExchangeFile), ChosenOptions(),
                                LocaleDecimalSeparator());
    const std::optional<RunSettings> run = run_ ? run_() : std::nullopt;
    comments_ = run ? TubeCommentLines(*run) : std::vector<std::string>{};
  } catch (const std::exception& e) {
    ShowExclamation(this, (Tr("スペクトルデータを表示できません。") + QStringLiteral("\n")) + ReadFailureText(e),
                    FilePlace(QString::fromLatin1(kSpectrumExchangeFile), FailureLine(e)));
    return false;
  }
  for (const std::string& comment : comments_) list1_->addItem(QString::fromStdString(comment));
  list1_->addItem(QString::fromStdString(table_.header));
  for (int i = 1; i <= kExchangeRows; ++i) list1_->addItem(QString::fromStdString(table_.lines[i]));
  return true;
}

void DataExportDialog::ClearPreview() { list1_->clear(); }

void DataExportDialog::Save() {
  const QString name = text1_->text();
  if (name.isEmpty()) {
    ShowExclamation(this, Tr("ファイル名を入力して下さい"));
    return;
  }
  if (IsInvalidFileName(name)) {
    ShowExclamation(this, Tr("ファイル名に使えない文字が含まれています。"));
    return;
  }
  // Without a shown preview the table of the options on screen is built and shown first.
  if (list1_->count() == 0 && !Preview()) return;
  // The extension follows the separator of the table that is written, which the preview keeps
  // equal to the option shown.
  const QString path = QDir(folders_->FileList()->Folder()).filePath(
      name + QString::fromLatin1(SpectrumTableExtension(table_.separator)));
  if (QFileInfo::exists(path) && !AskToReplaceFile(this, QDir::toNativeSeparators(path))) return;
  try {
    SaveFileAtomically(path.toStdString(),
                       [this](std::ostream& out) {
                         for (const std::string& comment : comments_) out << comment << "\r\n";
                         WriteSpectrumTable(out, table_);
                       });
  } catch (const std::exception& e) {
    ShowExclamation(this, (Tr("データを保存できませんでした。") + QStringLiteral("\n")) + SaveFailureText(e),
                    QDir::toNativeSeparators(path));
    return;
  }
  const QString shown = QDir::toNativeSeparators(path);
  const QString elided = ElidedForMessage(shown, this);
  ShowConfirmation(this, Tr("データを ") + elided + Tr(" に保存しました"),
                   elided != shown ? shown : QString());
  hide();
}

void DataExportDialog::NameEntered() { command1_->setFocus(); }

}  // namespace kestrix
