// The main window driven by its controls: Graph Draw with corrected inputs, overlaid curves and
// the read-out, the enable/disable states, Clear Graph, release, " bye bye ", the engine's
// results from the real Quillon, the rendered window's pixels, the refused runs, and the tube's
// target, lines and point off the central ray.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "batch_run.h"
#include "calculation_state.h"
#include "filter_list_panel.h"
#include "graph_mapping.h"
#include "kestrix_program.h"
#include "main_window.h"
#include "program_state.h"
#include "graph_picture.h"
#include "start_screen.h"
#include "window_placement.h"
#include "ui_test_support.h"

using namespace kestrix;
using kestrix::test::Child;
using kestrix::test::MessageBoxCatcher;
using kestrix::test::WorkingFolder;

namespace {

/// topmost row of `image` inside `area` holding colour `color`, or -1
int TopRowOf(const QImage& image, QColor color, const QRect& area) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (image.pixelColor(x, y) == color) return y;
    }
  }
  return -1;
}

int LineCount(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  return file.readAll().count('\n');
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
  std::unique_ptr<WorkingFolder> folder;
  std::unique_ptr<KestrixProgram> program;

  MainWindow& Form2() { return program->Main(); }
  GraphPicture& Graph() { return *Child<GraphPicture>(Form2(), "Picture3"); }
  CalculationState& Calculation() { return program->State().calculation; }
  QLineEdit* Box(const char* name) { return Child<QLineEdit>(Form2(), name); }
  QAbstractButton* Button(const char* name) { return Child<QAbstractButton>(Form2(), name); }
  void Press(const char* name) { Button(name)->click(); }
  void ChooseModel(const char* command) { Child<QPushButton>(program->Opening(), command)->click(); }
  bool Enabled(const char* name) { return Child<QWidget>(Form2(), name)->isEnabled(); }

  /// Graph Draw, answering any message box; returns what the boxes said
  QStringList GraphDraw() {
    MessageBoxCatcher messages;
    Press("Command1");
    return messages.texts;
  }

  QComboBox* TargetBox() { return Child<QComboBox>(Form2(), "TargetMaterialBox"); }
  QCheckBox* LinesBox() { return Child<QCheckBox>(Form2(), "LinesBox"); }
  QString Status() { return Child<QLabel>(Form2(), "StatusLine")->text(); }
  /// the main window after " bye bye " and the start screen's choice of the physics model
  void ChoosePhysics() {
    Press("Command2");
    ChooseModel("Command4");
    QCOMPARE(Form2().Model(), SpectrumModel::Physics);
  }
  /// the exchange file the library writes for `settings` on the working folder's table
  std::string LibraryExchange(const RunSettings& settings) {
    BatchRun batch(folder->Path("MUs_202202.data").toStdString(), {});
    return batch.Run(settings).exchangeFileText;
  }

  void Restart(const QString& enginePath = QString()) {
    program = std::make_unique<KestrixProgram>(enginePath);
    program->Start();
    ChooseModel("Command1");
  }

 private slots:
  void init() {
    folder = std::make_unique<WorkingFolder>();
    Restart();
  }
  void cleanup() {
    program.reset();
    folder.reset();
  }

  void WindowCarriesItsCaptionSizeAndControls() {
    QCOMPARE(Form2().objectName(), QStringLiteral("Form2"));
    QCOMPARE(Form2().windowTitle(), QStringLiteral(" Nedium energy X-ray spectrum"));
    QCOMPARE(Form2().size(), QSize(968, 672));
    QCOMPARE(Button("Command1")->text(), QStringLiteral("Graph Draw"));
    QCOMPARE(Button("Command3")->text(), QStringLiteral("Clear Graph"));
    QCOMPARE(Button("Command7")->text(), QStringLiteral("Data Save"));
    QCOMPARE(Button("Command8")->text(), QStringLiteral("Image Save"));
    QCOMPARE(Button("Command6")->text(), QStringLiteral("HVL  /  Fluence"));
    QCOMPARE(Button("Command4")->text(), QStringLiteral("設定"));
    QCOMPARE(Button("Command5")->text(), QStringLiteral("解除"));
    QCOMPARE(Button("Command2")->text(), QStringLiteral(" bye bye "));
    QCOMPARE(Button("Command6")->toolTip(), QStringLiteral("半価層，実効エネルギーを表示"));
    QCOMPARE(Button("Command7")->toolTip(), QStringLiteral("光子数スペクトルデータを csv 形式で 保存"));
    QCOMPARE(Button("Option11")->toolTip(), QStringLiteral("照射線量スペクトル"));
    QCOMPARE(Child<GraphPicture>(Form2(), "Picture3")->geometry(), QRect(16, 16, 729, 425));
    QCOMPARE(Box("Text1")->geometry().topLeft() + Box("Text1")->parentWidget()->pos(), QPoint(480, 464));
    for (const char* name : {"Option1", "Option2", "Option3", "Option4", "Option5", "Option6", "Option7",
                             "Option8", "Option9", "Option10", "Option11", "Option12", "Text2", "Text3", "Text4",
                             "Text5", "Text13", "Picture1", "Label23", "Label24", "Label25", "Line6", "Line7"}) {
      QVERIFY2(Form2().findChild<QWidget*>(QLatin1String(name)) != nullptr, name);
    }
  }

  void TubeVoltageIsCorrectedAndWrittenBack_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("topBin");
    QTest::newRow("350") << "350" << "300" << 600;
    QTest::newRow("30") << "30" << "30" << 60;
    QTest::newRow("20") << "20" << "30" << 60;
    QTest::newRow("abc") << "abc" << "30" << 60;
    QTest::newRow("empty") << "" << "30" << 60;
    QTest::newRow("fraction kept") << "  99.75kV" << "  99.75kV" << 199;
  }
  void TubeVoltageIsCorrectedAndWrittenBack() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, topBin);
    Box("Text1")->setText(typed);
    QCOMPARE(GraphDraw(), QStringList());
    QCOMPARE(Box("Text1")->text(), shown);
    // The spectrum ends at the voltage used: bins above 2 kVp are 0.
    QVERIFY(Calculation().SpectrumBins[topBin - 1] > 0);
    for (int i = topBin + 1; i <= 1000; ++i) QCOMPARE(Calculation().SpectrumBins[i], 0.0);
    QCOMPARE(LineCount(folder->Path("B_SPCTL.temp")), 600);
  }

  void InherentFiltrationRuleDiffersBetweenModels() {
    Box("Text2")->setText("0");
    Box("Text13")->setText("0");
    GraphDraw();
    QCOMPARE(Box("Text2")->text(), QStringLiteral("0"));
    QCOMPARE(Box("Text13")->text(), QStringLiteral("0.5"));

    Press("Command2");
    ChooseModel("Command2");  // Birch
    Box("Text2")->setText("0");
    Box("Text13")->setText("0");
    GraphDraw();
    QCOMPARE(Box("Text2")->text(), QStringLiteral("0"));
    QCOMPARE(Box("Text13")->text(), QStringLiteral("0"));
  }

  void TwoCurvesBothReachTheTopAndTheReadoutFollowsTheSecond() {
    GraphDraw();  // RED, 200 kV
    Button("Option2")->click();
    Box("Text1")->setText("50");
    GraphDraw();  // BLUE, 50 kV: below the tungsten K edge, so its peak lies apart from the K lines
    const QImage& image = Graph().Image();
    const QPoint topLeft = GraphLogicalToPixel({kFrameLeft, kFrameTop}, image.size());
    const QPoint bottomRight = GraphLogicalToPixel({kFrameRight, kFrameBottom}, image.size());
    const QRect frame(topLeft, bottomRight);
    QVERIFY(TopRowOf(image, Qt::red, frame) <= topLeft.y() + 2);
    QVERIFY(TopRowOf(image, Qt::blue, frame) <= topLeft.y() + 2);
    QCOMPARE(program->State().curveColorIndex, 9);

    Graph().MouseMovedTo({2000 + 30 * 150, 1000});  // 150 keV: beyond the 50 kV spectrum
    QCOMPARE(Box("Text6")->text(), QStringLiteral("150.0"));
    QCOMPARE(Box("Text7")->text(), QStringLiteral("0.000"));
    QCOMPARE(Child<QWidget>(Form2(), "Line6")->isVisible(), true);
    Graph().MouseMovedTo({2015, 1000});
    QCOMPARE(Box("Text6")->text(), QStringLiteral("0.5"));
    QCOMPARE(Box("Text7")->text(), QStringLiteral("0.000"));
    Graph().MouseMovedTo({2000, 1000});
    QVERIFY(Box("Text6")->text().isEmpty() && Box("Text7")->text().isEmpty());
  }

  void ArrowKeysMoveTheCursorAndChangeNoOtherControl() {
    Form2().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form2()));
    GraphDraw();
    Graph().MouseMovedTo({2000 + 30 * 50, 1000});
    QCOMPARE(Box("Text6")->text(), QStringLiteral("50.0"));
    Box("Text5")->setFocus();
    Box("Text5")->setCursorPosition(0);
    QTest::keyClick(Box("Text5"), Qt::Key_Right);
    QCOMPARE(Box("Text6")->text(), QStringLiteral("50.5"));
    QCOMPARE(Box("Text5")->cursorPosition(), 1);  // the text cursor moves along
    // On a colour option the arrows neither choose another colour nor move the focus.
    Button("Option1")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(Box("Text6")->text(), QStringLiteral("51.5"));
    QVERIFY(Child<QRadioButton>(Form2(), "Option1")->isChecked());
    QCOMPARE(QApplication::focusWidget(), Button("Option1"));
    // On a button four presses and Enter press that button, not " bye bye ".
    Button("Command1")->setFocus();
    for (int k = 0; k < 4; ++k) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QCOMPARE(Box("Text6")->text(), QStringLiteral("49.5"));
    QCOMPARE(QApplication::focusWidget(), Button("Command1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(Form2().isVisible());
    // A click on the graph takes the focus there; the arrows then move the cursor only.
    QTest::mouseClick(&Graph(), Qt::LeftButton, {}, Graph().WidgetPixelOf({6000, 1000}));
    QCOMPARE(QApplication::focusWidget(), &Graph());
  }

  void EnterDrawsFromAnInputBoxAndPressesAFocusedButton() {
    Form2().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form2()));
    Box("Text1")->setFocus();
    {
      MessageBoxCatcher catcher;
      QTest::keyClick(Box("Text1"), Qt::Key_Return);
      QCOMPARE(catcher.texts, QStringList());
    }
    QVERIFY(Enabled("Command7"));  // Graph Draw ran
    Button("Command3")->setFocus();
    QTest::keyClick(Button("Command3"), Qt::Key_Enter);
    QVERIFY(!Enabled("Command7"));  // Clear Graph ran
    // The picture button " bye bye " takes the focus, says what it does and presses on Enter.
    auto* byeBye = Child<QToolButton>(Form2(), "Command2");
    QVERIFY(!byeBye->toolTip().isEmpty());
    byeBye->setFocus();
    QVERIFY(byeBye->hasFocus());
    QTest::keyClick(byeBye, Qt::Key_Return);
    QVERIFY(!Form2().isVisible());
  }

  void TabReachesTheGraphWhoseArrowsSwitchTheCursorOnWithAFocusFrame() {
    GraphDraw();
    Form2().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form2()));
    Box("Text1")->setFocus();
    const QImage unfocused = Graph().grab().toImage();
    for (int k = 0; k < 60 && QApplication::focusWidget() != &Graph(); ++k) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), &Graph());
    QVERIFY(Graph().grab().toImage() != unfocused);
    QVERIFY(!Graph().CursorActive());
    QTest::keyClick(&Graph(), Qt::Key_Right);
    QVERIFY(Graph().CursorActive());
    QVERIFY(!Box("Text6")->text().isEmpty());
  }

  void ColourNamesAreReadableOnTheirPanel() {
    // CYAN and GREEN in their dark partners on the light cyan panel; the others as drawn
    QCOMPARE(Child<QRadioButton>(Form2(), "Option5")->palette().color(QPalette::WindowText), QColor(0, 128, 128));
    QCOMPARE(Child<QRadioButton>(Form2(), "Option3")->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    QCOMPARE(Child<QRadioButton>(Form2(), "Option1")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  }

  void PictureButtonShowsAFocusFrame() {
    Form2().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form2()));
    auto* byeBye = Child<QToolButton>(Form2(), "Command2");
    Button("Command1")->setFocus();
    const QImage unfocused = byeBye->grab().toImage();
    byeBye->setFocus();
    const QImage focused = byeBye->grab().toImage();
    QVERIFY(unfocused != focused);
  }

  void StateTableFollowsDrawClearAndResults() {
    QVERIFY(Enabled("Option10") && Enabled("Option11") && Enabled("Option12"));
    GraphDraw();
    QVERIFY(!Enabled("Option10") && !Enabled("Option11") && !Enabled("Option12"));
    QVERIFY(Enabled("Command6") && Enabled("Command7") && Enabled("Command8"));
    QVERIFY(!Child<QLabel>(Form2(), "Label14")->isVisible());

    Press("Command3");  // Clear Graph: no results of a curve no longer drawn
    QVERIFY(!Enabled("Command6"));
    QVERIFY(!Enabled("Command7") && !Enabled("Command8"));
    QVERIFY(Enabled("Option10") && Enabled("Option11") && Enabled("Option12"));
    QVERIFY(Child<QLabel>(Form2(), "Label14")->isVisible());
    QCOMPARE(Calculation().SpectrumPeak, 0.0);
    Graph().MouseMovedTo({5000, 1000});
    QVERIFY(Box("Text6")->text().isEmpty());

    GraphDraw();
    MessageBoxCatcher messages;
    Press("Command6");
    QVERIFY(!Enabled("Command6"));
    Press("Command3");  // ... and disabled
    QVERIFY(!Enabled("Command6"));
  }

  void ClearGraphAndReleaseRemoveTheFilters() {
    ArbitraryFilterSet& filters = Calculation().filters;
    for (int slot = 1; slot <= 3; ++slot) {
      filters.coefficients[slot].fill(5.0);
      filters.thickness[slot] = 0.1;
      Form2().FilterList()->ListFilter(slot, QStringLiteral("Lead"), 0.1);
    }
    filters.count = 3;
    Form2().SetFilterCommandEnabled(false);
    Press("Command5");  // release: filters gone, "設定" usable again
    QCOMPARE(filters.count, 0);
    QCOMPARE(filters.coefficients[2][100], 0.0);
    QCOMPARE(Form2().FilterList()->Lines(), (QStringList{"", "", ""}));
    QVERIFY(Enabled("Command4"));
    Form2().FilterList()->ListFilter(1, QStringLiteral("Lead"), 0.1);
    filters.count = 1;
    filters.coefficients[1].fill(5.0);
    Press("Command3");  // Clear Graph: filters gone and "設定" usable again
    QCOMPARE(filters.count, 0);
    QCOMPARE(filters.coefficients[1][600], 0.0);
    QCOMPARE(Form2().FilterList()->Lines(), (QStringList{"", "", ""}));
    QVERIFY(Enabled("Command4"));
  }

  void DisplayQuantityChangesTheSpectrumButNotTheExchangeFile() {
    GraphDraw();
    QFile photon(folder->Path("B_SPCTL.temp"));
    QVERIFY(photon.open(QIODevice::ReadOnly));
    const QByteArray photonFile = photon.readAll();
    photon.close();
    const double photonPeak = Calculation().SpectrumPeak;
    Press("Command3");
    Button("Option12")->click();
    QCOMPARE(Child<QLabel>(Form2(), "Label25")->text(), QStringLiteral("相対エネルギー"));
    GraphDraw();
    QVERIFY(photon.open(QIODevice::ReadOnly));
    QCOMPARE(photon.readAll(), photonFile);
    QVERIFY(Calculation().SpectrumPeak != photonPeak);
  }

  void ReadoutCaptionFitsBeforeItsValueBoxForEveryQuantity() {
    auto* label25 = Child<QLabel>(Form2(), "Label25");
    const int text7Left = Box("Text7")->geometry().left();
    for (const char* option : {"Option10", "Option11", "Option12"}) {
      Button(option)->click();
      const int textWidth = label25->fontMetrics().horizontalAdvance(label25->text());
      QVERIFY2(textWidth <= label25->contentsRect().width(), qPrintable(label25->text()));
      const int captionRight = label25->mapTo(&Form2(), QPoint(textWidth, 0)).x();
      QVERIFY2(captionRight <= text7Left, qPrintable(label25->text()));
    }
  }

  void ByeByeAndNewModelRestoreDefaultsButKeepTheColour() {
    Button("Option5")->click();  // CYAN
    Box("Text5")->setText("12");
    GraphDraw();
    Press("Command2");
    QVERIFY(!Form2().isVisible());
    QVERIFY(program->Opening().isVisible());
    ChooseModel("Command1");
    QVERIFY(Form2().isVisible());
    QCOMPARE(Box("Text5")->text(), QStringLiteral("20"));
    QVERIFY(Child<QRadioButton>(Form2(), "Option5")->isChecked());
    QVERIFY(!Enabled("Command6") && !Enabled("Command7") && !Enabled("Command8"));
    // The graph is empty again: white where the curve was.
    const QImage& image = Graph().Image();
    QCOMPARE(TopRowOf(image, Qt::cyan, image.rect()), -1);
  }

  void ClosingTheWindowReturnsToTheStartScreen() {
    Box("Text3")->setText("1.5");
    Form2().close();
    QVERIFY(!Form2().isVisible());
    QVERIFY(program->Opening().isVisible());
    QCOMPARE(Box("Text3")->text(), QStringLiteral("1.5"));  // kept, not destroyed
  }

  void ResultsOfTheRealEngineAreShownInTheLastCurveColour() {
    Form2().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form2()));
    Button("Option2")->click();
    QCOMPARE(GraphDraw(), QStringList());
    QStringList messages;
    {
      MessageBoxCatcher catcher;
      Press("Command6");
      messages = catcher.texts;
    }
    QCOMPARE(messages, QStringList());
    QRegularExpression fixed3(QStringLiteral("^\\d+\\.\\d{3}$"));
    QVERIFY2(fixed3.match(Box("Text9")->text()).hasMatch(), qPrintable(Box("Text9")->text()));
    QVERIFY2(fixed3.match(Box("Text8")->text()).hasMatch(), qPrintable(Box("Text8")->text()));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\.\\d{3}E[+-]\\d{2}$")).match(Box("Text11")->text()).hasMatch(),
             qPrintable(Box("Text11")->text()));
    // Aluminium halves a beam in a thicker layer than copper does.
    QVERIFY(Box("Text9")->text().toDouble() > Box("Text8")->text().toDouble());
    for (const char* name : {"Text9", "Text8", "Text11"}) {
      QCOMPARE(Box(name)->palette().color(QPalette::Text), QColor(0, 0, 255));
    }
    QVERIFY(!Enabled("Command6"));
    QVERIFY(Button("Command1")->hasFocus());
    // The next Graph Draw empties the results.
    GraphDraw();
    QVERIFY(Box("Text9")->text().isEmpty());
  }

  void ResultBoxesShowTheExtendedFiguresOfTheLastRunOnHover() {
    QVERIFY(Box("Text9")->toolTip().isEmpty());
    Box("Text1")->setText("100");
    GraphDraw();
    QVERIFY(Box("Text9")->toolTip().isEmpty());  // nothing to explain in an empty box
    {
      MessageBoxCatcher messages;
      Press("Command6");
    }
    const QString hundred = Box("Text9")->toolTip();
    QVERIFY2(hundred.contains(QStringLiteral("第2半価層 (Al): ")) && hundred.contains(QStringLiteral(" mmAl")),
             qPrintable(hundred));
    QVERIFY(!hundred.contains(QStringLiteral("倍精度")));
    QCOMPARE(Box("Text11")->toolTip(), hundred);
    Box("Text4")->setText("1");  // a harder beam changes the figures
    GraphDraw();
    {
      MessageBoxCatcher messages;
      Press("Command6");
    }
    QVERIFY(Box("Text8")->toolTip() != hundred);
    Press("Command3");
    QVERIFY(Box("Text8")->toolTip().isEmpty());
  }

  void NegativeThicknessIsRefusedNamingTheBox_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("name");
    QTest::newRow("added aluminium") << "Text3" << "アルミ付加フィルタ";
    QTest::newRow("added copper") << "Text4" << "銅付加フィルタ";
    QTest::newRow("beryllium") << "Text2" << "固有ろ過 (ベリリウム)";
    QTest::newRow("aluminium equivalent") << "Text13" << "固有ろ過 (アルミ当量)";
  }
  void NegativeThicknessIsRefusedNamingTheBox() {
    QFETCH(QString, box);
    QFETCH(QString, name);
    const QImage empty = Graph().Image().copy();
    Box(qPrintable(box))->setText("-1");
    const QStringList messages = GraphDraw();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(QStringLiteral("「") + name + QStringLiteral("」に負の値")), qPrintable(messages[0]));
    QCOMPARE(Graph().Image(), empty);
    QVERIFY(!folder->Exists("B_SPCTL.temp"));
    QVERIFY(!Enabled("Command7"));
    QCOMPARE(Box(qPrintable(box))->text(), QStringLiteral("-1"));
  }

  void NegativeThicknessIsRefusedBeforeTheInherentCorrection_data() {
    QTest::addColumn<QString>("beryllium");
    QTest::addColumn<QString>("aluminium");
    QTest::addColumn<QString>("name");
    QTest::newRow("Be 1, Al -5") << "1" << "-5" << "固有ろ過 (アルミ当量)";
    QTest::newRow("Be 0.5, Al -1") << "0.5" << "-1" << "固有ろ過 (アルミ当量)";
    QTest::newRow("Be -1, Al 0") << "-1" << "0" << "固有ろ過 (ベリリウム)";
    QTest::newRow("full-width Be 1, Al -5") << "１" << "－５" << "固有ろ過 (アルミ当量)";
  }
  void NegativeThicknessIsRefusedBeforeTheInherentCorrection() {
    QFETCH(QString, beryllium);
    QFETCH(QString, aluminium);
    QFETCH(QString, name);
    Box("Text2")->setText(beryllium);
    Box("Text13")->setText(aluminium);
    const QStringList messages = GraphDraw();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(QStringLiteral("「") + name + QStringLiteral("」に負の値")), qPrintable(messages[0]));
    QCOMPARE(Box("Text2")->text(), beryllium);
    QCOMPARE(Box("Text13")->text(), aluminium);
    QVERIFY(!folder->Exists("B_SPCTL.temp"));
  }

  void EveryCorrectionIsShownInItsBoxAndTheStatusLine() {
    auto status = [this] { return Child<QLabel>(Form2(), "StatusLine")->text(); };
    QVERIFY(status().isEmpty());
    Box("Text1")->setText(QStringLiteral("８０"));  // full-width digits as a Japanese input method types them
    Box("Text3")->setText("abc");
    Box("Text4")->setText("");
    QCOMPARE(GraphDraw(), QStringList());
    QCOMPARE(Box("Text1")->text(), QStringLiteral("80"));
    QVERIFY(Calculation().SpectrumBins[159] > 0);
    QCOMPARE(Calculation().SpectrumBins[161], 0.0);
    QCOMPARE(Box("Text3")->text(), QStringLiteral("0"));
    QCOMPARE(Box("Text4")->text(), QStringLiteral("0"));
    QVERIFY2(status().contains(QStringLiteral("「アルミ付加フィルタ」の「abc」は数ではないため、0 mm で計算しました。")),
             qPrintable(status()));
    QVERIFY2(status().contains(QStringLiteral("「銅付加フィルタ」が空のため")), qPrintable(status()));

    Box("Text1")->setText("350");
    Box("Text2")->setText("0");
    Box("Text13")->setText("0");
    QCOMPARE(GraphDraw(), QStringList());
    QVERIFY2(status().contains(QStringLiteral("Ｘ線管電圧 350 kV は上限の 300 kV を超えるため")), qPrintable(status()));
    QVERIFY2(status().contains(QStringLiteral("アルミ当量 0.5 mm で計算しました")), qPrintable(status()));
    QVERIFY(!status().contains(QStringLiteral("アルミ付加フィルタ")));
    QCOMPARE(GraphDraw(), QStringList());  // nothing left to correct
    QVERIFY(status().isEmpty());
  }

  void AngleThatIsNotANumberIsRefusedSayingSo_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("said");
    QTest::newRow("empty") << "" << "「ターゲット角度」が空です。";
    QTest::newRow("letters") << "abc" << "「ターゲット角度」の「abc」は数ではありません。";
  }
  void AngleThatIsNotANumberIsRefusedSayingSo() {
    QFETCH(QString, typed);
    QFETCH(QString, said);
    Box("Text5")->setText(typed);
    const QStringList messages = GraphDraw();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(said) && !messages[0].contains(QStringLiteral("0 度")), qPrintable(messages[0]));
    QCOMPARE(Box("Text5")->text(), typed);
  }

  void TubeChoicesFollowTheModel() {
    // a formula model computes tungsten with its lines: both shown, greyed
    QCOMPARE(TargetBox()->count(), 1);
    QCOMPARE(TargetBox()->currentText(), QStringLiteral("W"));
    QVERIFY(!TargetBox()->isEnabled());
    QVERIFY(LinesBox()->isChecked() && !LinesBox()->isEnabled());
    QCOMPARE(Box("OffAxisAlongBox")->text(), QStringLiteral("0"));
    QCOMPARE(Box("OffAxisAcrossBox")->text(), QStringLiteral("0"));
    QVERIFY(Box("OffAxisAlongBox")->isEnabled());  // every model computes a point off the central ray
    ChoosePhysics();
    QCOMPARE(TargetBox()->count(), 5);
    QCOMPARE(TargetBox()->itemText(1), QStringLiteral("Mo"));
    QCOMPARE(TargetBox()->itemText(2), QStringLiteral("Rh"));
    QCOMPARE(TargetBox()->itemText(3), QStringLiteral("Ag"));
    QCOMPARE(TargetBox()->itemText(4), QStringLiteral("Au"));
    QVERIFY(TargetBox()->isEnabled() && LinesBox()->isEnabled());
    QVERIFY(Form2().SetTarget(TargetMaterial::Rhodium));
    LinesBox()->setChecked(false);
    Box("OffAxisAlongBox")->setText("5");
    // a new model choice starts again from tungsten, the lines and the central ray
    Press("Command2");
    ChooseModel("Command4");
    QCOMPARE(Form2().Target(), TargetMaterial::Tungsten);
    QVERIFY(Form2().CharacteristicLines());
    QCOMPARE(Box("OffAxisAlongBox")->text(), QStringLiteral("0"));
    Press("Command2");
    ChooseModel("Command1");
    QVERIFY(!Form2().SetTarget(TargetMaterial::Molybdenum));
    QCOMPARE(Form2().Target(), TargetMaterial::Tungsten);
  }

  void ATransmissionTargetGreysTheAngleAndComputesTheLibrarysBeam() {
    // a formula model has no transmission target
    QVERIFY(!Enabled("TransmissionButton"));
    QVERIFY(!Form2().SetTransmission(TransmissionTarget{1, TransmissionWindow::Diamond, 0.3}));
    QVERIFY(!Form2().Transmission().IsTransmission());
    ChoosePhysics();
    QVERIFY(Enabled("TransmissionButton") && Enabled("Text5"));
    QVERIFY(Form2().SetTarget(TargetMaterial::Molybdenum));
    const TransmissionTarget target{1, TransmissionWindow::Diamond, 0.3};
    QVERIFY(Form2().SetTransmission(target));
    // the layer is tungsten; there is no target angle
    QCOMPARE(Form2().Target(), TargetMaterial::Tungsten);
    QVERIFY(!Enabled("Text5") && !Enabled("TargetMaterialBox"));
    QVERIFY(Button("TransmissionButton")->isChecked());
    QVERIFY(Button("TransmissionButton")->toolTip().contains(QStringLiteral("層 1 µm、窓 diamond 0.3 mm")));
    Box("Text1")->setText("100");
    Box("Text5")->setText("abc");  // greyed, and not read
    QCOMPARE(GraphDraw(), QStringList());
    RunSettings settings;
    settings.model = SpectrumModel::Physics;
    settings.entries.tubeVoltageKV = 100;
    settings.entries.transmission = target;
    QCOMPARE(folder->Read("B_SPCTL.temp").toStdString(), LibraryExchange(settings));
    QCOMPARE(Form2().LastRun()->settings.entries.transmission, target);
    QCOMPARE(Form2().TypedEntries().transmission, target);
    // back to reflection: the angle is read again
    QVERIFY(Form2().SetTransmission(TransmissionTarget{}));
    QVERIFY(Enabled("Text5") && Enabled("TargetMaterialBox") && !Button("TransmissionButton")->isChecked());
    // a new model choice starts again from the reflection target
    QVERIFY(Form2().SetTransmission(target));
    Press("Command2");
    ChooseModel("Command4");
    QVERIFY(!Form2().Transmission().IsTransmission());
    QVERIFY(Enabled("Text5"));
  }

  void ATransmissionTargetWithATooThinWindowIsRefusedAndChangesNothing() {
    ChoosePhysics();
    Box("Text1")->setText("100");
    QCOMPARE(GraphDraw(), QStringList());
    const QByteArray drawn = folder->Read("B_SPCTL.temp");
    QVERIFY(Form2().SetTransmission(TransmissionTarget{1, TransmissionWindow::Aluminium, 0.01}));
    Box("Text2")->setText("abc");
    const QStringList messages = GraphDraw();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(QStringLiteral("透過ターゲットの窓 (Al 0.01 mm) は、100 kV の電子の飛程")),
             qPrintable(messages[0]));
    QCOMPARE(folder->Read("B_SPCTL.temp"), drawn);  // the last spectrum's file stays
    QCOMPARE(Box("Text2")->text(), QStringLiteral("abc"));  // and the boxes as typed
    QVERIFY(!Form2().LastRun());
    QVERIFY(Button("TransmissionButton")->hasFocus() || !Form2().isActiveWindow());
  }

  void TargetSwitchesTheVoltageRangeAndNamesTheCorrection() {
    ChoosePhysics();
    auto caption = [this] {
      for (QLabel* label : Form2().findChildren<QLabel*>()) {
        if (label->text().startsWith(QStringLiteral("Ｘ線管電圧"))) return label->text();
      }
      return QString();
    };
    QCOMPARE(caption(), QStringLiteral("Ｘ線管電圧(～300)"));
    QVERIFY(Form2().SetTarget(TargetMaterial::Molybdenum));
    QCOMPARE(caption(), QStringLiteral("Ｘ線管電圧(～50)"));
    Box("Text1")->setText("60");
    QCOMPARE(GraphDraw(), QStringList());
    QCOMPARE(Box("Text1")->text(), QStringLiteral("50"));
    QVERIFY2(Status().contains(QStringLiteral("Ｘ線管電圧 60 kV は Mo ターゲットの上限の 50 kV を超えるため、50 kV で計算しました。")),
             qPrintable(Status()));
    QVERIFY(Child<QLabel>(Form2(), "StatusLine")->isVisible());
    QVERIFY(Calculation().SpectrumBins[99] > 0);  // 49.5 keV
    for (int i = 101; i <= 1000; ++i) QCOMPARE(Calculation().SpectrumBins[i], 0.0);
    QCOMPARE(Form2().LastRun()->settings.entries.target, TargetMaterial::Molybdenum);
    QCOMPARE(Form2().LastRun()->settings.entries.tubeVoltageKV, 50.0);
    // the molybdenum beam is the library's for the same inputs, byte for byte
    RunSettings molybdenum;
    molybdenum.model = SpectrumModel::Physics;
    molybdenum.entries.tubeVoltageKV = 50;
    molybdenum.entries.target = TargetMaterial::Molybdenum;
    QCOMPARE(folder->Read("B_SPCTL.temp").toStdString(), LibraryExchange(molybdenum));
    // the lowest end has the target named too; tungsten takes 60 kV as it is
    Box("Text1")->setText("10");
    QCOMPARE(GraphDraw(), QStringList());
    QVERIFY2(Status().contains(QStringLiteral("Ｘ線管電圧 10 kV は Mo ターゲットの下限の 20 kV 以下のため、20 kV で計算しました。")),
             qPrintable(Status()));
    QVERIFY(Form2().SetTarget(TargetMaterial::Tungsten));
    Box("Text1")->setText("60");
    QCOMPARE(GraphDraw(), QStringList());
    QCOMPARE(Box("Text1")->text(), QStringLiteral("60"));
    QVERIFY(Status().isEmpty());
  }

  void OffAxisZeroGivesTheCentralRaysNumbers_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("along");
    QTest::addColumn<QString>("across");
    QTest::newRow("tucker 0 0") << 0 << "0" << "0";
    QTest::newRow("tucker -0 0.0") << 0 << "-0" << "0.0";
    QTest::newRow("physics 0 0") << 2 << "0" << "0";
    QTest::newRow("physics full-width 0") << 2 << "０" << "0e5";
  }
  void OffAxisZeroGivesTheCentralRaysNumbers() {
    QFETCH(int, model);
    QFETCH(QString, along);
    QFETCH(QString, across);
    if (model == 2) ChoosePhysics();
    Box("Text1")->setText("100");
    Box("OffAxisAlongBox")->setText(along);
    Box("OffAxisAcrossBox")->setText(across);
    QCOMPARE(GraphDraw(), QStringList());
    QVERIFY(Status().isEmpty());
    RunSettings central;
    central.model = model == 2 ? SpectrumModel::Physics : SpectrumModel::Tucker;
    central.entries.tubeVoltageKV = 100;
    QCOMPARE(folder->Read("B_SPCTL.temp").toStdString(), LibraryExchange(central));
    // off the central ray the beam differs: towards the anode the target absorbs more
    Box("OffAxisAlongBox")->setText("-10");
    QCOMPARE(GraphDraw(), QStringList());
    QVERIFY(folder->Read("B_SPCTL.temp").toStdString() != LibraryExchange(central));
    central.entries.offAxisAlongDegrees = -10;
    QCOMPARE(folder->Read("B_SPCTL.temp").toStdString(), LibraryExchange(central));
    QCOMPARE(Form2().LastRun()->settings.entries.offAxisAlongDegrees, -10.0);
  }

  void OffAxisAnglesAreCorrectedToTheLargestOrRefusedBehindTheTarget() {
    Box("OffAxisAlongBox")->setText("75");
    Box("OffAxisAcrossBox")->setText("abc");
    QCOMPARE(GraphDraw(), QStringList());
    QCOMPARE(Box("OffAxisAlongBox")->text(), QStringLiteral("60"));
    QCOMPARE(Box("OffAxisAcrossBox")->text(), QStringLiteral("0"));
    QVERIFY2(Status().contains(QStringLiteral("軸外角度 (管軸方向) 75 度は上限の 60 度を超えるため、60 度で計算しました。")),
             qPrintable(Status()));
    QVERIFY2(Status().contains(QStringLiteral("「軸外角度 (管軸に直交)」の「abc」は数ではないため、0 度で計算しました。")),
             qPrintable(Status()));
    QCOMPARE(Form2().LastRun()->settings.entries.offAxisAlongDegrees, 60.0);
    Box("OffAxisAcrossBox")->setText("-1e999");
    QCOMPARE(GraphDraw(), QStringList());
    QCOMPARE(Box("OffAxisAcrossBox")->text(), QStringLiteral("-60"));
    QVERIFY2(Status().contains(QStringLiteral("軸外角度 (管軸に直交) -inf 度は下限の -60 度を下回るため、-60 度で計算しました。")),
             qPrintable(Status()));

    // a point behind the target surface is refused, naming the box, and nothing is written
    const QByteArray exchange = folder->Read("B_SPCTL.temp");
    Box("OffAxisAlongBox")->setText("-25");
    Box("Text3")->setText("abc");
    const QStringList messages = GraphDraw();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(QStringLiteral("「軸外角度 (管軸方向)」の -25 度では、点がターゲット面の裏側になります。ターゲット角度 20 度では、管軸方向の角度を -20 度より大きくして下さい。")),
             qPrintable(messages[0]));
    QCOMPARE(Box("OffAxisAlongBox")->text(), QStringLiteral("-25"));
    QCOMPARE(Box("Text3")->text(), QStringLiteral("abc"));  // refused before any correction
    QCOMPARE(Box("OffAxisAlongBox")->selectedText(), QStringLiteral("-25"));  // selected for typing anew
    QCOMPARE(folder->Read("B_SPCTL.temp"), exchange);
    QVERIFY(!Form2().LastRun());
    // an unusable target angle is the target angle's refusal, not the point's
    Box("Text5")->setText("0");
    const QStringList angle = GraphDraw();
    QCOMPARE(angle.size(), 1);
    QVERIFY2(angle[0].contains(QStringLiteral("ターゲット角度 0 度は使えません")), qPrintable(angle[0]));
  }

  void LinesBoxLeavesOutTheLinesAlone() {
    ChoosePhysics();
    Box("Text1")->setText("100");
    QCOMPARE(GraphDraw(), QStringList());
    const GridArray withLines = Calculation().SpectrumBins;
    LinesBox()->setChecked(false);
    QCOMPARE(GraphDraw(), QStringList());
    const GridArray without = Calculation().SpectrumBins;
    QVERIFY(!Form2().LastRun()->settings.entries.characteristicLines);
    // the tungsten K lines (about 58 to 69 keV) are gone; the bremsstrahlung below them stays
    double lines = 0;
    for (int i = 2; i <= 200; ++i) {
      QVERIFY(without[i] <= withLines[i]);
      lines += withLines[i] - without[i];
    }
    QVERIFY(lines > 0);
    for (int i : {60, 80, 100, 180}) QCOMPARE(without[i], withLines[i]);  // 30, 40, 50, 90 keV
    RunSettings bremsstrahlung;
    bremsstrahlung.model = SpectrumModel::Physics;
    bremsstrahlung.entries.tubeVoltageKV = 100;
    bremsstrahlung.entries.characteristicLines = false;
    QCOMPARE(folder->Read("B_SPCTL.temp").toStdString(), LibraryExchange(bremsstrahlung));
  }

  void WindowFitsASmallScreenAndKeepsItsSizeOnALargeOne() {
    const QRect large(0, 0, 1600, 1000);
    PlaceWithin(&Form2(), large.center(), large);
    QApplication::processEvents();
    QCOMPARE(Form2().size(), QSize(968, 672));
    auto* scroll = Child<QScrollArea>(Form2(), "ScrollArea");
    QVERIFY(!scroll->verticalScrollBar()->isVisible() && !scroll->horizontalScrollBar()->isVisible());

    const QRect small(0, 0, 1024, 600 - 40);  // a 1024 x 600 screen less a task bar
    PlaceWithin(&Form2(), small.center(), small);
    QApplication::processEvents();
    QVERIFY(small.contains(Form2().frameGeometry()));
    // Every control can be scrolled into view.
    for (const char* name : {"Text3", "Text4", "Command4", "Command5", "Command7", "Command8", "Command2",
                             "TargetMaterialBox", "LinesBox", "OffAxisAlongBox", "OffAxisAcrossBox"}) {
      QWidget* control = Child<QWidget>(Form2(), name);
      scroll->ensureWidgetVisible(control);
      const QRect shown(control->mapTo(&Form2(), QPoint(0, 0)), control->size());
      QVERIFY2(scroll->viewport()->geometry().contains(shown), name);
    }
    // Only the height scrolls: the width has room for the scroll bar.
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
  }

  void RenderedWindowShowsGreyGridPaletteCurveAndBlackFrame() {
    Button("Option3")->click();  // GREEN
    GraphDraw();
    const QString png = folder->Path("main_window.png");
    QVERIFY(Form2().grab().save(png));
    const QImage shot(png);
    QCOMPARE(shot.size(), QSize(968, 672));
    const QPoint origin = Graph().mapTo(&Form2(), QPoint(GraphPicture::kBorderPx, GraphPicture::kBorderPx));
    auto at = [&](double x, double y) {
      return shot.pixelColor(origin + GraphLogicalToPixel({x, y}, Graph().Image().size()));
    };
    QCOMPARE(at(10250, 1000), QColor(128, 128, 128));  // vertical grid line at 275 keV
    QCOMPARE(at(10600, 1900), QColor(128, 128, 128));  // horizontal grid line at 0.1
    QCOMPARE(at(2000, 1000), QColor(0, 0, 0));         // frame, left edge
    QCOMPARE(at(6500, 100), QColor(0, 0, 0));          // frame, top edge
    // The curve crosses the 100 keV column somewhere between the frame edges, in pure green.
    bool green = false;
    for (double y = 120; y < 2090 && !green; y += 5) green = at(5000, y) == QColor(0, 255, 0);
    QVERIFY(green);
  }

  void RefusedRunKeepsTheLastCurveReadAndExported() {
    QVERIFY(GraphDraw().isEmpty());
    const QByteArray exchange = folder->Read("B_SPCTL.temp");
    Graph().MouseMovedTo({5000, 1000});
    const QString energy = Box("Text6")->text();
    const QString value = Box("Text7")->text();
    QVERIFY(!value.isEmpty());

    for (const char* name : {"Text9", "Text8", "Text11"}) Box(name)->setText(QStringLiteral("9.999"));

    Box("Text5")->setText(QStringLiteral("0"));
    QCOMPARE(GraphDraw().size(), 1);
    // No figures stand beside inputs that were not computed, and none can be fetched for them.
    for (const char* name : {"Text9", "Text8", "Text11"}) {
      QVERIFY(Box(name)->text().isEmpty());
      QVERIFY(Box(name)->toolTip().isEmpty());
    }
    QVERIFY(!Enabled("Command6"));
    Graph().MouseMovedTo({5000, 1000});
    QCOMPARE(Box("Text6")->text(), energy);
    QCOMPARE(Box("Text7")->text(), value);
    QCOMPARE(folder->Read("B_SPCTL.temp"), exchange);
    QVERIFY(Enabled("Command7") && Enabled("Command8"));
  }

  void RefusedRunsWriteAndDrawNothing_data() {
    QTest::addColumn<QString>("angle");
    QTest::addColumn<QString>("copper");
    QTest::newRow("angle 0") << "0" << "0";
    QTest::newRow("angle 180") << "180" << "0";
    QTest::newRow("angle -10") << "-10" << "0";
    QTest::newRow("everything absorbed") << "20" << "100000";
  }
  void RefusedRunsWriteAndDrawNothing() {
    QFETCH(QString, angle);
    QFETCH(QString, copper);
    const QImage empty = Graph().Image().copy();
    Box("Text5")->setText(angle);
    Box("Text4")->setText(copper);
    MessageBoxCatcher messages;
    Press("Command1");
    QCOMPARE(messages.texts.size(), 1);
    QCOMPARE(messages.icons[0], QMessageBox::Warning);
    QCOMPARE(messages.titles[0], QStringLiteral("Kestrix"));
    QCOMPARE(messages.buttonCounts[0], 1);
    QVERIFY2(messages.texts[0].startsWith(QStringLiteral("スペクトルを計算できません。\n")), qPrintable(messages.texts[0]));
    // the reason is Japanese too, not the model's English text
    QVERIFY2(!messages.texts[0].contains(QRegularExpression(QStringLiteral("[A-Za-z]{4,}"))), qPrintable(messages.texts[0]));
    QVERIFY(!folder->Exists("B_SPCTL.temp"));
    QCOMPARE(Graph().Image(), empty);
    QVERIFY(!Enabled("Command7") && !Enabled("Command6"));
    QVERIFY(Enabled("Option10"));
    QVERIFY(Child<QLabel>(Form2(), "Label14")->isVisible());
    QVERIFY(!Form2().RunInProgress());
  }

  void UnwritableFolderStillDrawsTheCurveAndMarksTheEngineFiguresUnavailable() {
    QVERIFY(QDir(folder->Path(QString())).mkdir("B_SPCTL.temp"));  // a folder in the file's place
    const QImage empty = Graph().Image().copy();
    const QStringList messages = GraphDraw();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains("B_SPCTL.temp"));
    QVERIFY(Graph().Image() != empty);
    QVERIFY(!Enabled("Command7"));  // Data Save would export an older spectrum's file
    QVERIFY(Enabled("Command8"));
    QVERIFY(!Enabled("Command6"));
    QCOMPARE(Box("Text9")->text(), QStringLiteral("－"));
    QVERIFY2(Box("Text9")->toolTip().contains(QStringLiteral("書き込めない")), qPrintable(Box("Text9")->toolTip()));
    const QString status = Form2().StatusText();
    QVERIFY2(status.contains(QStringLiteral("書き込めるフォルダで Kestrix を起動して下さい")), qPrintable(status));
    Graph().MouseMovedTo({5000, 1000});
    QVERIFY(!Box("Text6")->text().isEmpty());
  }

  void FailingEngineIsToldWhenItEndsAndItsFiguresAreShownNowhere() {
    const QString script = folder->Path("failing-engine.sh");
    {
      QFile file(script);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("#!/bin/sh\necho 'Quillon: MUs_202202.data, line 3: not a number' >&2\nexit 1\n");
      file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    Restart(script);
    MessageBoxCatcher messages;
    Press("Command1");
    QTRY_COMPARE(messages.texts.size(), 1);  // without pressing HVL / Fluence
    QVERIFY2(messages.texts[0].contains(QStringLiteral("エラーで終了しました")), qPrintable(messages.texts[0]));
    QVERIFY2(messages.details[0].contains(QStringLiteral("line 3: not a number")), qPrintable(messages.details[0]));
    QVERIFY(Form2().StatusText().contains(QStringLiteral("エラーで終了しました")));
    QCOMPARE(Box("Text9")->text(), QStringLiteral("－"));
    QVERIFY(!Enabled("Command6"));
    Press("QualityCommand");
    auto* quality = Form2().findChild<QWidget*>(QStringLiteral("QualityWindow"));
    for (const char* engineFigure : {"hvl_al_mm", "effective_energy_cu_keV", "photons_per_mm2_per_Ckg"}) {
      QCOMPARE(Child<QLabel>(*quality, engineFigure)->text(), QStringLiteral("－"));
    }
    QVERIFY(Child<QLabel>(*quality, "hvl2_al_mm")->text().toDouble() > 0);  // the library's own figures stay
    QCOMPARE(messages.texts.size(), 1);
  }

  void EngineThatCannotStartIsReported() {
    Restart(folder->Path("no-such-engine"));
    const QStringList messages = GraphDraw();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains("no-such-engine"));
    QVERIFY(Enabled("Command7"));  // the spectrum itself was drawn and saved
    QCOMPARE(LineCount(folder->Path("B_SPCTL.temp")), 600);
  }

  void SecondRunCannotStartDuringTheYields() {
    bool nestedSawRun = false;
    QTimer::singleShot(0, this, [&] {
      nestedSawRun = Form2().RunInProgress();
      Box("Text1")->setText("100");
      Press("Command1");
      Press("Command3");
    });
    GraphDraw();
    QVERIFY(nestedSawRun);
    // The 200 kV run stands: no 100 kV run replaced it and the graph was not cleared under it.
    QVERIFY(Calculation().SpectrumBins[300] > 0);
    QVERIFY(Enabled("Command7"));
    QVERIFY(!Form2().RunInProgress());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
