#include "filter_dialog.h"

#include <cmath>

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "arbitrary_filter_set.h"
#include "failure_texts.h"
#include "filter_list_panel.h"
#include "program_data.h"
#include "dialog_controls.h"
#include "entry_review.h"
#include "input_number.h"
#include "material_file.h"
#include "pattern_file_list.h"
#include "ui_fonts.h"
#include "ui_language.h"
#include "user_messages.h"
#include "window_placement.h"

namespace kestrix {
namespace {

/// thickness box text [mm] to centimetres
constexpr double kCmPerMm = 0.1;

}  // namespace

FilterDialog::FilterDialog(ArbitraryFilterSet& filters, FilterListPanel& panel,
                           std::function<void(bool)> enableSetCommand, QWidget* parent)
    : QWidget(parent, Qt::Dialog),
      filters_(filters),
      panel_(panel),
      enableSetCommand_(std::move(enableSetCommand)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Tr("任意フィルター設定"));
  setWindowModality(Qt::WindowModal);

  // Created in the order of the keyboard's tab sequence.
  text2_ = new QLineEdit(this);
  text2_->setObjectName(QStringLiteral("Text2"));
  text2_->setFont(TimesFont(12));
  command2_ = DialogCommand(QStringLiteral("Command2"), QStringLiteral("Cancel"), this);
  command1_ = DialogCommand(QStringLiteral("Command1"), QStringLiteral("OK"), this);
  file1_ = new PatternFileList(QStringLiteral("*.ele;*.mix"), this);
  file1_->setFont(TimesFont(10.5));
  file1_->setMinimumWidth(160);
  label5_ = new QLabel(this);
  label5_->setObjectName(QStringLiteral("Label5"));
  label5_->setFrameShape(QFrame::Panel);
  label5_->setFrameShadow(QFrame::Sunken);
  label5_->setMinimumWidth(260);
  // A long description wraps (and is cut) rather than squeezing the file list.
  label5_->setMaximumWidth(360);
  label5_->setWordWrap(true);
  label5_->setFont(TimesFont(10.5));
  QLabel* label4 = DialogCaption(QStringLiteral("Label4"), Tr("材質"), this);
  QLabel* label3 = DialogCaption(QStringLiteral("Label3"), QStringLiteral("mm"), this);
  QLabel* label2 = DialogCaption(QStringLiteral("Label2"), Tr("厚さ"), this);
  QLabel* label1 = DialogCaption(QStringLiteral("Label1"), Tr("フィルターの種類"), this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(label1, 0, 0);
  grid->addWidget(file1_, 1, 0, 5, 1);
  grid->addWidget(label4, 0, 1);
  grid->addWidget(label5_, 1, 1, 1, 2);
  grid->addWidget(label2, 2, 1);
  auto* thicknessRow = new QHBoxLayout;
  thicknessRow->addWidget(text2_);
  thicknessRow->addWidget(label3);
  grid->addLayout(thicknessRow, 3, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(command1_);
  buttons->addWidget(command2_);
  grid->addLayout(buttons, 5, 1, 1, 2);
  grid->setRowStretch(4, 1);

  file1_->SetFolder(MaterialFolder());
  // A file chosen with the keyboard shows its description as a clicked one does.
  connect(file1_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item != nullptr) ShowDescription(item->text());
  });
  connect(file1_, &QListWidget::itemClicked, this, &FilterDialog::FileClicked);
  connect(text2_, &QLineEdit::returnPressed, this, &FilterDialog::ThicknessEntered);
  connect(command2_, &QPushButton::clicked, this, &QWidget::hide);
  HideOnEscape(this);
  connect(command1_, &QPushButton::clicked, this, &FilterDialog::AddFilter);
}

void FilterDialog::PrepareAndShow() {
  label5_->clear();
  describedName_.clear();
  text2_->clear();
  {
    // Reading the folder again keeps the chosen file without reading its description; without
    // material files of its own, the working folder gives way to the delivered ones.
    const QSignalBlocker quiet(file1_);
    const QString folder = MaterialFolder();
    if (folder != file1_->Folder()) file1_->SetFolder(folder);
    else file1_->Refresh();
  }
  CentreOverWindow(this, parentWidget());
  show();
  raise();
  activateWindow();
}

QString FilterDialog::PathOf(const QString& name) const {
  // a file of the working folder keeps its bare name, as the exported headers and the quality window show it
  if (QDir(file1_->Folder()) == QDir(QDir::currentPath())) return name;
  return QDir(file1_->Folder()).filePath(name);
}

bool FilterDialog::ShowDescription(const QString& name) {
  describedName_ = name;
  try {
    materialDescription_ = QString::fromUtf8(LoadMaterialDescription(PathOf(name).toStdString()).c_str());
    label5_->setText(materialDescription_);
    label5_->setToolTip(materialDescription_);
  } catch (const std::exception& e) {
    label5_->clear();
    ShowExclamation(this, (Tr("材質ファイルを読み込めません。") + QStringLiteral("\n")) + ReadFailureText(e),
                    FilePlace(name, FailureLine(e)));
    return false;
  }
  return true;
}

void FilterDialog::FileClicked() {
  const QString name = file1_->SelectedName();
  if (name.isEmpty()) return;
  // A click that made the file current has read it already; a file that failed is not read twice.
  if (name != describedName_) {
    if (!ShowDescription(name)) return;
  } else if (label5_->text().isEmpty()) {
    return;
  }
  text2_->setFocus();
}

void FilterDialog::ThicknessEntered() {
  if (!text2_->text().isEmpty()) command1_->setFocus();
}

void FilterDialog::AddFilter() {
  const QString name = file1_->SelectedName();
  if (name.isEmpty()) {
    ShowExclamation(this, Tr("フィルター材質が未選択です。"));
    return;
  }
  if (text2_->text().isEmpty()) {
    ShowExclamation(this, Tr("フィルターの厚さを入力して下さい。"));
    return;
  }
  // Full-width digits count as digits; a thickness that is not a number is refused like an empty one.
  const QString thicknessText = AsciiNumberText(text2_->text());
  if (!StartsWithNumber(thicknessText)) {
    ShowExclamation(this, Tr("フィルターの厚さ「") + text2_->text() +
                              Tr("」は数ではありません。厚さを mm で入力して下さい。"));
    text2_->setFocus();
    text2_->selectAll();
    return;
  }
  if (filters_.count >= kArbitraryFilterSlots) {
    ShowExclamation(this, Tr("任意材質フィルタは３種類まで設定できます。"));
    return;
  }
  // A thickness too large for a number would turn a zero coefficient into NaN in the spectrum.
  const double thicknessMm = ParseLeadingNumber(thicknessText.toStdString());
  const double thicknessCm = thicknessMm * kCmPerMm;
  if (!std::isfinite(thicknessCm)) {
    ShowExclamation(this, Tr("フィルターの厚さが大きすぎます。"));
    return;
  }
  // A negative thickness would amplify the beam instead of attenuating it.
  if (thicknessCm < 0) {
    ShowExclamation(this, Tr("「厚さ」に負の値は入力できません。0 以上の値を入力して下さい。"));
    text2_->setFocus();
    text2_->selectAll();
    return;
  }
  // The whole file is read and checked before anything changes.
  MaterialFile material;
  GridArray coefficients{};
  try {
    material = LoadMaterialFile(PathOf(name).toStdString());
    coefficients = ArbitraryFilterCoefficientsFor(material);
  } catch (const std::exception& e) {
    ShowExclamation(this, (Tr("材質ファイルを読み込めません。") + QStringLiteral("\n")) + ReadFailureText(e),
                    FilePlace(name, FailureLine(e)));
    return;
  }
  materialDescription_ = QString::fromUtf8(material.description.c_str());
  const int slot = AddArbitraryFilter(filters_, coefficients, thicknessCm);
  if (slot >= kArbitraryFilterSlots) enableSetCommand_(false);
  panel_.ListFilter(slot, materialDescription_, thicknessCm);
  if (filterAdded_) filterAdded_(FilterRequest{PathOf(name).toStdString(), thicknessMm});
  hide();
}

}  // namespace kestrix
