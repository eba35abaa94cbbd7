// The dialog of the target's kind: the reflection target or a tungsten layer on a window, the boxes
// greyed for reflection, and every box that is not a usable number refused with a message, keeping
// the last choice.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include "transmission_dialog.h"
#include "transmission_emission.h"
#include "ui_language.h"
#include "ui_test_support.h"

using namespace kestrix;
using kestrix::test::Child;
using kestrix::test::MessageBoxCatcher;

class TransmissionDialogTest : public QObject {
  Q_OBJECT
  QLineEdit* Box(TransmissionDialog& dialog, const char* name) { return Child<QLineEdit>(dialog, name); }
  QRadioButton* Option(TransmissionDialog& dialog, const char* name) { return Child<QRadioButton>(dialog, name); }

 private slots:
  void ReflectionGreysTheLayerAndWindow() {
    TransmissionDialog dialog;
    QVERIFY(Option(dialog, "ReflectionOption")->isChecked());
    QVERIFY(!Box(dialog, "TransmissionLayerBox")->isEnabled());
    QVERIFY(!Child<QComboBox>(dialog, "TransmissionWindowBox")->isEnabled());
    QVERIFY(!Box(dialog, "TransmissionWindowMmBox")->isEnabled());
    Option(dialog, "TransmissionOption")->setChecked(true);
    QVERIFY(Box(dialog, "TransmissionLayerBox")->isEnabled() && Box(dialog, "TransmissionWindowMmBox")->isEnabled());
    // the windows offered, diamond first
    const auto* windows = Child<QComboBox>(dialog, "TransmissionWindowBox");
    QCOMPARE(windows->count(), 3);
    QCOMPARE(windows->itemText(0), QStringLiteral("diamond"));
    QCOMPARE(windows->itemText(1), QStringLiteral("Be"));
    QCOMPARE(windows->itemText(2), QStringLiteral("Al"));
  }

  void ATargetShowsAndReadsBack() {
    TransmissionDialog dialog;
    const TransmissionTarget target{2.5, TransmissionWindow::Beryllium, 0.75};
    dialog.SetTarget(target);
    QVERIFY(Option(dialog, "TransmissionOption")->isChecked());
    QCOMPARE(Box(dialog, "TransmissionLayerBox")->text(), QStringLiteral("2.5"));
    QCOMPARE(Child<QComboBox>(dialog, "TransmissionWindowBox")->currentText(), QStringLiteral("Be"));
    QCOMPARE(Box(dialog, "TransmissionWindowMmBox")->text(), QStringLiteral("0.75"));
    QCOMPARE(dialog.ReadTarget(), std::optional<TransmissionTarget>(target));
    dialog.accept();
    QCOMPARE(dialog.Target(), target);
    // full-width digits are read, as in the main window's boxes
    Box(dialog, "TransmissionLayerBox")->setText(QStringLiteral("１．５"));
    QCOMPARE(dialog.ReadTarget()->layerUm, 1.5);
    // back to reflection: the boxes keep their texts, the target is the reflection target
    dialog.SetTarget(TransmissionTarget{});
    QVERIFY(Option(dialog, "ReflectionOption")->isChecked());
    QCOMPARE(dialog.ReadTarget(), std::optional<TransmissionTarget>(TransmissionTarget{}));
    QCOMPARE(TransmissionText(target), QStringLiteral("W 透過ターゲット: 層 2.5 µm、窓 Be 0.75 mm"));
    QCOMPARE(TransmissionText(TransmissionTarget{}), QStringLiteral("反射ターゲット"));
  }

  void EveryTextHasItsEnglish() {
    QVERIFY(UseLanguage(UiLanguage::English));
    {
      TransmissionDialog dialog;
      const QRegularExpression japanese(QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
      QStringList texts{dialog.windowTitle(), TransmissionText(TransmissionTarget{1, TransmissionWindow::Beryllium, 0.5}),
                        TransmissionText(TransmissionTarget{})};
      for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        texts << widget->toolTip();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
        if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
      }
      for (const QString& text : texts) QVERIFY2(!japanese.match(text).hasMatch(), qPrintable(text));
      QCOMPARE(dialog.windowTitle(), QStringLiteral("Target kind"));
    }
    QVERIFY(UseLanguage(UiLanguage::Japanese));
  }

  void BadBoxesAreRefusedWithAMessageAndChangeNothing_data() {
    QTest::addColumn<QString>("layer");
    QTest::addColumn<QString>("windowMm");
    QTest::addColumn<QString>("said");
    QTest::newRow("layer not a number") << "abc" << "0.3" << "「タングステン層」の「abc」は使えません。";
    QTest::newRow("layer with a unit") << "1um" << "0.3" << "「タングステン層」の「1um」は使えません。";
    QTest::newRow("layer empty") << "" << "0.3" << "「タングステン層」の「」は使えません。";
    QTest::newRow("layer zero") << "0" << "0.3" << "0 より大きい数を µm で";
    QTest::newRow("layer negative") << "-1" << "0.3" << "「タングステン層」の「-1」";
    QTest::newRow("layer infinite") << "1e999" << "0.3" << "「タングステン層」の「1e999」";
    QTest::newRow("layer too thick") << "5000" << "0.3" << "「タングステン層」の 5000 µm は範囲外です。";
    QTest::newRow("layer too thin") << "0.001" << "0.3" << "範囲外です";
    QTest::newRow("window zero") << "1" << "0" << "「窓の厚さ」の「0」は使えません。0 より大きい数を mm で";
    QTest::newRow("window nan") << "1" << "nan" << "「窓の厚さ」の「nan」";
  }
  void BadBoxesAreRefusedWithAMessageAndChangeNothing() {
    QFETCH(QString, layer);
    QFETCH(QString, windowMm);
    QFETCH(QString, said);
    TransmissionDialog dialog;
    const TransmissionTarget kept{1, TransmissionWindow::Diamond, 0.3};
    dialog.SetTarget(kept);
    dialog.accept();
    QCOMPARE(dialog.Target(), kept);
    dialog.show();
    Box(dialog, "TransmissionLayerBox")->setText(layer);
    Box(dialog, "TransmissionWindowMmBox")->setText(windowMm);
    MessageBoxCatcher messages;
    dialog.accept();
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY2(messages.texts[0].contains(said), qPrintable(messages.texts[0]));
    QCOMPARE(dialog.Target(), kept);  // nothing changed
    QVERIFY(dialog.isVisible());      // the dialog stays open for the box to be typed again
  }
};

QTEST_MAIN(TransmissionDialogTest)
#include "transmission_dialog_test.moc"
