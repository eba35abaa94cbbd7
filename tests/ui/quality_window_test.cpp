// The beam-quality window: its figures and copied text against kestrix-cli's JSON for the same
// inputs, a standard quality written into the main window's inputs (and one refused with its
// reason), a filtration fitted to a measured half-value layer, a detector layer and the spread
// from the inputs' uncertainties against kestrix-cli's; a molybdenum quality that sets the target,
// and the target, lines and point off the central ray in the figures; a quality's published figures
// beside its run's as kestrix-cli's text report prints them, gone once an input changed.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>
#include <cmath>
#include <tuple>

#include "filter_list_panel.h"
#include "quality_window.h"
#include "ui_language.h"
#include "ui_test_support.h"
#include "window_placement.h"

using namespace kestrix;
using kestrix::test::Child;
using kestrix::test::MessageBoxCatcher;
using kestrix::test::TuckerMainWindow;
using kestrix::test::WorkingFolder;

namespace {

/// kestrix-cli's JSON for `arguments`, run in the current (working) folder.
QJsonObject CliJson(QStringList arguments) {
  QProcess cli;
  arguments << "--no-table" << "--json";
  cli.start(QCoreApplication::applicationDirPath() + "/kestrix-cli", arguments);
  if (!cli.waitForFinished(30000) || cli.exitCode() != 0) {
    qWarning("kestrix-cli failed: %s", cli.readAllStandardError().constData());
    return {};
  }
  return QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
}

/// kestrix-cli's comparison of a quality's published figures in its text report for `arguments`, by
/// the figure's JSON key: {reached, nominal, deviation} as the report prints them
QMap<QString, QStringList> CliDeviations(QStringList arguments) {
  QProcess cli;
  cli.start(QCoreApplication::applicationDirPath() + "/kestrix-cli", arguments << "--no-table");
  if (!cli.waitForFinished(30000) || cli.exitCode() != 0) {
    qWarning("kestrix-cli failed: %s", cli.readAllStandardError().constData());
    return {};
  }
  // "# quality HVL2 Cu: 1.15238 mm Cu, nominal 1.24 mm Cu (-7.1 %)"; a based quality's first layer
  // "# quality HVL1: 6.6385 mm Al, nominal 6.8 mm Al (-2.4 %)"
  const QRegularExpression line(QStringLiteral(
      "^# quality (HVL1|HVL[12] Al|HVL[12] Cu|mean energy): (\\S+) (?:mm Al|mm Cu|keV), nominal (\\S+) (?:mm Al|mm Cu|keV) \\((\\S+) %\\)$"));
  const QMap<QString, QString> keys{{"HVL1", "hvl1_al_mm"},    {"HVL1 Al", "hvl1_al_mm"}, {"HVL2 Al", "hvl2_al_mm"},
                                    {"HVL1 Cu", "hvl1_cu_mm"}, {"HVL2 Cu", "hvl2_cu_mm"}, {"mean energy", "mean_energy_keV"}};
  QMap<QString, QStringList> deviations;
  for (const QString& text : QString::fromUtf8(cli.readAllStandardOutput()).split('\n')) {
    const QRegularExpressionMatch match = line.match(text);
    if (match.hasMatch()) deviations[keys[match.captured(1)]] = QStringList{match.captured(2), match.captured(3), match.captured(4)};
  }
  return deviations;
}

/// the window's comparison as shown: {reached, nominal, deviation without " %"} by figure key
QMap<QString, QStringList> ShownDeviations(QWidget& window) {
  QMap<QString, QStringList> shown;
  for (QLabel* reached : window.findChildren<QLabel*>(QRegularExpression("\\.reached$"))) {
    const QString key = reached->objectName().section('.', 0, 0);
    shown[key] = QStringList{reached->text(), Child<QLabel>(window, qPrintable(key + ".nominal"))->text(),
                             Child<QLabel>(window, qPrintable(key + ".deviation_percent"))->text().remove(" %")};
  }
  return shown;
}

/// whether the window, laid out, fits a 1024 x 600 screen less a task bar
bool FitsSmallScreen(QWidget& window) {
  QApplication::processEvents();
  return window.frameGeometry().width() <= 1024 && window.frameGeometry().height() <= 560;
}
QString FrameText(const QWidget& window) {
  return QString("%1x%2").arg(window.frameGeometry().width()).arg(window.frameGeometry().height());
}

/// the window's name of each figure and its key in kestrix-cli's JSON
const QList<QPair<QString, QString>> kFigureNames = {
    {"第1半価層 (Al)", "hvl_al_mm"},
    {"第1半価層 (Al, 透過曲線)", "hvl1_al_mm"},
    {"第2半価層 (Al)", "hvl2_al_mm"},
    {"均等度 (Al, HVL1/HVL2)", "homogeneity_al"},
    {"実効エネルギー (Al)", "effective_energy_al_keV"},
    {"第1半価層 (Cu)", "hvl_cu_mm"},
    {"第1半価層 (Cu, 透過曲線)", "hvl1_cu_mm"},
    {"第2半価層 (Cu)", "hvl2_cu_mm"},
    {"均等度 (Cu, HVL1/HVL2)", "homogeneity_cu"},
    {"実効エネルギー (Cu)", "effective_energy_cu_keV"},
    {"光子フルエンス (照射線量 1 C/kg あたり)", "photons_per_mm2_per_Ckg"},
    {"平均エネルギー (フルエンス加重)", "mean_energy_keV"},
    {"平均エネルギー (空気カーマ加重)", "kerma_mean_energy_keV"},
};

double JsonFigure(const QJsonObject& json, const QString& key) {
  const QJsonObject results = json["results"].toObject();
  return results.contains(key) ? results[key].toDouble() : results["extended"].toObject()[key].toDouble();
}

/// the value field of the copied line named `name`
QString CopiedValue(const QString& text, const QString& name) {
  for (const QString& line : text.split('\n')) {
    const QStringList fields = line.split('\t');
    if (fields.first() == name) return fields.value(1);
  }
  return QString();
}

/// true when `shown` is `exact` rounded to the shown digits (a mantissa's digits for E notation)
bool ShowsRounded(const QString& shown, double exact) {
  bool ok = false;
  const double value = shown.toDouble(&ok);
  if (!ok) return false;
  const QString mantissa = shown.section('E', 0, 0);
  const int decimals = mantissa.contains('.') ? mantissa.size() - mantissa.indexOf('.') - 1 : 0;
  const double scale = shown.contains('E') ? std::pow(10.0, shown.section('E', 1).toInt()) : 1.0;
  return std::fabs(value - exact) <= 0.5 * std::pow(10.0, -decimals) * scale * (1 + 1e-9);
}

}  // namespace

class QualityWindowTest : public QObject {
  Q_OBJECT

  struct Bench {
    WorkingFolder folder;
    TuckerMainWindow program;
    QualityWindow* window = nullptr;
    MessageBoxCatcher messages;

    Bench() {
      for (const char* name : {"RadiationQualities.tsv", "Sn.ele", "Pb.ele", "Cu.ele", "Mo.ele"}) {
        QFile::copy(QStringLiteral(KESTRIX_DELIVERED_DATA "/") + name, folder.Path(name));
      }
      Child<QToolButton>(program.window, "QualityCommand")->click();
      window = Child<QualityWindow>(program.window, "QualityWindow");
    }
    QLineEdit* Box(const char* name) { return Child<QLineEdit>(program.window, name); }
    void Draw() { Child<QPushButton>(program.window, "Command1")->click(); }
    void ChooseQuality(const QString& name) {
      auto* box = Child<QComboBox>(*window, "QualityBox");
      const int index = box->findText(name, Qt::MatchStartsWith);
      QVERIFY2(index >= 0, qPrintable(name));
      box->setCurrentIndex(index);
      Child<QPushButton>(*window, "ApplyQualityCommand")->click();
    }
    void Fit(int entry, int material, const QString& target) {
      Child<QComboBox>(*window, "EntryBox")->setCurrentIndex(entry);
      Child<QComboBox>(*window, "MaterialBox")->setCurrentIndex(material);
      Child<QLineEdit>(*window, "TargetBox")->setText(target);
      Child<QPushButton>(*window, "FitCommand")->click();
    }
  };

 private slots:
  void PhysicsModelShowsTheAirKermaAtTheDistanceTyped() {
    Bench bench;
    bench.program.window.InitialiseForModel(SpectrumModel::Physics);
    bench.Box("Text1")->setText("100");
    bench.Draw();
    QCOMPARE(bench.messages.texts, QStringList());
    auto* distance = Child<QLineEdit>(*bench.window, "DistanceBox");
    QVERIFY(distance->isEnabled());
    const double atOneMetre = CliJson({"--model", "physics", "--kv", "100"})["results"]
                                  .toObject()["output"].toObject()["air_kerma_uGy_per_mAs"].toDouble();
    QVERIFY(atOneMetre > 0);
    auto* shown = Child<QLabel>(*bench.window, "air_kerma_per_mAs");
    QVERIFY2(ShowsRounded(shown->text(), atOneMetre), qPrintable(shown->text()));
    QCOMPARE(CopiedValue(bench.window->FiguresText(), "空気カーマ (1 mAs あたり)").toDouble(), atOneMetre);

    QCOMPARE(distance->text(), QStringLiteral("1000"));  // millimetres, as kestrix-cli and Python take it
    distance->setText("2000");  // twice as far: a quarter, by the inverse square
    QVERIFY2(ShowsRounded(shown->text(), atOneMetre / 4), qPrintable(shown->text()));
    auto* note = Child<QLabel>(*bench.window, "DistanceNote");
    QVERIFY(note->text().isEmpty());
    distance->setText("-5");
    QCOMPARE(shown->text(), QStringLiteral("－"));
    QVERIFY(shown->toolTip().contains(QStringLiteral("正の数")));
    QVERIFY2(note->text().contains(QStringLiteral("「-5」は正の数ではありません")), qPrintable(note->text()));
    distance->setText("abc");
    QVERIFY2(note->text().contains(QStringLiteral("「abc」は数ではありません")), qPrintable(note->text()));
    distance->setText(QStringLiteral("２０００"));  // full-width digits
    QVERIFY2(ShowsRounded(shown->text(), atOneMetre / 4), qPrintable(shown->text()));
    QVERIFY(note->text().isEmpty());
  }

  void OpensBesideTheMainWindowAndDropsStaleMessages() {
    Bench bench;
    bench.window->hide();
    CentreOnScreenWithMouse(&bench.program.window);  // as the start screen opens it
    Child<QToolButton>(bench.program.window, "QualityCommand")->click();
    const QRect graphDraw(Child<QPushButton>(bench.program.window, "Command1")->mapToGlobal(QPoint(0, 0)),
                          Child<QPushButton>(bench.program.window, "Command1")->size());
    QVERIFY(!bench.window->frameGeometry().intersects(graphDraw));
    QVERIFY(bench.window->windowFlags().testFlag(Qt::Tool));  // kept above the main window
    bench.Box("Text1")->setText("120");
    bench.Fit(1, 0, "7");
    auto* fitLabel = Child<QLabel>(*bench.window, "FitLabel");
    QVERIFY(!fitLabel->text().isEmpty());
    bench.Fit(1, 0, "4.5");  // out of reach: refused
    QCOMPARE(bench.messages.texts.size(), 1);
    QVERIFY(fitLabel->text().isEmpty());
  }

  void FiguresAndCopiedTextMatchTheCommandLine() {
    Bench bench;
    QVERIFY(bench.window->isVisible());
    QCOMPARE(bench.window->windowTitle(), QStringLiteral("線質"));
    QVERIFY(Child<QLabel>(*bench.window, "hvl_al_mm")->text().isEmpty());  // no run yet
    bench.Box("Text1")->setText("100");
    bench.Box("Text3")->setText("2");
    bench.Draw();
    QCOMPARE(bench.messages.texts, QStringList());
    const QJsonObject json = CliJson({"--kv", "100", "--al", "2"});
    QVERIFY(!json.isEmpty());

    Child<QPushButton>(*bench.window, "CopyCommand")->click();
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied, bench.window->FiguresText());
    QCOMPARE(CopiedValue(copied, "Ｘ線管電圧"), QStringLiteral("100"));
    QCOMPARE(CopiedValue(copied, "アルミ付加フィルタ"), QStringLiteral("2"));
    for (const auto& [name, key] : kFigureNames) {
      const double expected = JsonFigure(json, key);
      QCOMPARE(CopiedValue(copied, name).toDouble(), expected);
      const QString shown = Child<QLabel>(*bench.window, qPrintable(key))->text();
      QVERIFY2(ShowsRounded(shown, expected), qPrintable(key + ": " + shown));
    }
    // the air kerma is the physics model's
    QCOMPARE(Child<QLabel>(*bench.window, "air_kerma_per_mAs")->text(), QStringLiteral("－"));

    // The window follows the runs: a harder beam, then no curve at all.
    bench.Box("Text4")->setText("1");
    bench.Draw();
    const QJsonObject harder = CliJson({"--kv", "100", "--al", "2", "--cu", "1"});
    QCOMPARE(CopiedValue(bench.window->FiguresText(), "第2半価層 (Cu)").toDouble(), JsonFigure(harder, "hvl2_cu_mm"));
    Child<QPushButton>(bench.program.window, "Command3")->click();
    QVERIFY(Child<QLabel>(*bench.window, "hvl_al_mm")->text().isEmpty());
    QVERIFY(bench.window->FiguresText().isEmpty());
  }

  void MaterialFilterFiguresMatchTheCommandLine() {
    // a tin filter set in the filter dialog, as --filter gives it
    Bench bench;
    auto* dialog = bench.program.window.findChild<QWidget*>("Form1");
    Child<QPushButton>(bench.program.window, "Command4")->click();
    auto* files = Child<QListWidget>(*dialog, "File1");
    files->setCurrentItem(files->findItems("Sn.ele", Qt::MatchExactly).first());
    Child<QLineEdit>(*dialog, "Text2")->setText("0.5");
    Child<QPushButton>(*dialog, "Command1")->click();
    bench.Box("Text1")->setText("150");
    bench.Draw();
    const QJsonObject json = CliJson({"--kv", "150", "--filter", "Sn.ele:0.5"});
    const QString copied = bench.window->FiguresText();
    for (const auto& [name, key] : kFigureNames) QCOMPARE(CopiedValue(copied, name).toDouble(), JsonFigure(json, key));
    QVERIFY(copied.contains("Sn  Tin  (Z=50) (Sn.ele) 0.5\tmm"));
  }

  void StandardQualitySetsTheInputs() {
    Bench bench;
    bench.Box("Text3")->setText("7");
    bench.ChooseQuality("N-100");
    QCOMPARE(bench.messages.texts, QStringList());
    QCOMPARE(bench.Box("Text1")->text(), QStringLiteral("100"));
    QCOMPARE(bench.Box("Text2")->text(), QStringLiteral("1"));
    QCOMPARE(bench.Box("Text13")->text(), QStringLiteral("4"));
    QCOMPARE(bench.Box("Text3")->text(), QStringLiteral("0"));
    QCOMPARE(bench.Box("Text4")->text(), QStringLiteral("5"));
    // N-200 brings tin and lead; they replace the filters set, also when chosen twice.
    bench.ChooseQuality("N-200");
    bench.ChooseQuality("N-200");
    QCOMPARE(bench.program.window.FilterList()->Lines(),
             (QStringList{"Sn  Tin  (Z=50) / 3 mm", "Pb  Lead  (Z=82) / 1 mm", ""}));
    QCOMPARE(bench.Box("Text4")->text(), QStringLiteral("2"));
    bench.Draw();
    const QJsonObject json = CliJson({"--quality", "N-200"});
    QCOMPARE(CopiedValue(bench.window->FiguresText(), "第1半価層 (Al)").toDouble(), JsonFigure(json, "hvl_al_mm"));
    QCOMPARE(CopiedValue(bench.window->FiguresText(), "平均エネルギー (フルエンス加重)").toDouble(),
             JsonFigure(json, "mean_energy_keV"));
  }

  void AQualityIsRefusedWithATransmissionTargetAndTheFiguresNameIt() {
    Bench bench;
    bench.program.window.InitialiseForModel(SpectrumModel::Physics);
    QVERIFY(bench.program.window.SetTransmission(TransmissionTarget{1, TransmissionWindow::Diamond, 0.3}));
    bench.Box("Text1")->setText("100");
    bench.ChooseQuality("N-100");
    QCOMPARE(bench.messages.texts.size(), 1);
    QVERIFY2(bench.messages.texts[0].contains(QStringLiteral("標準線質は反射ターゲットの線質です。")), qPrintable(bench.messages.texts[0]));
    QCOMPARE(bench.Box("Text1")->text(), QStringLiteral("100"));  // nothing set
    bench.Draw();
    QCOMPARE(bench.messages.texts.size(), 1);
    const QString copied = bench.window->FiguresText();
    QVERIFY2(copied.contains(QStringLiteral("1 µm W / diamond 0.3")), qPrintable(copied));
  }

  void MolybdenumQualitySetsTheTargetWithThePhysicsModel() {
    Bench bench;
    // a formula model computes tungsten only: the quality is refused with the reason, nothing changes
    bench.Box("Text2")->setText("1");
    bench.Box("Text13")->setText("0");
    bench.ChooseQuality("RQR-M2");
    QCOMPARE(bench.messages.texts.size(), 1);
    QVERIFY2(bench.messages.texts[0].contains(QStringLiteral("この線質は Mo ターゲット の線質です。Tucker 式 は W ターゲットのみ計算します")),
             qPrintable(bench.messages.texts[0]));
    QCOMPARE(bench.Box("Text1")->text(), QStringLiteral("200"));
    QCOMPARE(bench.program.window.Target(), TargetMaterial::Tungsten);

    bench.program.window.InitialiseForModel(SpectrumModel::Physics);
    bench.Box("Text2")->setText("1");
    bench.Box("Text13")->setText("0");
    bench.ChooseQuality("RQR-M2");
    QCOMPARE(bench.messages.texts.size(), 1);
    QVERIFY2(Child<QLabel>(*bench.window, "QualityLabel")->text().contains(QStringLiteral("RQR-M2 を入力欄に設定しました")),
             qPrintable(Child<QLabel>(*bench.window, "QualityLabel")->text()));
    QCOMPARE(bench.program.window.Target(), TargetMaterial::Molybdenum);
    QCOMPARE(Child<QComboBox>(bench.program.window, "TargetMaterialBox")->currentText(), QStringLiteral("Mo"));
    QCOMPARE(bench.Box("Text1")->text(), QStringLiteral("28"));
    QCOMPARE(bench.program.window.FilterList()->Lines().first(), QStringLiteral("Mo  Molybdenum  (Z=42) / 0.032 mm"));
    bench.ChooseQuality("RQR-M2");  // chosen again: its molybdenum is set once
    QCOMPARE(bench.program.window.FilterFiles().size(), std::size_t{1});
    const QString added = bench.Box("Text3")->text();
    bench.Draw();
    QCOMPARE(bench.messages.texts.size(), 1);
    const QJsonObject json = CliJson({"--quality", "RQR-M2", "--model", "physics", "--be", "1", "--al-eq", "0"});
    QCOMPARE(json["inputs"].toObject()["target"].toString(), QStringLiteral("Mo"));
    const QString copied = bench.window->FiguresText();
    QCOMPARE(CopiedValue(copied, "ターゲット"), QStringLiteral("Mo"));
    QCOMPARE(CopiedValue(copied, "アルミ付加フィルタ"), added);
    QCOMPARE(CopiedValue(copied, "第1半価層 (Al)").toDouble(), JsonFigure(json, "hvl_al_mm"));
    QVERIFY(Child<QLabel>(*bench.window, "RunLabel")->text().contains(QStringLiteral("ターゲット Mo")));
    // a tungsten quality sets tungsten again
    bench.ChooseQuality("RQR5");
    QCOMPARE(bench.program.window.Target(), TargetMaterial::Tungsten);
  }

  void TargetLinesAndPointMatchTheCommandLine() {
    Bench bench;
    bench.program.window.InitialiseForModel(SpectrumModel::Physics);
    bench.program.window.SetTarget(TargetMaterial::Rhodium);
    Child<QCheckBox>(bench.program.window, "LinesBox")->setChecked(false);
    bench.Box("Text1")->setText("30");
    bench.Box("Text2")->setText("1");
    bench.Box("Text13")->setText("0.5");
    bench.Box("OffAxisAlongBox")->setText("6");
    bench.Box("OffAxisAcrossBox")->setText("-10");
    bench.Draw();
    QCOMPARE(bench.messages.texts, QStringList());
    const QJsonObject json = CliJson({"--model", "physics", "--target", "Rh", "--no-lines", "--kv", "30", "--be", "1",
                                      "--al-eq", "0.5", "--off-axis", "6,-10"});
    QVERIFY(!json.isEmpty());
    const QString copied = bench.window->FiguresText();
    for (const auto& [name, key] : kFigureNames) QCOMPARE(CopiedValue(copied, name).toDouble(), JsonFigure(json, key));
    QCOMPARE(CopiedValue(copied, "ターゲット"), QStringLiteral("Rh"));
    QCOMPARE(CopiedValue(copied, "特性X線"), QStringLiteral("なし (制動放射のみ)"));
    QCOMPARE(CopiedValue(copied, "軸外角度 (管軸方向)"), QStringLiteral("6"));
    QCOMPARE(CopiedValue(copied, "軸外角度 (管軸に直交)"), QStringLiteral("-10"));
    // the run's longer description wraps: the window still fits a 1024 x 600 screen less a task bar
    QApplication::processEvents();
    QVERIFY2(bench.window->frameGeometry().width() <= 1024 && bench.window->frameGeometry().height() <= 560,
             qPrintable(QString("%1x%2").arg(bench.window->frameGeometry().width()).arg(bench.window->frameGeometry().height())));
    const QString air = CopiedValue(copied, "空気カーマ (1 mAs あたり)");
    QCOMPARE(air.toDouble(), json["results"].toObject()["output"].toObject()["air_kerma_uGy_per_mAs"].toDouble());
    // a fit keeps the tube and the point: the fitted layer is the command line's for the fitted thickness
    bench.Fit(1, 0, "0.4");
    QCOMPARE(bench.messages.texts, QStringList());
    const QString fitted = bench.Box("Text3")->text();
    bench.Draw();
    const QJsonObject refitted = CliJson({"--model", "physics", "--target", "Rh", "--no-lines", "--kv", "30", "--be", "1",
                                          "--al-eq", "0.5", "--off-axis", "6,-10", "--al", fitted});
    QCOMPARE(CopiedValue(bench.window->FiguresText(), "第1半価層 (Al, 透過曲線)").toDouble(),
             JsonFigure(refitted, "hvl1_al_mm"));
    // on the central ray with tungsten and its lines the copied text has no lines for them
    bench.program.window.InitialiseForModel(SpectrumModel::Tucker);
    bench.Draw();
    const QString tucker = bench.window->FiguresText();
    QVERIFY(!tucker.contains(QStringLiteral("ターゲット\t")) && !tucker.contains(QStringLiteral("軸外角度")));
  }

  void RqrFitsTheAddedAluminiumOrIsRefusedWithTheReason() {
    Bench bench;
    const RunInputTexts before = bench.program.window.InputTexts();
    bench.ChooseQuality("RQR5");  // 3 mm Be + 5 mm Al eq. is already too hard at 70 kV
    QCOMPARE(bench.messages.texts.size(), 1);
    QVERIFY2(bench.messages.texts[0].contains(QStringLiteral("実現できません")) &&
                 bench.messages.texts[0].contains(QStringLiteral("3.325 mm Al")),
             qPrintable(bench.messages.texts[0]));
    QVERIFY(bench.program.window.InputTexts().tubeVoltage == before.tubeVoltage);
    bench.Box("Text2")->setText("1");
    bench.Box("Text13")->setText("0.5");
    bench.ChooseQuality("RQR5");
    QCOMPARE(bench.messages.texts.size(), 1);
    const QJsonObject json = CliJson({"--quality", "RQR5", "--be", "1", "--al-eq", "0.5"});
    QCOMPARE(bench.Box("Text1")->text(), QStringLiteral("70"));
    QCOMPARE(bench.Box("Text3")->text().toDouble(), json["inputs"].toObject()["added_aluminium_mm"].toDouble());
    QCOMPARE(bench.Box("Text3")->text(), QStringLiteral("2.754"));
    QCOMPARE(bench.Box("Text2")->text(), QStringLiteral("1"));

    // RQA5 and RQT9: the RQR of their voltage, then the standard's added aluminium or copper on top
    for (const char* name : {"RQA5", "RQT9"}) {
      bench.ChooseQuality(name);
      QCOMPARE(bench.messages.texts.size(), 1);
      const QJsonObject inputs = CliJson({"--quality", name, "--be", "1", "--al-eq", "0.5"})["inputs"].toObject();
      QCOMPARE(bench.Box("Text1")->text().toDouble(), inputs["tube_voltage_kV"].toDouble());
      QCOMPARE(bench.Box("Text3")->text().toDouble(), inputs["added_aluminium_mm"].toDouble());
      QCOMPARE(bench.Box("Text4")->text().toDouble(), inputs["added_copper_mm"].toDouble());
    }
  }

  void FitWritesTheFittedThickness() {
    Bench bench;
    bench.Box("Text1")->setText("120");
    bench.Fit(1, 0, "7");  // added aluminium to 7 mm Al
    QCOMPARE(bench.messages.texts, QStringList());
    const QJsonObject json = CliJson({"--kv", "120", "--fit", "al", "--target-hvl-al", "7"});
    QCOMPARE(bench.Box("Text3")->text().toDouble(), json["fit"].toObject()["thickness_mm"].toDouble());
    QCOMPARE(bench.Box("Text3")->text(), QStringLiteral("4.207"));
    // copper to a copper layer
    bench.Box("Text1")->setText("200");
    bench.Box("Text3")->setText("0");
    bench.Fit(2, 1, "1.5");
    QCOMPARE(bench.Box("Text4")->text(), QStringLiteral("0.87"));
    // out of reach: the range is given and nothing changes
    bench.Box("Text1")->setText("120");
    bench.Box("Text4")->setText("0");
    bench.Fit(1, 0, "4.5");
    QCOMPARE(bench.messages.texts.size(), 1);
    QVERIFY2(bench.messages.texts[0].contains(QStringLiteral("5.1772")), qPrintable(bench.messages.texts[0]));
    QCOMPARE(bench.Box("Text3")->text(), QStringLiteral("0"));
    bench.Fit(1, 0, "7x");  // not wholly a number
    QCOMPARE(bench.messages.texts.size(), 2);
    QCOMPARE(bench.Box("Text3")->text(), QStringLiteral("0"));
  }

  void DetectorFiguresMatchTheCommandLineAndBadInputIsRefused() {
    Bench bench;
    bench.program.window.InitialiseForModel(SpectrumModel::Physics);
    bench.Box("Text1")->setText("70");
    bench.Draw();
    Child<QLineEdit>(*bench.window, "DistanceBox")->setText("500");
    auto* material = Child<QComboBox>(*bench.window, "DetectorMaterialBox");
    auto* thickness = Child<QLineEdit>(*bench.window, "DetectorThicknessBox");
    auto* threshold = Child<QLineEdit>(*bench.window, "DetectorThresholdBox");
    auto compute = [&] { Child<QPushButton>(*bench.window, "DetectorCommand")->click(); };
    const char* keys[] = {"quantum_detection_efficiency", "absorbed_energy_fraction",
                          "absorbed_energy_keV_per_mAs_per_mm2", "detected_photons_per_mAs_per_mm2"};
    for (const auto& [name, mm, keV] : {std::tuple{"CsI", "0.6", ""}, std::tuple{"CdTe", "1", "20"}}) {
      material->setCurrentText(name);
      thickness->setText(mm);
      threshold->setText(keV);
      compute();
      QCOMPARE(bench.messages.texts, QStringList());
      const QString layer = QString(name) + ':' + mm + (*keV ? QString(",") + keV : QString());
      const QJsonObject json = CliJson({"--model", "physics", "--kv", "70", "--distance", "500", "--detector", layer})
                                   ["results"].toObject()["detector"].toObject();
      QCOMPARE(json["material"].toString(), QString(name));
      for (const char* key : keys) {
        const QString shown = Child<QLabel>(*bench.window, key)->text();
        QVERIFY2(json[key].toDouble() > 0 && ShowsRounded(shown, json[key].toDouble()), qPrintable(layer + ' ' + key + ' ' + shown));
      }
    }
    const QString cdTe = Child<QLabel>(*bench.window, keys[0])->text();
    for (const QString& bad : {QString("-1"), QString(), QString("0.6mm")}) {
      thickness->setText(bad);
      compute();
    }
    thickness->setText("1");
    threshold->setText("-3");
    compute();
    threshold->clear();
    material->setCurrentText("Unobtainium");
    compute();
    QCOMPARE(bench.messages.texts.size(), 5);
    QVERIFY2(bench.messages.texts[0].contains(QStringLiteral("正の数")), qPrintable(bench.messages.texts[0]));
    QVERIFY2(bench.messages.texts[3].contains(QStringLiteral("0 以上")), qPrintable(bench.messages.texts[3]));
    QVERIFY2(bench.messages.texts[4].contains(QStringLiteral("「Unobtainium」の材質ファイルがありません")),
             qPrintable(bench.messages.texts[4]));
    QCOMPARE(Child<QLabel>(*bench.window, keys[0])->text(), cdTe);  // the figures shown stay
    // a relative model gives no figures per mAs
    bench.program.window.InitialiseForModel(SpectrumModel::Tucker);
    bench.Box("Text1")->setText("70");
    bench.Draw();
    QCOMPARE(Child<QLabel>(*bench.window, keys[3])->text(), QStringLiteral("－"));
    QVERIFY(Child<QLabel>(*bench.window, keys[0])->text().toDouble() > 0);
    const QRect frame = bench.window->frameGeometry();  // fits a 1024 x 600 screen less a task bar
    QVERIFY2(frame.width() <= 1024 && frame.height() <= 600 - 40, qPrintable(QString("%1x%2").arg(frame.width()).arg(frame.height())));
  }

  void UncertaintyMatchesTheCommandLineAndBadInputIsRefused() {
    Bench bench;
    bench.Box("Text1")->setText("80");
    bench.Draw();
    const char* typed[][2] = {{"UncertaintyKvBox", "1.5"}, {"UncertaintyAlEqBox", "0.1"}, {"UncertaintyAngleBox", "1"},
                              {"UncertaintySamplesBox", "200"}, {"UncertaintySeedBox", "7"}};
    for (const auto& [box, text] : typed) Child<QLineEdit>(*bench.window, box)->setText(text);
    Child<QPushButton>(*bench.window, "UncertaintyCommand")->click();
    QCOMPARE(bench.messages.texts, QStringList());
    const QString shown = bench.window->UncertaintyText();
    const QJsonObject json = CliJson({"--kv", "80", "--uncertainty", "kv=1.5,al-eq=0.1,angle=1,samples=200,seed=7"})
                                 ["results"].toObject()["uncertainty"].toObject();
    auto g4 = [](const QJsonValue& v) { return QString::number(v.toDouble(), 'g', 4); };
    for (const auto& [name, key] : kFigureNames) {
      const QJsonObject figure = json[key].toObject();
      QVERIFY2(figure["std"].toDouble() > 0, qPrintable(key));
      const QString line = name + ": " + g4(figure["mean"]) + " ± " + g4(figure["std"]) + " [" + g4(figure["p2_5"]) +
                           ", " + g4(figure["p97_5"]) + "]";
      QVERIFY2(shown.contains(line), qPrintable(line + '\n' + shown));
    }
    QVERIFY2(shown.contains(QStringLiteral("モデル間の差")) && shown.contains("physics"), qPrintable(shown));

    Child<QLineEdit>(*bench.window, "UncertaintyKvBox")->setText("-1");
    Child<QPushButton>(*bench.window, "UncertaintyCommand")->click();
    Child<QLineEdit>(*bench.window, "UncertaintyKvBox")->setText("1.5");
    Child<QLineEdit>(*bench.window, "UncertaintySamplesBox")->setText("1");
    Child<QPushButton>(*bench.window, "UncertaintyCommand")->click();
    QCOMPARE(bench.messages.texts.size(), 2);
    QVERIFY2(bench.messages.texts[0].contains(QStringLiteral("0 以上")), qPrintable(bench.messages.texts[0]));
    QVERIFY2(bench.messages.texts[1].contains(QStringLiteral("標本数")), qPrintable(bench.messages.texts[1]));
    QCOMPARE(bench.window->UncertaintyText(), shown);  // refused: the spread shown stays
    bench.Box("Text1")->setText("90");
    bench.Draw();
    QVERIFY(bench.window->UncertaintyText().isEmpty());  // a new run: the old spread is not its
  }

  void MeasuredSpectrumFiguresMatchTheCommandLineAndItsCurveIsDrawn() {
    Bench bench;
    bench.Box("Text1")->setText("80");
    bench.Draw();
    QFile csv(bench.folder.Path("measured.csv"));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("# a measured spectrum\nenergy_keV,value\n");
    for (int e = 12; e <= 78; e += 2) csv.write(QByteArray::number(e) + ',' + QByteArray::number((e - 10) * (80 - e)) + '\n');
    csv.close();
    const QImage before = bench.program.window.GraphImage().copy();
    Child<QLineEdit>(*bench.window, "MeasuredFileBox")->setText("measured.csv");
    Child<QPushButton>(*bench.window, "MeasuredCommand")->click();
    QCOMPARE(bench.messages.texts, QStringList());
    QVERIFY(bench.program.window.GraphImage() != before);  // the measured curve over the graph
    const QString shown = bench.window->MeasuredText();
    const QJsonObject json = CliJson({"--spectrum", "measured.csv"});
    for (const auto& [name, key] : kFigureNames) {
      const QStringList lines = shown.split('\n').filter(QRegularExpression('^' + QRegularExpression::escape(name) + ": "));
      const QString value = lines.value(0).mid(name.size() + 2).section(' ', 0, 0);
      QVERIFY2(lines.size() == 1 && ShowsRounded(value, JsonFigure(json, key)), qPrintable(key + '\n' + shown));
    }
    QFile bad(bench.folder.Path("bad.csv"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("energy_keV,value\n20,1\n30,abc\n");
    bad.close();
    Child<QLineEdit>(*bench.window, "MeasuredFileBox")->setText("bad.csv");
    Child<QPushButton>(*bench.window, "MeasuredCommand")->click();
    QCOMPARE(bench.messages.texts.size(), 1);
    QVERIFY2(bench.messages.texts[0].contains(QStringLiteral("3 行目")), qPrintable(bench.messages.texts[0]));
    QCOMPARE(bench.window->MeasuredText(), shown);  // refused: the figures shown stay
  }

  void PublishedFiguresStandBesideTheQualitysRunUntilAnInputChanges() {
    Bench bench;
    bench.ChooseQuality("N-100");
    QVERIFY(ShownDeviations(*bench.window).isEmpty());  // the curve drawn is not yet the quality's
    bench.Draw();
    const QMap<QString, QStringList> cli = CliDeviations({"--quality", "N-100"});
    QCOMPARE(cli.keys(), (QStringList{"hvl1_cu_mm", "hvl2_cu_mm"}));
    QCOMPARE(ShownDeviations(*bench.window), cli);
    QCOMPARE(cli["hvl2_cu_mm"], (QStringList{"1.15238", "1.24", "-7.1"}));
    QCOMPARE(Child<QLabel>(*bench.window, "QualityDeviationsHeading")->text(),
             QStringLiteral("規格の公称値と計算値の比較 (N-100)"));
    QVERIFY2(FitsSmallScreen(*bench.window), qPrintable(FrameText(*bench.window)));
    // another copper filter: the curve is no longer N-100, and the window says why nothing is compared
    bench.Box("Text4")->setText("4");
    bench.Draw();
    QVERIFY(ShownDeviations(*bench.window).isEmpty());
    QVERIFY(bench.window->findChild<QLabel*>("QualityDeviationsHeading") == nullptr);
    QCOMPARE(Child<QLabel>(*bench.window, "QualityDeviationNote")->text(),
             QStringLiteral("線質 N-100 を設定した後に入力が変わったため、公称値とは比べません。"));
    QVERIFY(Child<QLabel>(*bench.window, "QualityDeviationNote")->isVisible());
    // its inputs again: compared again; no curve: nothing at all
    bench.Box("Text4")->setText("5");
    bench.Draw();
    QCOMPARE(ShownDeviations(*bench.window), cli);
    QVERIFY(!Child<QLabel>(*bench.window, "QualityDeviationNote")->isVisible());
    Child<QPushButton>(bench.program.window, "Command3")->click();
    QVERIFY(ShownDeviations(*bench.window).isEmpty());
    QVERIFY(Child<QLabel>(*bench.window, "QualityDeviationNote")->text().isEmpty());
  }

  void BasedQualityComparesItsNominalLayerInEnglish() {
    struct EnglishWhileAlive {
      EnglishWhileAlive() { UseLanguage(UiLanguage::English); }
      ~EnglishWhileAlive() { UseLanguage(UiLanguage::Japanese); }
    } english;
    QCOMPARE(CurrentLanguage(), UiLanguage::English);
    {
      Bench bench;
      bench.Box("Text2")->setText("1");
      bench.Box("Text13")->setText("0.5");
      bench.ChooseQuality("RQA5");  // RQR5 fitted, then 21 mm Al: its nominal first layer is compared
      bench.Draw();
      QCOMPARE(bench.messages.texts, QStringList());
      const QMap<QString, QStringList> cli = CliDeviations({"--quality", "RQA5", "--be", "1", "--al-eq", "0.5"});
      QCOMPARE(cli.keys(), QStringList{"hvl1_al_mm"});
      QCOMPARE(ShownDeviations(*bench.window), cli);
      QCOMPARE(Child<QLabel>(*bench.window, "QualityDeviationsHeading")->text(),
               QStringLiteral("Published figures of the quality beside the beam (RQA5)"));
      QStringList labels;
      for (const QLabel* label : bench.window->findChildren<QLabel*>()) labels << label->text();
      for (const char* text : {"Computed", "Nominal", "Deviation", "mm Al"}) QVERIFY2(labels.contains(text), text);
      QVERIFY2(FitsSmallScreen(*bench.window), qPrintable(FrameText(*bench.window)));
      bench.Box("Text1")->setText("71");
      bench.Draw();
      QVERIFY(ShownDeviations(*bench.window).isEmpty());
      QCOMPARE(Child<QLabel>(*bench.window, "QualityDeviationNote")->text(),
               QStringLiteral("The inputs changed after the quality RQA5 was set: its published figures are not compared."));
    }
  }

  void EscapeClosesAndByeByeHides() {
    Bench bench;
    QVERIFY(QTest::qWaitForWindowActive(bench.window));
    QTest::keyClick(bench.window, Qt::Key_Escape);
    QVERIFY(!bench.window->isVisible());
    Child<QToolButton>(bench.program.window, "QualityCommand")->click();
    QVERIFY(bench.window->isVisible());
    Child<QToolButton>(bench.program.window, "Command2")->click();
    QVERIFY(!bench.window->isVisible());
  }
};

QTEST_MAIN(QualityWindowTest)
#include "quality_window_test.moc"
