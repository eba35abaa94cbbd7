// The arbitrary filter dialog: choosing a material and a thickness, the listing in the main
// window's filter panel, the set button after three filters and after the graph reset, and
// every kind of malformed material file refused without any change.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "calculation_state.h"
#include "dialog_wiring.h"
#include "engine_process.h"
#include "filter_dialog.h"
#include "filter_list_panel.h"
#include "main_window.h"
#include "material_file.h"
#include "program_state.h"
#include "ui_test_support.h"

using namespace kestrix;
using kestrix::test::Child;
using kestrix::test::MessageBoxCatcher;
using kestrix::test::TuckerMainWindow;
using kestrix::test::WorkingFolder;

namespace {

void CopyDelivered(const WorkingFolder& folder, const QString& name) {
  QVERIFY(QFile::copy(QStringLiteral(KESTRIX_DELIVERED_DATA "/") + name, folder.Path(name)));
}

void WriteText(const WorkingFolder& folder, const QString& name, const QByteArray& text) {
  QFile file(folder.Path(name));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(text);
}

/// Selects `name` in a file list by a mouse click, as the user does.
void ClickFile(QListWidget* list, const QString& name) {
  const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
  QVERIFY2(!items.isEmpty(), qPrintable(name));
  list->scrollToItem(items.first());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

GridArray CoefficientsOf(const QString& path) {
  return ArbitraryFilterCoefficientsFor(LoadMaterialFile(QFile::encodeName(path).toStdString()));
}

}  // namespace

class FilterDialogTest : public QObject {
  Q_OBJECT

  /// The dialog on its own, with a panel and a stand-in for the main window's set button.
  struct Bench {
    CalculationState state;
    FilterListPanel panel{nullptr};
    QPushButton command4{QStringLiteral("設定")};
    FilterDialog dialog{state.filters, panel, [this](bool enabled) { command4.setEnabled(enabled); }, nullptr};

    QListWidget* File1() { return Child<QListWidget>(dialog, "File1"); }
    QLineEdit* Text2() { return Child<QLineEdit>(dialog, "Text2"); }
    QPushButton* Ok() { return Child<QPushButton>(dialog, "Command1"); }
    void Add(const QString& file, const QString& thickness) {
      ClickFile(File1(), file);
      Text2()->setText(thickness);
      Ok()->click();
    }
  };

 private slots:
  void ControlsCaptionsAndFileList() {
    WorkingFolder folder(false);
    CopyDelivered(folder, "Pb.ele");
    CopyDelivered(folder, "Water.mix");
    WriteText(folder, "notes.txt", "x");
    Bench bench;
    bench.dialog.PrepareAndShow();
    QCOMPARE(bench.dialog.objectName(), QStringLiteral("Form1"));
    QCOMPARE(bench.dialog.windowTitle(), QStringLiteral("任意フィルター設定"));
    QVERIFY(bench.dialog.isModal());  // the inputs cannot change under it
    QCOMPARE(Child<QPushButton>(bench.dialog, "Command2")->text(), QStringLiteral("Cancel"));
    QCOMPARE(bench.Ok()->text(), QStringLiteral("OK"));
    QCOMPARE(Child<QLabel>(bench.dialog, "Label1")->text(), QStringLiteral("フィルターの種類"));
    QCOMPARE(Child<QLabel>(bench.dialog, "Label2")->text(), QStringLiteral("厚さ"));
    QCOMPARE(Child<QLabel>(bench.dialog, "Label3")->text(), QStringLiteral("mm"));
    QCOMPARE(Child<QLabel>(bench.dialog, "Label4")->text(), QStringLiteral("材質"));
    QCOMPARE(bench.File1()->count(), 2);
    QCOMPARE(bench.File1()->item(0)->text(), QStringLiteral("Pb.ele"));
    QCOMPARE(bench.File1()->item(1)->text(), QStringLiteral("Water.mix"));
  }

  void ClickShowsDescriptionAndEnterMovesFocusOnly() {
    WorkingFolder folder(false);
    CopyDelivered(folder, "Pb.ele");
    Bench bench;
    bench.dialog.PrepareAndShow();
    QVERIFY(QTest::qWaitForWindowActive(&bench.dialog));
    ClickFile(bench.File1(), "Pb.ele");
    QCOMPARE(Child<QLabel>(bench.dialog, "Label5")->text(), QStringLiteral("Pb  Lead  (Z=82)"));
    QCOMPARE(QApplication::focusWidget(), bench.Text2());
    QTest::keyClick(bench.Text2(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), bench.Text2());
    bench.Text2()->setText("1");
    QTest::keyClick(bench.Text2(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), bench.Ok());
    QCOMPARE(bench.state.filters.count, 0);
    QVERIFY(bench.dialog.isVisible());
    // The set command's opening empties the description and the thickness, and keeps the file.
    bench.dialog.PrepareAndShow();
    QVERIFY(Child<QLabel>(bench.dialog, "Label5")->text().isEmpty());
    QVERIFY(bench.Text2()->text().isEmpty());
    QCOMPARE(bench.File1()->currentItem()->text(), QStringLiteral("Pb.ele"));
  }

  void MissingFileOrThicknessIsReported() {
    WorkingFolder folder(false);
    CopyDelivered(folder, "Pb.ele");
    Bench bench;
    bench.dialog.PrepareAndShow();
    MessageBoxCatcher catcher;
    bench.Text2()->setText("1");
    bench.Ok()->click();
    ClickFile(bench.File1(), "Pb.ele");
    bench.Text2()->clear();
    bench.Ok()->click();
    QCOMPARE(catcher.texts, (QStringList{"フィルター材質が未選択です。", "フィルターの厚さを入力して下さい。"}));
    QCOMPARE(catcher.icons.first(), QMessageBox::Warning);
    QCOMPARE(catcher.titles.first(), QStringLiteral("Kestrix"));
    QCOMPARE(bench.state.filters.count, 0);
    QVERIFY(bench.dialog.isVisible());
  }

  void HalfMillimetreIsStoredInCentimetresAndListed() {
    WorkingFolder folder(false);
    CopyDelivered(folder, "Pb.ele");
    Bench bench;
    bench.dialog.PrepareAndShow();
    bench.Add("Pb.ele", "0.5");
    QCOMPARE(bench.state.filters.count, 1);
    QCOMPARE(bench.state.filters.thickness[1], 0.05);
    QVERIFY(bench.state.filters.coefficients[1] == CoefficientsOf(folder.Path("Pb.ele")));
    QCOMPARE(bench.panel.Lines().first(), QStringLiteral("Pb  Lead  (Z=82) / 0.5 mm"));
    QCOMPARE(bench.dialog.MaterialDescription(), QStringLiteral("Pb  Lead  (Z=82)"));
    QVERIFY(!bench.dialog.isVisible());
    QVERIFY(bench.command4.isEnabled());
  }

  void ShiftJisDescriptionIsShownInTheBoxAndTheList() {
    WorkingFolder folder(false);
    QVERIFY(QFile::copy(QStringLiteral(KESTRIX_TEST_DATA "/aluminium_alloy_cp932.ele"), folder.Path("alloy.ele")));
    Bench bench;
    bench.dialog.PrepareAndShow();
    const QString description = QStringLiteral("アルミニウム合金 ① (Al 97%～)");
    ClickFile(bench.File1(), "alloy.ele");
    QCOMPARE(Child<QLabel>(bench.dialog, "Label5")->text(), description);
    bench.Text2()->setText("1");
    bench.Ok()->click();
    QCOMPARE(bench.panel.Lines().first(), description + QStringLiteral(" / 1 mm"));
  }

  void TextWithoutNumberAndHugeThicknessAreRefusedFullWidthDigitsRead() {
    WorkingFolder folder(false);
    CopyDelivered(folder, "Sn.ele");
    Bench bench;
    MessageBoxCatcher catcher;
    bench.dialog.PrepareAndShow();
    for (const char* refused : {"thick", "Sn", "1e999"}) bench.Add("Sn.ele", QString::fromUtf8(refused));
    QCOMPARE(catcher.texts.size(), 3);
    QVERIFY2(catcher.texts[1].contains(QStringLiteral("「Sn」は数ではありません")), qPrintable(catcher.texts[1]));
    QCOMPARE(bench.state.filters.count, 0);
    QVERIFY(bench.dialog.isVisible());
    bench.Add("Sn.ele", QStringLiteral("０．２"));
    QCOMPARE(bench.state.filters.count, 1);
    QCOMPARE(bench.state.filters.thickness[1], 0.02);
    QCOMPARE(catcher.texts.size(), 3);
  }

  void LongDescriptionLeavesTheFileListReadable() {
    WorkingFolder folder(false);
    QFile tin(QStringLiteral(KESTRIX_DELIVERED_DATA "/Sn.ele"));
    QVERIFY(tin.open(QIODevice::ReadOnly));
    QByteArray text = tin.readAll();
    text.replace(0, text.indexOf('\n'), QByteArray("A tin foil from a long-forgotten supplier, ").repeated(8));
    WriteText(folder, "Long.ele", text);
    Bench bench;
    bench.dialog.PrepareAndShow();
    ClickFile(bench.File1(), "Long.ele");
    QApplication::processEvents();
    QVERIFY2(bench.File1()->width() >= 160, qPrintable(QString::number(bench.File1()->width())));
    QVERIFY(bench.dialog.width() <= 1024);
  }

  void NegativeThicknessIsRefusedNamingTheBox() {
    WorkingFolder folder(false);
    CopyDelivered(folder, "Cu.ele");
    Bench bench;
    bench.dialog.PrepareAndShow();
    MessageBoxCatcher catcher;
    bench.Add("Cu.ele", "-3");
    QCOMPARE(catcher.texts.size(), 1);
    QVERIFY2(catcher.texts[0].contains(QStringLiteral("「厚さ」に負の値")), qPrintable(catcher.texts[0]));
    QCOMPARE(bench.state.filters.count, 0);
    QVERIFY(bench.panel.Lines().first().isEmpty());
    QVERIFY(bench.dialog.isVisible());
    bench.Text2()->setText("-0");  // zero with a sign is a thickness of 0
    bench.Ok()->click();
    QCOMPARE(bench.state.filters.count, 1);
  }

  void KeyboardChoiceFillsTheMaterialBoxAndEscapeHides() {
    WorkingFolder folder(false);
    CopyDelivered(folder, "Al.ele");
    CopyDelivered(folder, "Pb.ele");
    Bench bench;
    bench.dialog.PrepareAndShow();
    QVERIFY(QTest::qWaitForWindowActive(&bench.dialog));
    bench.File1()->setFocus();
    QTest::keyClick(bench.File1(), Qt::Key_Down);
    QTest::keyClick(bench.File1(), Qt::Key_Down);
    QCOMPARE(bench.File1()->currentItem()->text(), QStringLiteral("Pb.ele"));
    QCOMPARE(Child<QLabel>(bench.dialog, "Label5")->text(), QStringLiteral("Pb  Lead  (Z=82)"));
    QCOMPARE(QApplication::focusWidget(), bench.File1());  // the keys stay in the list
    QTest::keyClick(bench.File1(), Qt::Key_Escape);
    QVERIFY(!bench.dialog.isVisible());
    QCOMPARE(bench.state.filters.count, 0);
  }

  void EachMalformedFileChangesNothing() {
    WorkingFolder folder(false);
    CopyDelivered(folder, "Al.ele");
    const QByteArray good = "0.001 1 1 1 0 0\n1.0 1 1 1 0 0\n";
    const QList<QPair<QString, QByteArray>> files = {
        {"a_header.ele", "desc\n2.7\n"},
        {"b_count.ele", "desc\n2.7 121\n" + good},
        {"c_short.ele", "desc\n2.7 3\n" + good},
        {"d_item.mix", "desc\n2.7 2\n0.001 1 x 1 0 0\n1.0 1 1 1 0 0\n"},
        {"e_order.ele", "desc\n2.7 3\n0.001 1 1 1 0 0\n0.7 1 1 1 0 0\n0.6 1 1 1 0 0\n"},
        {"f_bracket.ele", "desc\n2.7 2\n0.002 1 1 1 0 0\n1.0 1 1 1 0 0\n"},
        {"g_total.ele", "desc\n2.7 2\n0.001 0 0 0 0 0\n1.0 1 1 1 0 0\n"},
        {"h_gone.ele", "desc\n2.7 2\n" + good},
    };
    const QStringList faults = {"密度とデータ行数",     "2～120 の整数ではありません", "数値が足りません",
                                "数値でない項目があります。\nd_item.mix  3 行目", "小さい順に並んでいません (データの 3 行目)",
                                "最初のエネルギー",     "1 行目の減弱係数の合計",     "ファイルがないか"};
    for (const auto& file : files) WriteText(folder, file.first, file.second);
    Bench bench;
    bench.dialog.PrepareAndShow();
    bench.Add("Al.ele", "2");
    bench.dialog.PrepareAndShow();
    bench.state.filters.thickness[2] = 0.123;
    const ArbitraryFilterSet before = bench.state.filters;
    const QStringList listed = bench.panel.Lines();
    MessageBoxCatcher catcher;
    for (int n = 0; n < files.size(); ++n) {
      ClickFile(bench.File1(), files[n].first);
      if (files[n].first == "h_gone.ele") QVERIFY(QFile::remove(folder.Path("h_gone.ele")));
      bench.Text2()->setText("1");
      bench.Ok()->click();
      QCOMPARE(catcher.texts.size(), n + 1);
      QVERIFY2(catcher.texts.last().contains(files[n].first), qPrintable(catcher.texts.last()));
      QVERIFY2(catcher.texts.last().contains(faults[n]), qPrintable(catcher.texts.last()));
      QCOMPARE(bench.state.filters.count, before.count);
      QVERIFY(bench.state.filters.coefficients == before.coefficients);
      QVERIFY(bench.state.filters.thickness == before.thickness);
      QCOMPARE(bench.panel.Lines(), listed);
      QVERIFY(bench.command4.isEnabled());
      QVERIFY(bench.dialog.isVisible());
    }
  }

  void SetButtonAfterThreeFiltersReleaseAndGraphReset() {
    WorkingFolder folder;
    for (const char* name : {"Al.ele", "Cu.ele", "Sn.ele"}) CopyDelivered(folder, name);
    TuckerMainWindow program;
    ProgramState& state = program.state;
    MainWindow& window = program.window;
    auto* command4 = Child<QPushButton>(window, "Command4");
    auto* dialog = Child<FilterDialog>(window, "Form1");
    const char* thicknesses[] = {"1", "0.25", "0.5"};
    const char* names[] = {"Al.ele", "Cu.ele", "Sn.ele"};
    for (int n = 0; n < 3; ++n) {
      QVERIFY(command4->isEnabled());
      command4->click();
      QVERIFY(dialog->isVisible());
      ClickFile(Child<QListWidget>(*dialog, "File1"), names[n]);
      Child<QLineEdit>(*dialog, "Text2")->setText(thicknesses[n]);
      Child<QPushButton>(*dialog, "Command1")->click();
      QCOMPARE(state.calculation.filters.count, n + 1);
    }
    QVERIFY(!command4->isEnabled());
    QCOMPARE(window.FilterList()->Lines(),
             (QStringList{"Al  Aluminium  (Z=13) / 1 mm", "Cu  Copper  (Z=29) / 0.25 mm", "Sn  Tin  (Z=50) / 0.5 mm"}));
    Child<QPushButton>(window, "Command5")->click();  // release: filters gone, set usable again
    QCOMPARE(state.calculation.filters.count, 0);
    QVERIFY(command4->isEnabled());
    command4->click();
    QVERIFY(dialog->isVisible());
    ClickFile(Child<QListWidget>(*dialog, "File1"), "Al.ele");
    Child<QLineEdit>(*dialog, "Text2")->setText("2");
    Child<QPushButton>(*dialog, "Command1")->click();
    QCOMPARE(state.calculation.filters.count, 1);
    QVERIFY(command4->isEnabled());
    Child<QPushButton>(window, "Command3")->click();  // graph reset keeps it usable
    QVERIFY(command4->isEnabled());
  }
};

QTEST_MAIN(FilterDialogTest)
#include "filter_dialog_test.moc"
