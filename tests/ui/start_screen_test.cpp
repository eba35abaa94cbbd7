// The start screen: its captions and picture, the model choice that loads the table and resets
// the main window, a table that cannot be loaded, and leaving the program.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QScreen>
#include <QScrollArea>
#include <QtTest>
#include <memory>

#include "kestrix_program.h"
#include "main_window.h"
#include "emission_models.h"
#include "model_choices.h"
#include "program_state.h"
#include "start_picture.h"
#include "start_screen.h"
#include "ui_test_support.h"
#include "window_placement.h"

using namespace kestrix;
using kestrix::test::Child;
using kestrix::test::MessageBoxCatcher;
using kestrix::test::WorkingFolder;

class StartScreenTest : public QObject {
  Q_OBJECT
  std::unique_ptr<WorkingFolder> folder;
  std::unique_ptr<KestrixProgram> program;

  StartScreen& Form4() { return program->Opening(); }
  MainWindow& Form2() { return program->Main(); }
  void Press(QWidget& window, const char* name) { Child<QAbstractButton>(window, name)->click(); }
  QString TextOf(const char* name) { return Child<QLineEdit>(Form2(), name)->text(); }

  void WriteFile(const QString& name, const QByteArray& content) {
    QFile file(folder->Path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
  }

 private slots:
  void init() {
    folder = std::make_unique<WorkingFolder>();
    program = std::make_unique<KestrixProgram>();
    program->Start();
  }
  void cleanup() {
    program.reset();
    folder.reset();
  }

  void OpensWithTitleCaptionsAndPicture() {
    QVERIFY(Form4().isVisible());
    QVERIFY(!Form2().isVisible());
    QCOMPARE(Form4().objectName(), QStringLiteral("Form4"));
    QCOMPARE(Form4().windowTitle(), QStringLiteral("X-ray Spectrum of medium enerygy"));
    QCOMPARE(Form4().size(), QSize(816, 612));
    QCOMPARE(Child<QPushButton>(Form4(), "Command1")->text(), QStringLiteral("Tucker 式で計算"));
    QCOMPARE(Child<QPushButton>(Form4(), "Command2")->text(), QStringLiteral("Birch 式で計算"));
    QVERIFY(Child<QPushButton>(Form4(), "Command3")->text().isEmpty());
    QCOMPARE(Child<QLabel>(Form4(), "Label1")->text(), QStringLiteral("Kestrix (Medium energy)"));
    QCOMPARE(Child<QLabel>(Form4(), "Label2")->text(), QStringLiteral("Kestrix (Medium energy)"));
    QCOMPARE(Child<QLabel>(Form4(), "Label3")->text(), QStringLiteral("産業・工業・研究用Ｘ線管から放射される"));
    QCOMPARE(Child<QLabel>(Form4(), "Label4")->text(), QStringLiteral("中エネルギー (300 kVまで) Ｘ線スペクトルの計算"));
  }

  void EnterPressesTheFocusedButtonAndTheExitPictureIsExplained() {
    QVERIFY(!Child<QPushButton>(Form4(), "Command3")->toolTip().isEmpty());
    Form4().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form4()));
    auto* tucker = Child<QPushButton>(Form4(), "Command1");
    tucker->setFocus();
    QTest::keyClick(tucker, Qt::Key_Return);
    QVERIFY(Form2().isVisible());
    QCOMPARE(program->State().spectrumModel, SpectrumModel::Tucker);
    // Both windows open centred on the screen (offscreen: the one screen there is).
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(std::abs(Form2().frameGeometry().center().x() - screen.center().x()) <= 3 ||
            Form2().frameGeometry().width() > screen.width());
  }

  void FocusStartsOnTheFirstModelAndTabRunsDown() {
    Form4().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form4()));
    auto* first = Child<QPushButton>(Form4(), "Command1");
    QCOMPARE(QApplication::focusWidget(), first);  // Enter right after the start never quits
    QStringList order{first->objectName()};
    for (int k = 0; k < 3; ++k) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order.last(), QStringLiteral("Command3"));  // the exit comes last
    QList<int> tops;
    for (int k = 0; k < 3; ++k) tops << Child<QPushButton>(Form4(), qPrintable(order[k]))->y();
    QVERIFY2(tops[0] < tops[1] && tops[1] < tops[2], qPrintable(order.join(' ')));
  }

  void PictureIsDrawnAtItsFullSize() {
    const QImage picture = DrawStartPicture();
    QCOMPARE(picture.size(), QSize(816, 612));
    QSet<QRgb> colors;
    for (int y = 0; y < picture.height(); y += 7) {
      for (int x = 0; x < picture.width(); x += 7) colors.insert(picture.pixel(x, y));
    }
    QVERIFY(colors.size() > 100);
  }

  void ModelChoiceWritesCaptionsAndDefaults() {
    Press(Form4(), "Command2");
    QVERIFY(Form2().isVisible());
    QVERIFY(!Form4().isVisible());
    QCOMPARE(program->State().spectrumModel, SpectrumModel::Birch);
    QCOMPARE(Child<QLabel>(Form2(), "Label16")->text(), QStringLiteral("by Birch's formula"));
    QCOMPARE(Child<QLabel>(Form2(), "Label14")->text(), QStringLiteral("by Birch's formula"));
    QVERIFY(Child<QLabel>(Form2(), "Label14")->isVisible());
    QCOMPARE(TextOf("Text1"), QStringLiteral("200"));
    QCOMPARE(TextOf("Text5"), QStringLiteral("20"));
    QCOMPARE(TextOf("Text2"), QStringLiteral("3"));
    QCOMPARE(TextOf("Text13"), QStringLiteral("5"));
    QCOMPARE(TextOf("Text3"), QStringLiteral("0"));
    QCOMPARE(TextOf("Text4"), QStringLiteral("0"));
    for (const char* name : {"Text9", "Text8", "Text11", "Text6", "Text7"}) QVERIFY(TextOf(name).isEmpty());
    for (const char* name : {"Command6", "Command7", "Command8"}) {
      QVERIFY2(!Child<QPushButton>(Form2(), name)->isEnabled(), name);
    }
    QVERIFY(Child<QPushButton>(Form2(), "Command4")->isEnabled());
    QVERIFY(Child<QRadioButton>(Form2(), "Option7")->isChecked());
    QVERIFY(Child<QRadioButton>(Form2(), "Option10")->isChecked());
    QVERIFY(Child<QRadioButton>(Form2(), "Option1")->isChecked());
    QCOMPARE(program->State().rectification, RectificationType::ConstantPotential);
    QCOMPARE(program->State().displayQuantity, DisplayQuantity::PhotonNumber);
    QCOMPARE(program->State().calculation.SpectrumPeak, 0.0);
    QCOMPARE(program->State().calculation.filters.count, 0);
    QVERIFY(program->State().calculation.tableLoaded);
  }

  void EveryListedModelHasAButtonThatChoosesItWithItsCaption() {
    const std::vector<ModelChoice>& choices = ModelChoices();
    // every model of the library's list, in its order
    QCOMPARE(choices.size(), SpectrumModels().size());
    for (std::size_t k = 0; k < choices.size(); ++k) QCOMPARE(choices[k].model, SpectrumModels()[k]);
    int previousTop = -1;
    for (const ModelChoice& choice : choices) {
      auto* button = Child<QPushButton>(Form4(), qPrintable(choice.commandName));
      QCOMPARE(button->text(), choice.buttonText);
      QVERIFY(button->y() > previousTop);  // listed from the top down, the last at the bottom
      previousTop = button->y();
      button->click();
      QVERIFY(Form2().isVisible());
      QCOMPARE(program->State().spectrumModel, choice.model);
      QCOMPARE(Child<QLabel>(Form2(), "Label16")->text(), choice.graphCaption);
      QCOMPARE(Child<QLabel>(Form2(), "Label14")->text(), choice.graphCaption);
      Press(Form2(), "Command2");
    }
    QCOMPARE(previousTop, 530);
    QCOMPARE(ChoiceOf(SpectrumModel::Birch).graphCaption, QStringLiteral("by Birch's formula"));
  }

  void StartScreenFitsASmallScreenAndKeepsItsSizeOnALargeOne() {
    const QRect large(0, 0, 1600, 1000);
    PlaceWithin(&Form4(), large.center(), large);
    QCOMPARE(Form4().size(), QSize(816, 612));
    const QRect small(0, 0, 1024, 600 - 40);  // a 1024 x 600 screen less a task bar
    PlaceWithin(&Form4(), small.center(), small);
    QApplication::processEvents();
    QVERIFY(small.contains(Form4().frameGeometry()));
    auto* scroll = Child<QScrollArea>(Form4(), "ScrollArea");
    for (const char* name : {"Command1", "Command2", "Command3"}) {
      QWidget* button = Child<QWidget>(Form4(), name);
      scroll->ensureWidgetVisible(button);
      const QRect shown(button->mapTo(&Form4(), QPoint(0, 0)), button->size());
      QVERIFY2(scroll->viewport()->geometry().contains(shown), name);
    }
  }

  void ReturningAndChoosingTheOtherModelStartsAfresh() {
    Press(Form4(), "Command2");
    Child<QLineEdit>(Form2(), "Text1")->setText(QStringLiteral("120"));
    Child<QRadioButton>(Form2(), "Option9")->click();
    Child<QRadioButton>(Form2(), "Option12")->click();
    QCOMPARE(program->State().displayQuantity, DisplayQuantity::Energy);
    Press(Form2(), "Command2");  // " bye bye "
    QVERIFY(Form4().isVisible());
    QVERIFY(!Form2().isVisible());
    Press(Form4(), "Command1");
    QCOMPARE(program->State().spectrumModel, SpectrumModel::Tucker);
    QCOMPARE(Child<QLabel>(Form2(), "Label16")->text(), QStringLiteral("by Tucker's formula"));
    QCOMPARE(Child<QLabel>(Form2(), "Label14")->text(), QStringLiteral("by Tucker's formula"));
    QCOMPARE(TextOf("Text1"), QStringLiteral("200"));
    QVERIFY(Child<QRadioButton>(Form2(), "Option7")->isChecked());
    QVERIFY(Child<QRadioButton>(Form2(), "Option10")->isChecked());
    QCOMPARE(program->State().displayQuantity, DisplayQuantity::PhotonNumber);
    QCOMPARE(program->State().rectification, RectificationType::ConstantPotential);
    QCOMPARE(Child<QLabel>(Form2(), "Label25")->text(), QStringLiteral("相対光子数"));
  }

  void ReturningToTheStartScreenTakesTheOpenDialogsAlong() {
    Press(Form4(), "Command1");
    Press(Form2(), "Command1");  // Graph Draw enables the exports
    Press(Form2(), "Command4");
    Press(Form2(), "Command7");
    Press(Form2(), "Command8");
    const QStringList dialogs{QStringLiteral("Form1"), QStringLiteral("Form5"), QStringLiteral("Form7")};
    for (const QString& name : dialogs) QVERIFY2(Form2().findChild<QWidget*>(name)->isVisible(), qPrintable(name));
    Press(Form2(), "Command2");  // " bye bye "
    for (const QString& name : dialogs) QVERIFY2(!Form2().findChild<QWidget*>(name)->isVisible(), qPrintable(name));
  }

  void WithoutATableInTheFolderTheDeliveredDataIsUsed() {
    // The test programs lie in the build tree's bin folder, beside its share/kestrix, as in an installation.
    QFile::remove(folder->Path(QStringLiteral("MUs_202202.data")));
    MessageBoxCatcher messages;
    Press(Form4(), "Command1");
    QVERIFY(Form2().isVisible());
    QVERIFY(program->State().calculation.tableLoaded);
    Press(Form2(), "Command1");
    Press(Form2(), "Command6");  // Quillon too finds the delivered table
    QCOMPARE(messages.texts, QStringList());
    QVERIFY(Child<QLineEdit>(Form2(), "Text9")->text().toDouble() > 0);
    QVERIFY(!folder->Exists(QStringLiteral("MUs_202202.data")));  // only the exchange files are written here
    QVERIFY(folder->Exists(QStringLiteral("HVL_S2.temp")));
  }

  void ShortTableIsReportedWithItsProblem() {
    WriteFile(QStringLiteral("MUs_202202.data"), "0.5 1 2 3 4 5\r\n1.0 1 2 3 4 5\r\n");
    MessageBoxCatcher messages;
    Press(Form4(), "Command1");
    QCOMPARE(messages.texts.size(), 1);
    // The load error itself names the row where the table ended.
    QVERIFY2(messages.texts[0].count(QStringLiteral("MUs_202202.data")) >= 1 && messages.texts[0].contains('\n'),
             qPrintable(messages.texts[0]));
    QVERIFY(Form4().isVisible());
    QVERIFY(!Form2().isVisible());
  }

  void ExitDeletesBothExchangeFilesAndEnds() {
    WriteFile(QStringLiteral("B_SPCTL.temp"), "x");
    WriteFile(QStringLiteral("HVL_S2.temp"), "x");
    QSignalSpy ended(program.get(), &KestrixProgram::Ended);
    MessageBoxCatcher messages;
    Press(Form4(), "Command3");
    QCOMPARE(ended.size(), 1);
    QVERIFY(!folder->Exists(QStringLiteral("B_SPCTL.temp")));
    QVERIFY(!folder->Exists(QStringLiteral("HVL_S2.temp")));
    QVERIFY(folder->Exists(QStringLiteral("MUs_202202.data")));
    QVERIFY(!Form4().isVisible());
    QCOMPARE(messages.texts, QStringList());
  }

  void ExitWithoutExchangeFilesEndsSilently() {
    QSignalSpy ended(program.get(), &KestrixProgram::Ended);
    MessageBoxCatcher messages;
    Press(Form4(), "Command3");
    QCOMPARE(ended.size(), 1);
    QCOMPARE(messages.texts, QStringList());
  }

  void ExitEndsAnEngineStillAtWorkBeforeDeleting() {
    const QString engine = folder->Path(QStringLiteral("slow-engine.sh"));
    WriteFile(QStringLiteral("slow-engine.sh"), "#!/bin/sh\nsleep 1\necho 1 > HVL_S2.temp\n");
    QFile::setPermissions(engine, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    program = std::make_unique<KestrixProgram>(engine);
    program->Start();
    Press(Form4(), "Command1");
    Press(Form2(), "Command1");  // Graph Draw starts the engine
    Press(Form2(), "Command2");
    Press(Form4(), "Command3");
    QTest::qWait(1500);
    QVERIFY(!folder->Exists(QStringLiteral("HVL_S2.temp")));
    QVERIFY(!folder->Exists(QStringLiteral("B_SPCTL.temp")));
  }

  void ClosingTheStartScreenLeavesLikeExit() {
    WriteFile(QStringLiteral("B_SPCTL.temp"), "x");
    QSignalSpy ended(program.get(), &KestrixProgram::Ended);
    Form4().close();
    QCOMPARE(ended.size(), 1);
    QVERIFY(!folder->Exists(QStringLiteral("B_SPCTL.temp")));
  }
};

QTEST_MAIN(StartScreenTest)
#include "start_screen_test.moc"
