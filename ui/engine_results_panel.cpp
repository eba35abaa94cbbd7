#include "engine_results_panel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <sstream>

#include "display_pattern.h"
#include "engine_process.h"
#include "exchange_files.h"
#include "failure_texts.h"
#include "file_system.h"
#include "palette_color.h"
#include "ui_fonts.h"
#include "ui_language.h"
#include "user_messages.h"

namespace kestrix {
namespace {

/// top left corner of the panel in the main window [twips]
constexpr int kPanelLeftTwips = 11400;
constexpr int kPanelTopTwips = 600;

/// a rectangle given in main-window twips, in the panel's pixels
QRect PanelRect(int xTwips, int yTwips, int widthTwips, int heightTwips) {
  return QRect((xTwips - kPanelLeftTwips) / 15, (yTwips - kPanelTopTwips) / 15, widthTwips / 15, heightTwips / 15);
}

QLabel* Caption(const QString& text, int xTwips, int yTwips, const QFont& font, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(font);
  label->adjustSize();
  label->move(PanelRect(xTwips, yTwips, 0, 0).topLeft());
  return label;
}

QLineEdit* ResultBox(const QString& name, QRect geometry, const QFont& font, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setGeometry(geometry);
  box->setFont(font);
  box->setTextMargins(0, 0, 0, 0);
  // Only the program writes the results; typing into the boxes would mean nothing.
  box->setReadOnly(true);
  return box;
}

}  // namespace

QString EngineResultsPanel::MissingReason(const ExtendedBeamQuality& figures, std::size_t f) {
  if (f == kMeanEnergy) return Tr("光子がありません");
  if (!figures.values[kKermaMeanEnergy]) return Tr("5.5 keV 以上の空気カーマがありません");
  const bool aluminium = f < kHvl1Cu;
  const std::size_t first = aluminium ? kHvl1Al : kHvl1Cu;
  if (f == first) return Tr("100 mm を超えます");
  if (!figures.values[first]) return Tr("第1半価層がありません");
  if (f == first + 1) return Tr("100 mm を超えます");
  return Tr("第2半価層がありません");
}

namespace {

QString ValueText(const std::optional<double>& value, const char* pattern) {
  if (!value) return EngineResultsPanel::NotAvailableText();
  return QString::fromStdString(FormatPattern(*value, pattern));
}

}  // namespace

QString EngineResultsPanel::NotAvailableText() { return Tr("範囲外"); }
const QString EngineResultsPanel::kUnavailableText = QStringLiteral("－");

EngineResultsPanel::EngineResultsPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ResultsPanel"));
  setGeometry(kPanelLeftTwips / 15, kPanelTopTwips / 15, (14295 - kPanelLeftTwips) / 15, (4095 - kPanelTopTwips) / 15);
  setAutoFillBackground(true);
  QPalette green = palette();
  green.setColor(QPalette::Window, QColor(192, 255, 192));
  setPalette(green);

  command6_ = new QPushButton(QStringLiteral("HVL  /  Fluence"), this);
  command6_->setObjectName(QStringLiteral("Command6"));
  command6_->setGeometry(PanelRect(11640, 840, 2415, 375));
  command6_->setFont(TimesFont(12));
  command6_->setToolTip(Tr("半価層，実効エネルギーを表示"));
  command6_->setEnabled(false);

  Caption(QStringLiteral("Half Value Layer"), 11640, 1440, TimesFont(12), this);
  text9_ = ResultBox(QStringLiteral("Text9"), PanelRect(11880, 1800, 1215, 330), TimesFont(14.25), this);
  Caption(QStringLiteral("mmAl"), 13170, 1800, TimesFont(12), this);
  text8_ = ResultBox(QStringLiteral("Text8"), PanelRect(11880, 2280, 1215, 330), TimesFont(14.25), this);
  Caption(QStringLiteral("mmCu"), 13200, 2280, TimesFont(12), this);
  Caption(QStringLiteral("Fluence / 1 [C/kg]"), 11640, 2880, TimesFont(12), this);
  Caption(QStringLiteral(" ="), 11760, 3240, TimesFont(12), this);
  text11_ = ResultBox(QStringLiteral("Text11"), PanelRect(12120, 3240, 1455, 330), TimesFont(12), this);
  QLabel* photons = Caption(QStringLiteral("Photons / mm"), 12240, 3600, TimesFont(12), this);
  // The small raised "2" of square millimetres follows the caption's last letter.
  QLabel* squared = Caption(QStringLiteral("2"), 12240, 3600, TimesFont(7.5), this);
  squared->move(photons->x() + photons->fontMetrics().horizontalAdvance(photons->text()) + 1, photons->y());

  for (QLineEdit* box : {text9_, text8_, text11_}) {
    connect(box, &QLineEdit::textChanged, this, &EngineResultsPanel::UpdateToolTips);
  }
}

void EngineResultsPanel::ClearResults() {
  text9_->clear();
  text8_->clear();
  text11_->clear();
}

QString EngineResultsPanel::ExtendedFiguresText(const ExtendedBeamQuality& figures) {
  struct Line {
    const char* label;
    const char* unit;
  };
  static const Line lines[kExtendedFigureCount] = {
      {QT_TRID_NOOP("第1半価層 (Al)"), " mmAl"},       {QT_TRID_NOOP("第2半価層 (Al)"), " mmAl"},       {QT_TRID_NOOP("均等度 (Al, HVL1/HVL2)"), ""},
      {QT_TRID_NOOP("第1半価層 (Cu)"), " mmCu"},       {QT_TRID_NOOP("第2半価層 (Cu)"), " mmCu"},       {QT_TRID_NOOP("均等度 (Cu, HVL1/HVL2)"), ""},
      {QT_TRID_NOOP("平均エネルギー (フルエンス加重)"), " keV"}, {QT_TRID_NOOP("平均エネルギー (空気カーマ加重)"), " keV"}};
  QString text = Tr("前回の計算の線質");
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    text += QStringLiteral("\n") + Tr(lines[f].label) + QStringLiteral(": ");
    const std::optional<double>& value = figures.values[f];
    if (value) {
      text += QString::number(*value, 'f', ExtendedFigureFields()[f].decimals) + QString::fromUtf8(lines[f].unit);
    } else {
      text += NotAvailableText() + QStringLiteral(" (") + MissingReason(figures, f) + QStringLiteral(")");
    }
  }
  return text;
}

void EngineResultsPanel::SetExtendedFigures(const ExtendedBeamQuality& figures) {
  extendedFiguresText_ = ExtendedFiguresText(figures);
  UpdateToolTips();
}

void EngineResultsPanel::ClearExtendedFigures() {
  extendedFiguresText_.clear();
  UpdateToolTips();
}

void EngineResultsPanel::UpdateToolTips() {
  // An empty box has nothing to explain.
  for (QLineEdit* box : {text9_, text8_, text11_}) {
    if (box->text() == kUnavailableText) continue;  // the box's tooltip says why it has no value
    box->setToolTip(box->text().isEmpty() ? QString() : extendedFiguresText_);
  }
}

void EngineResultsPanel::ShowEngineResults(int colorIndex, EngineProcess& engine) {
  for (QLineEdit* box : {text9_, text8_, text11_}) {
    QPalette colored = box->palette();
    colored.setColor(QPalette::Text, ReadableTextColor(colorIndex));
    box->setPalette(colored);
  }
  ClearResults();

  QString detail;
  QApplication::setOverrideCursor(Qt::WaitCursor);  // the wait for the engine may take a while
  const EngineProcess::Outcome outcome = engine.WaitForEnd(kEngineWaitMs, &detail);
  QApplication::restoreOverrideCursor();
  switch (outcome) {
    case EngineProcess::Outcome::NeverStarted:
      ShowExclamation(this, Tr("半価層の計算 (Quillon) はまだ実行されていません。"));
      return;
    case EngineProcess::Outcome::StillRunning:
      ShowExclamation(this, (Tr("半価層の計算 (Quillon) がまだ終わっていません。") + QStringLiteral("\n") + Tr("しばらくしてからもう一度押して下さい。")));
      return;  // Command6 stays enabled: the results may still come.
    case EngineProcess::Outcome::StartFailed:
      ShowExclamation(this, (Tr("半価層の計算プログラム (Quillon) を起動できませんでした。") + QStringLiteral("\n")) + detail,
                      QDir::toNativeSeparators(engine.ProgramPath()));
      break;
    case EngineProcess::Outcome::Crashed:
    case EngineProcess::Outcome::FailedExit:
      // the main window may have told it already, when the engine ended
      if (engine.ClaimFailureReport()) ReportEngineFailure(this, outcome, detail, engine);
      break;
    case EngineProcess::Outcome::Finished:
      ReadResults();
      break;
  }
  command6_->setEnabled(false);
}

QString EngineResultsPanel::EngineFailureText(EngineProcess::Outcome outcome) {
  return outcome == EngineProcess::Outcome::Crashed
             ? Tr("半価層の計算 (Quillon) が異常終了しました。結果はありません。")
             : Tr("半価層の計算 (Quillon) がエラーで終了しました。結果はありません。");
}

void EngineResultsPanel::ReportEngineFailure(QWidget* parent, EngineProcess::Outcome outcome, const QString& detail,
                                             const EngineProcess& engine) {
  if (outcome == EngineProcess::Outcome::Crashed) {
    ShowExclamation(parent, EngineFailureText(outcome), QString(), engine.ConsoleOutput());
  } else {
    ShowExclamation(parent, EngineFailureText(outcome), Tr("終了コード ") + detail, engine.ConsoleOutput());
  }
}

void EngineResultsPanel::MarkUnavailable(const QString& reason) {
  for (QLineEdit* box : {text9_, text8_, text11_}) {
    box->setText(kUnavailableText);
    box->setToolTip(reason);
  }
  command6_->setEnabled(false);
}

void EngineResultsPanel::ReadResults() {
  const QString fileName = QString::fromLatin1(kResultFile);
  std::istringstream in;
  try {
    in = std::istringstream(ReadFileBytes(kResultFile), std::ios::binary);
  } catch (const FileSystemError&) {
    ShowExclamation(this, Tr("半価層の計算の結果ファイルがありません。"), fileName);
    return;
  }
  EngineResults results;
  try {
    results = ReadResultFile(in, kResultFile);
  } catch (const std::exception& error) {
    ShowExclamation(this, (Tr("半価層の計算の結果ファイルを読めません。") + QStringLiteral("\n")) + ReadFailureText(error),
                    FilePlace(fileName, FailureLine(error)));
    return;
  }
  text9_->setText(ValueText(results.hvlAlMm, "#0.000"));
  text8_->setText(ValueText(results.hvlCuMm, "#0.000"));
  text11_->setText(ValueText(results.photonsPerMm2PerCkg, "0.000E+00"));
}

}  // namespace kestrix
