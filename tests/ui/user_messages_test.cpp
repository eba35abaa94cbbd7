// Message boxes: a long file name is shortened in the middle so the box stays narrower than the
// screen, the full name is in the detailed text, and Qt's own button texts are Japanese.

#include "user_messages.h"

#include <QScreen>
#include <QtTest>

#include "ui_test_support.h"

using namespace kestrix;
using kestrix::test::MessageBoxCatcher;

class UserMessagesTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { InstallJapaneseQtTexts(); }

  void LongDetailIsElidedInTheMiddleAndGivenInFull() {
    const QString path = QStringLiteral("/home/user/") + QString(3000, QLatin1Char('a')) + QStringLiteral("/end.csv");
    MessageBoxCatcher catcher;
    ShowExclamation(nullptr, QStringLiteral("データを保存できませんでした。\n書き込みの許可がありません。"), path);
    QCOMPARE(catcher.texts.size(), 1);
    const QStringList lines = catcher.texts[0].split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[2].startsWith(QStringLiteral("/home/user/")) && lines[2].endsWith(QStringLiteral("end.csv")));
    QVERIFY(lines[2].contains(QChar(0x2026)));  // the ellipsis
    QCOMPARE(catcher.details[0], path);
    QVERIFY(catcher.widths[0] <= QGuiApplication::primaryScreen()->availableGeometry().width());
    QVERIFY(catcher.buttonTexts.contains(QStringLiteral("詳細を表示...")));
  }

  void ShortDetailStaysWholeWithoutDetails() {
    MessageBoxCatcher catcher;
    ShowExclamation(nullptr, QStringLiteral("結果ファイルがありません。"), QStringLiteral("HVL_S2.temp"));
    QCOMPARE(catcher.texts[0], QStringLiteral("結果ファイルがありません。\nHVL_S2.temp"));
    QVERIFY(catcher.details[0].isEmpty());
    QCOMPARE(catcher.buttonCounts[0], 1);
  }

  void ReplacingAFileIsAskedInJapaneseWithNoAsDefault() {
    {
      MessageBoxCatcher catcher;  // the default answer
      QVERIFY(!AskToReplaceFile(nullptr, QStringLiteral("/tmp/spectrum.csv")));
      QCOMPARE(catcher.buttonTexts.size(), 2);
      QVERIFY(catcher.buttonTexts.contains(QStringLiteral("はい")) && catcher.buttonTexts.contains(QStringLiteral("いいえ")));
      QCOMPARE(catcher.defaultButtonTexts[0], QStringLiteral("いいえ"));
      QVERIFY(catcher.texts[0].endsWith(QStringLiteral("\n/tmp/spectrum.csv")));
    }
    MessageBoxCatcher yes(QMessageBox::Yes);
    QVERIFY(AskToReplaceFile(nullptr, QStringLiteral("/tmp/spectrum.csv")));
  }

  void ElidedNameKeepsBothEnds() {
    const QString name = QString(500, QLatin1Char('x')) + QStringLiteral("tail.bmp");
    const QString elided = ElidedForMessage(name, nullptr);
    QVERIFY(elided.size() < name.size());
    QVERIFY(elided.startsWith(QLatin1Char('x')) && elided.endsWith(QStringLiteral("tail.bmp")));
    QCOMPARE(ElidedForMessage(QStringLiteral("a.csv"), nullptr), QStringLiteral("a.csv"));
  }
};

QTEST_MAIN(UserMessagesTest)
#include "user_messages_test.moc"
