// "HVL  /  Fluence": the engine's five results shown in three boxes in the last curve's colour,
// and every way of not having results reported instead of showing a stale or garbled number.

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "engine_process.h"
#include "engine_results_panel.h"
#include "palette_color.h"
#include "ui_test_support.h"

using namespace kestrix;
using kestrix::test::MessageBoxCatcher;
using kestrix::test::WorkingFolder;

namespace {

/// a stand-in engine that writes `resultFile` (or nothing when empty) and exits with `exitCode`
QString FakeEngine(const WorkingFolder& folder, const QByteArray& resultFile, int exitCode = 0) {
  const QString path = folder.Path(QStringLiteral("engine.sh"));
  QFile script(path);
  if (!script.open(QIODevice::WriteOnly)) qFatal("cannot write the stand-in engine");
  script.write("#!/bin/sh\n");
  if (!resultFile.isEmpty()) script.write("printf '" + resultFile + "' > HVL_S2.temp\n");
  script.write("exit " + QByteArray::number(exitCode) + "\n");
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

const QByteArray kExampleResults = " 2.345\\r\\n 49.87\\r\\n 0.123\\r\\n 62.31\\r\\n   34560000000.\\r\\n";

}  // namespace

class EngineResultsPanelTest : public QObject {
  Q_OBJECT
  EngineResultsPanel* panel = nullptr;

  QLineEdit* Box(const char* name) const { return panel->findChild<QLineEdit*>(QLatin1String(name)); }
  QStringList Texts() const { return {Box("Text9")->text(), Box("Text8")->text(), Box("Text11")->text()}; }

  /// runs the engine, then presses the enabled results command
  void ShowResultsOf(EngineProcess& engine, int colorIndex) {
    engine.Start(nullptr);
    panel->Command6()->setEnabled(true);
    panel->ShowEngineResults(colorIndex, engine);
  }

 private slots:
  void init() {
    panel = new EngineResultsPanel(nullptr);
    panel->show();
  }
  void cleanup() { delete panel; }

  void ExampleFileShowsLayersAndFluenceInTheCurveColour() {
    WorkingFolder folder(false);
    EngineProcess engine(FakeEngine(folder, kExampleResults));
    MessageBoxCatcher messages;
    ShowResultsOf(engine, kPaletteBlue);
    QCOMPARE(messages.texts, QStringList());
    QCOMPARE(Texts(), (QStringList{"2.345", "0.123", "3.456E+10"}));
    for (const char* name : {"Text9", "Text8", "Text11"}) {
      QCOMPARE(Box(name)->palette().color(QPalette::Text), QColor(0, 0, 255));
    }
    QVERIFY(!panel->Command6()->isEnabled());
  }

  void FieldOfAsterisksIsShownAsNotAvailable() {
    WorkingFolder folder(false);
    EngineProcess engine(FakeEngine(folder, "******\\r\\n******\\r\\n 0.512\\r\\n 80.00\\r\\n***************\\r\\n"));
    MessageBoxCatcher messages;
    ShowResultsOf(engine, kPaletteRed);
    QCOMPARE(Texts(), (QStringList{EngineResultsPanel::NotAvailableText(), "0.512", EngineResultsPanel::NotAvailableText()}));
    QCOMPARE(messages.texts, QStringList());
  }

  void FailuresAreReportedAndLeaveTheBoxesEmpty_data() {
    QTest::addColumn<QByteArray>("resultFile");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file missing") << QByteArray() << 0 << QStringLiteral("HVL_S2.temp");
    QTest::newRow("file garbled") << QByteArray(" 2.345\\r\\n abc\\r\\n") << 0 << QStringLiteral("を読めません");
    QTest::newRow("engine failed") << QByteArray(kExampleResults) << 2 << QStringLiteral("終了コード 2");
  }
  void FailuresAreReportedAndLeaveTheBoxesEmpty() {
    QFETCH(QByteArray, resultFile);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    WorkingFolder folder(false);
    EngineProcess engine(FakeEngine(folder, resultFile, exitCode));
    Box("Text9")->setText(QStringLiteral("9.999"));  // an earlier result must not stay
    MessageBoxCatcher messages;
    ShowResultsOf(engine, kPaletteRed);
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY2(messages.texts[0].contains(expected), qPrintable(messages.texts[0]));
    QCOMPARE(messages.icons[0], QMessageBox::Warning);
    QCOMPARE(messages.titles[0], QStringLiteral("Kestrix"));
    QCOMPARE(messages.buttonCounts[0], 1);
    QCOMPARE(Texts(), (QStringList{"", "", ""}));
    QVERIFY(!panel->Command6()->isEnabled());
  }

  void EngineThatCouldNotStartIsNamed() {
    WorkingFolder folder(false);
    EngineProcess engine(folder.Path(QStringLiteral("Quillon")));
    MessageBoxCatcher messages;
    ShowResultsOf(engine, kPaletteRed);
    QCOMPARE(messages.texts.size(), 1);
    // named in the box, or in its details where the box shows it shortened
    const QString path = folder.Path(QStringLiteral("Quillon"));
    QVERIFY(messages.texts[0].contains(path) || messages.details[0] == path);
    QVERIFY(messages.texts[0].contains(QStringLiteral("プログラムが見つかりません。")));
    QCOMPARE(Texts(), (QStringList{"", "", ""}));
  }

  void UnfinishedEngineLeavesTheCommandEnabled() {
    WorkingFolder folder(false);
    const QString path = folder.Path(QStringLiteral("slow.sh"));
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nsleep 30\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EngineProcess engine(path);
    engine.Start(nullptr);
    panel->Command6()->setEnabled(true);
    MessageBoxCatcher messages;
    panel->ShowEngineResults(kPaletteRed, engine);
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY(messages.texts[0].contains(QStringLiteral("まだ終わっていません")));
    QVERIFY(panel->Command6()->isEnabled());
  }

  void ExtendedFiguresAreTheTooltipOfEveryResultBox() {
    ExtendedBeamQuality figures;
    const double values[kExtendedFigureCount] = {2.58, 3.6033, 0.716, 0.08521, 0.1318, 0.6465, 39.8, 34.62};
    for (std::size_t f = 0; f < kExtendedFigureCount; ++f) figures.values[f] = values[f];
    panel->SetExtendedFigures(figures);
    // Only a box that shows a value explains it.
    for (const char* name : {"Text9", "Text8", "Text11"}) QVERIFY(Box(name)->toolTip().isEmpty());
    for (const char* name : {"Text9", "Text8", "Text11"}) Box(name)->setText(QStringLiteral("1.000"));
    const QString tip = Box("Text9")->toolTip();
    QCOMPARE(Box("Text8")->toolTip(), tip);
    QCOMPARE(Box("Text11")->toolTip(), tip);
    const QStringList lines = tip.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines[0], QStringLiteral("前回の計算の線質"));
    QCOMPARE(lines[1], QStringLiteral("第1半価層 (Al): 2.5800 mmAl"));
    QCOMPARE(lines[2], QStringLiteral("第2半価層 (Al): 3.6033 mmAl"));
    QCOMPARE(lines[3], QStringLiteral("均等度 (Al, HVL1/HVL2): 0.7160"));
    QCOMPARE(lines[5], QStringLiteral("第2半価層 (Cu): 0.13180 mmCu"));
    QCOMPARE(lines[7], QStringLiteral("平均エネルギー (フルエンス加重): 39.80 keV"));
    QCOMPARE(lines[8], QStringLiteral("平均エネルギー (空気カーマ加重): 34.62 keV"));

    // layers that cannot be given say why, in Japanese
    figures.values[kHvl2Cu].reset();
    figures.values[kHomogeneityCu].reset();
    const QStringList partly = EngineResultsPanel::ExtendedFiguresText(figures).split(QLatin1Char('\n'));
    QCOMPARE(partly[5], QStringLiteral("第2半価層 (Cu): 範囲外 (100 mm を超えます)"));
    QCOMPARE(partly[6], QStringLiteral("均等度 (Cu, HVL1/HVL2): 範囲外 (第2半価層がありません)"));
    const QStringList none = EngineResultsPanel::ExtendedFiguresText(ExtendedBeamQuality{}).split(QLatin1Char('\n'));
    QCOMPARE(none[1], QStringLiteral("第1半価層 (Al): 範囲外 (5.5 keV 以上の空気カーマがありません)"));
    QCOMPARE(none[7], QStringLiteral("平均エネルギー (フルエンス加重): 範囲外 (光子がありません)"));

    panel->ClearExtendedFigures();
    QVERIFY(Box("Text9")->toolTip().isEmpty());
    panel->SetExtendedFigures(figures);
    panel->ClearResults();
    QVERIFY(Box("Text9")->toolTip().isEmpty());
  }
};

QTEST_MAIN(EngineResultsPanelTest)
#include "engine_results_panel_test.moc"
