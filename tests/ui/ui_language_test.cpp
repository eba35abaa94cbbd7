// The interface's language: --lang, the start screen's choice kept for the next run, and every
// visible text of every window in English as well as in Japanese.

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "kestrix_program.h"
#include "main_window.h"
#include "start_screen.h"
#include "ui_language.h"
#include "ui_test_support.h"

using namespace kestrix;
using kestrix::test::Child;
using kestrix::test::MessageBoxCatcher;
using kestrix::test::WorkingFolder;

namespace {

/// Japanese script: kana, kanji and the full-width forms (but the dash that stands for no value in both)
const QRegularExpression kJapanese(QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ff0c}\\x{ff0e}-\\x{ffef}]"));

/// every text a user sees in the program's open windows: captions, buttons, titles, tooltips, list items
QStringList VisibleTexts() {
  QStringList texts;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible()) continue;
    texts << window->windowTitle();
    for (QWidget* widget : window->findChildren<QWidget*>()) {
      if (widget->objectName() == QStringLiteral("JapaneseCommand")) continue;  // the choice of Japanese itself
      texts << widget->toolTip();
      if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
      if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
      if (auto* group = qobject_cast<QGroupBox*>(widget)) texts << group->title();
      if (auto* box = qobject_cast<QComboBox*>(widget)) {
        for (int k = 0; k < box->count(); ++k) texts << box->itemText(k);
      }
    }
  }
  texts.removeAll(QString());
  return texts;
}

}  // namespace

class UiLanguageTest : public QObject {
  Q_OBJECT
  QTemporaryDir settings;
  QSize qualityFrame;  // the quality window's outer size in the language last opened

  /// opens every window of the program in `language` and returns their texts
  QStringList TextsOfEveryWindow(UiLanguage language) {
    WorkingFolder folder;
    QFile::copy(QStringLiteral(KESTRIX_DELIVERED_DATA "/RadiationQualities.tsv"), folder.Path("RadiationQualities.tsv"));
    QFile::copy(QStringLiteral(KESTRIX_DELIVERED_DATA "/Sn.ele"), folder.Path("Sn.ele"));
    KestrixProgram program(QString(), language);
    program.Start();
    QStringList texts = VisibleTexts();
    MessageBoxCatcher messages;
    Child<QPushButton>(program.Opening(), "Command1")->click();
    MainWindow& window = program.Main();
    Child<QLineEdit>(window, "Text3")->setText("abc");  // a status line
    Child<QPushButton>(window, "Command1")->click();
    Child<QToolButton>(window, "QualityCommand")->click();
    texts << VisibleTexts();
    // the quality window's other pages, each with its figures computed
    auto* pages = Child<QTabWidget>(window, "QualityTabs");
    Child<QLineEdit>(window, "UncertaintySamplesBox")->setText("20");
    for (int page = 1; page < pages->count(); ++page) {
      pages->setCurrentIndex(page);
      const char* commands[] = {"", "DetectorCommand", "UncertaintyCommand", "MeasuredCommand"};  // the last refuses: no file
      Child<QPushButton>(window, commands[page])->click();
      texts << VisibleTexts();
    }
    texts << Child<QPlainTextEdit>(window, "UncertaintyText")->toPlainText().split(QLatin1Char('\n'));
    qualityFrame = window.findChild<QWidget*>(QStringLiteral("QualityWindow"))->frameGeometry().size();
    pages->setCurrentIndex(0);
    for (const char* dialog : {"Command4", "Command7", "Command8"}) {
      Child<QPushButton>(window, dialog)->click();
      texts << VisibleTexts();
      for (QWidget* open : QApplication::topLevelWidgets()) {
        if (open != &window && open->isVisible() && open->objectName() != QStringLiteral("QualityWindow")) open->hide();
      }
    }
    Child<QLineEdit>(window, "Text5")->setText("");
    Child<QPushButton>(window, "Command1")->click();  // a refusal's message
    texts << messages.texts;
    UseLanguage(UiLanguage::Japanese);
    return texts;
  }

 private slots:
  void initTestCase() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  }

  void LanguageArgumentTakesEnOrJa() {
    QCOMPARE(LanguageArgument({"Kestrix", "--lang", "en"}), std::optional<UiLanguage>(UiLanguage::English));
    QCOMPARE(LanguageArgument({"Kestrix", "--lang=ja"}), std::optional<UiLanguage>(UiLanguage::Japanese));
    QCOMPARE(LanguageArgument({"Kestrix"}), std::optional<UiLanguage>());
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, LanguageArgument({"Kestrix", "--lang", "de"}));
  }

  void EveryVisibleTextHasBothLanguages() {
    const QStringList japanese = TextsOfEveryWindow(UiLanguage::Japanese);
    const QStringList english = TextsOfEveryWindow(UiLanguage::English);
    // the English texts, longer, still fit a 1024 x 600 screen less a task bar
    QVERIFY2(qualityFrame.width() <= 1024 && qualityFrame.height() <= 560, qPrintable(QString("%1x%2").arg(qualityFrame.width()).arg(qualityFrame.height())));
    QVERIFY(japanese.size() > 150);
    QCOMPARE(english.size(), japanese.size());  // the same windows and controls in both
    QStringList untranslated;
    for (const QString& text : english) {
      if (text.contains(kJapanese)) untranslated << text;
    }
    QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QStringLiteral("\n---\n"))));
    QVERIFY(japanese.contains(QStringLiteral("照 射 条 件")));  // Japanese stays as it was
    QVERIFY(english.contains(QStringLiteral("Exposure conditions")));
  }

  void StartScreenChoiceIsKeptForTheNextRun() {
    WorkingFolder folder;
    KestrixProgram program;
    program.Start();
    QCOMPARE(RememberedLanguage(), UiLanguage::Japanese);
    Child<QPushButton>(program.Opening(), "EnglishCommand")->click();
    QTRY_COMPARE(Child<QPushButton>(program.Opening(), "Command1")->text(), QStringLiteral("Tucker's formula"));
    QVERIFY(program.Opening().isVisible());
    QCOMPARE(RememberedLanguage(), UiLanguage::English);
    Child<QPushButton>(program.Opening(), "JapaneseCommand")->click();
    QTRY_COMPARE(Child<QPushButton>(program.Opening(), "Command1")->text(), QStringLiteral("Tucker 式で計算"));
    QCOMPARE(RememberedLanguage(), UiLanguage::Japanese);
  }
};

QTEST_MAIN(UiLanguageTest)
#include "ui_language_test.moc"
