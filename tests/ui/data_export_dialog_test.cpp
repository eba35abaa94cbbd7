// The data export dialog: opening state, preview and save byte for byte, the extension rules,
// the drive, folder and file lists, every failure reported with the dialog left open, and the lines
// that name a tube other than tungsten with its lines on the central ray.

#include <cmath>
#include <sstream>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "data_export_dialog.h"
#include "dialog_wiring.h"
#include "engine_process.h"
#include "exchange_files.h"
#include "folder_picker.h"
#include "main_window.h"
#include "pattern_file_list.h"
#include "program_state.h"
#include "ui_test_support.h"
#include "user_messages.h"

using namespace kestrix;
using kestrix::test::Child;
using kestrix::test::MessageBoxCatcher;
using kestrix::test::TuckerMainWindow;
using kestrix::test::WorkingFolder;

namespace {

/// A 100 kV-like relative spectrum: bins 2..199, maximum 1 at 35 keV.
ExchangeSpectrum HumpSpectrum() {
  ExchangeSpectrum s{};
  for (int i = 2; i < 200; ++i) {
    const double e = 0.5 * i;
    s[i] = (100 - e) / 65 * std::exp(1 - (100 - e) / 65) * (e / 35) * std::exp(1 - e / 35);
  }
  s[70] = 1.0;
  return s;
}

void WriteExchange(const WorkingFolder& folder, const ExchangeSpectrum& spectrum) {
  std::ostringstream out;
  WriteSpectrumExchange(out, spectrum);
  QFile file(folder.Path(kSpectrumExchangeFile));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(QByteArray::fromStdString(out.str()));
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class DataExportDialogTest : public QObject {
  Q_OBJECT

  struct Bench {
    WorkingFolder folder{false};
    QString out = folder.Path("out");
    DataExportDialog dialog{nullptr};

    Bench() {
      QDir().mkpath(out);
      WriteExchange(folder, HumpSpectrum());
      dialog.Folders().ChooseFolder(out);
      dialog.PrepareAndShow();
    }
    QRadioButton* Option(int n) { return Child<QRadioButton>(dialog, qPrintable(QStringLiteral("Option%1").arg(n))); }
    QPushButton* Button(int n) { return Child<QPushButton>(dialog, qPrintable(QStringLiteral("Command%1").arg(n))); }
    QLineEdit* Name() { return Child<QLineEdit>(dialog, "Text1"); }
    QListWidget* List1() { return Child<QListWidget>(dialog, "List1"); }
    void Preview() { Button(3)->click(); }
    void Save(const QString& name) {
      Name()->setText(name);
      Button(1)->click();
    }
  };

 private slots:
  void OpeningResetsOptionsPreviewNameAndOk() {
    Bench bench;
    QCOMPARE(bench.dialog.windowTitle(), QStringLiteral("データ保存"));
    QCOMPARE(bench.Option(1)->text(), QStringLiteral("カンマ区切り (拡張子 csv)"));
    QCOMPARE(Child<QLabel>(bench.dialog, "Label3")->text(), QStringLiteral("既存ファイル (.csv  and  .dat)"));
    for (int n : {2, 4, 6, 8, 10}) bench.Option(n)->setChecked(true);
    bench.Preview();
    bench.Name()->setText("x");
    bench.dialog.PrepareAndShow();
    for (int n : {1, 3, 5, 7, 9}) QVERIFY(bench.Option(n)->isChecked());
    QCOMPARE(bench.List1()->count(), 0);
    QVERIFY(bench.Name()->text().isEmpty());
    QVERIFY(!bench.dialog.isModal());
    QCOMPARE(bench.dialog.Folders().FileList()->Folder(), bench.out);
  }

  void PreviewAndSaveWriteThePreviewedTable() {
    Bench bench;
    bench.Preview();
    QCOMPARE(bench.List1()->count(), 601);
    QCOMPARE(bench.List1()->item(0)->text(), QStringLiteral("  keV, Fraction"));
    QCOMPARE(bench.List1()->item(70)->text(), QStringLiteral(" 0035.0, 1.00000"));
    MessageBoxCatcher catcher;
    bench.Save("spectrum");
    const QString path = bench.out + "/spectrum.csv";
    // The path is shortened in the middle where the box would grow too wide, and then given in full.
    const QString shown = ElidedForMessage(path, &bench.dialog);
    QCOMPARE(catcher.texts, QStringList{"データを " + shown + " に保存しました"});
    QCOMPARE(catcher.details.first(), shown == path ? QString() : path);
    QCOMPARE(catcher.icons.first(), QMessageBox::NoIcon);
    QVERIFY(!bench.dialog.isVisible());
    QByteArray expected;
    for (int i = 0; i < 601; ++i) expected += bench.List1()->item(i)->text().toLatin1() + "\r\n";
    QCOMPARE(ReadAll(path), expected);
    QVERIFY(ReadAll(path).startsWith("  keV, Fraction\r\n 0000.5, 0.00000\r\n 0001.0, "));
    QVERIFY(ReadAll(path).endsWith(" 0299.5, 0.00000\r\n 0300.0, 0.00000\r\n"));
  }

  void OptionsChooseSeparatorUnitNormalisationAndNotation() {
    Bench bench;
    for (int n : {2, 4, 6, 8, 10}) bench.Option(n)->setChecked(true);
    bench.Preview();
    QCOMPARE(bench.List1()->item(0)->text(), QStringLiteral("  MeV  Fraction"));
    QVERIFY(bench.List1()->item(1)->text().startsWith(QStringLiteral(" 5") + QLocale::system().decimalPoint() +
                                                      QStringLiteral("000E-04  0")));
    double sum = 0;
    for (int i = 1; i <= 600; ++i) sum += bench.dialog.PreviewedTable().values[i];
    QVERIFY(std::fabs(sum - 1) < 1e-12);
    MessageBoxCatcher catcher;
    bench.Save("table");
    QVERIFY(QFile::exists(bench.out + "/table.dat"));
  }

  void RepeatedTotalOnePreviewsDoNotCompound() {
    Bench bench;
    bench.Option(6)->setChecked(true);
    bench.Preview();
    QStringList first;
    for (int i = 0; i < bench.List1()->count(); ++i) first << bench.List1()->item(i)->text();
    bench.Preview();
    bench.Preview();
    QStringList third;
    for (int i = 0; i < bench.List1()->count(); ++i) third << bench.List1()->item(i)->text();
    QCOMPARE(third, first);
  }

  void TypedExtensionIsDoubledAndExtensionFollowsThePreview() {
    Bench bench;
    bench.Preview();
    MessageBoxCatcher catcher;
    bench.dialog.PrepareAndShow();
    bench.Preview();
    bench.Save("named.csv");
    QVERIFY(QFile::exists(bench.out + "/named.csv.csv"));
    // Comma-separated preview, space option chosen afterwards: the preview follows the options,
    // and OK saves what they say, a .dat of space-separated lines.
    bench.dialog.PrepareAndShow();
    bench.Preview();
    bench.Option(2)->setChecked(true);
    QVERIFY(!bench.List1()->item(1)->text().contains(','));
    bench.Save("mixed");
    QVERIFY(QFile::exists(bench.out + "/mixed.dat"));
    QVERIFY(!QFile::exists(bench.out + "/mixed.csv"));
    const QByteArray spaced = ReadAll(bench.out + "/mixed.dat");
    QVERIFY(spaced.startsWith(bench.List1()->item(0)->text().toUtf8() + "\r\n"));
    QVERIFY(!spaced.contains(','));
    // Every other option refreshes the preview too: MeV in the table after the unit is switched.
    bench.dialog.PrepareAndShow();
    bench.Preview();
    const QString keVLine = bench.List1()->item(2)->text();
    bench.Option(4)->setChecked(true);
    QVERIFY(bench.List1()->item(2)->text() != keVLine);
    QVERIFY(bench.Button(1)->isEnabled());
  }

  void ExistingFileIsReplaced() {
    Bench bench;
    QFile old(bench.out + "/same.csv");
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old content that is longer than nothing");
    old.close();
    bench.dialog.PrepareAndShow();
    QVERIFY(!bench.dialog.Folders().FileList()->findItems("same.csv", Qt::MatchExactly).isEmpty());
    bench.Preview();
    {
      // Asked first; the default answer keeps the file and the dialog.
      MessageBoxCatcher no;
      bench.Save("same");
      QCOMPARE(no.texts.size(), 1);
      QCOMPARE(no.icons[0], QMessageBox::Question);
      QVERIFY(no.texts[0].endsWith(QDir::toNativeSeparators(bench.out + "/same.csv")));
      QCOMPARE(ReadAll(bench.out + "/same.csv"), QByteArray("old content that is longer than nothing"));
      QVERIFY(bench.dialog.isVisible());
    }
    MessageBoxCatcher yes(QMessageBox::Yes);
    bench.Save("same");
    QCOMPARE(yes.texts.size(), 2);
    QVERIFY(ReadAll(bench.out + "/same.csv").startsWith("  keV, Fraction\r\n"));
    QCOMPARE(QDir(bench.out).entryList(QDir::Files), QStringList{"same.csv"});
  }

  void OkWithoutAPreviewSavesTheTableOfTheShownOptions() {
    Bench bench;
    bench.Option(2)->setChecked(true);
    MessageBoxCatcher catcher;
    bench.Save("direct");
    QCOMPARE(catcher.texts.size(), 1);
    QVERIFY(catcher.texts[0].startsWith(QStringLiteral("データを ")));
    QCOMPARE(bench.List1()->count(), 601);
    QVERIFY(ReadAll(bench.out + "/direct.dat").startsWith("  keV  Fraction\r\n 0000.5  0.00000\r\n"));
    // Without an exchange file the reason is given and nothing is written.
    bench.dialog.PrepareAndShow();
    QVERIFY(QFile::remove(bench.folder.Path(kSpectrumExchangeFile)));
    bench.Save("none");
    QCOMPARE(catcher.texts.size(), 2);
    QVERIFY(catcher.texts.last().startsWith(QStringLiteral("スペクトルデータを表示できません。")));
    QVERIFY(!QFile::exists(bench.out + "/none.csv"));
    QVERIFY(bench.dialog.isVisible());
  }

  void EscapeHidesTheDialog() {
    Bench bench;
    QVERIFY(QTest::qWaitForWindowActive(&bench.dialog));
    QTest::keyClick(bench.Name(), Qt::Key_Escape);
    QVERIFY(!bench.dialog.isVisible());
  }

  void FailuresAreReportedAndTheDialogStaysOpen() {
    Bench bench;
    MessageBoxCatcher catcher;
    bench.Preview();
    bench.Save("");
    QCOMPARE(catcher.texts.last(), QStringLiteral("ファイル名を入力して下さい"));
    bench.Save("sub/name");
    QCOMPARE(catcher.texts.size(), 2);
    bench.dialog.Folders().ChooseFolder("/proc");  // a folder where no file can be created
    bench.Save("table");
    QCOMPARE(catcher.texts.size(), 3);
    QVERIFY(catcher.texts.last().startsWith(QStringLiteral("データを保存できませんでした。")));
    QVERIFY(bench.dialog.isVisible());
    for (QMessageBox::Icon icon : catcher.icons) QCOMPARE(icon, QMessageBox::Warning);

    // Exchange file with a total of 0, then a short one, then none at all.
    ExchangeSpectrum zero{};
    WriteExchange(bench.folder, zero);
    bench.Option(6)->setChecked(true);  // refreshes the shown preview, which now fails
    QCOMPARE(catcher.texts.size(), 4);
    QVERIFY(catcher.texts.last().contains(QStringLiteral("全光子数が 0")));
    QCOMPARE(bench.List1()->count(), 0);
    QFile file(bench.folder.Path(kSpectrumExchangeFile));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("0000.5, 0.00000\r\n0001.0, 0.50000\r\n");
    file.close();
    bench.Preview();
    QCOMPARE(catcher.texts.size(), 5);
    QVERIFY(QFile::remove(bench.folder.Path(kSpectrumExchangeFile)));
    bench.Preview();
    QCOMPARE(catcher.texts.size(), 6);
    QVERIFY(catcher.texts.last().contains(kSpectrumExchangeFile));
    QVERIFY(bench.dialog.isVisible());
  }

  void ClearEnterAndPictureMoveFocus() {
    Bench bench;
    QVERIFY(QTest::qWaitForWindowActive(&bench.dialog));
    QCOMPARE(QApplication::focusWidget(), bench.Name());
    QTest::keyClick(bench.Name(), Qt::Key_Return);  // OK works without a preview
    QCOMPARE(QApplication::focusWidget(), bench.Button(1));
    QTest::mouseClick(Child<QLabel>(bench.dialog, "Picture1"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), bench.Name());
    bench.Preview();
    bench.Button(4)->click();
    QCOMPARE(bench.List1()->count(), 0);
    QVERIFY(bench.Button(1)->isEnabled());
  }

  void DriveFolderAndFileListsStayInStep() {
    Bench bench;
    QDir(bench.out).mkdir("inner");
    for (const char* name : {"a.csv", "b.dat", "c.bmp", "inner/d.csv"}) {
      QFile f(bench.out + "/" + name);
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    FolderPicker& folders = bench.dialog.Folders();
    folders.ChooseFolder(bench.out);
    QCOMPARE(folders.FileList()->count(), 2);
    auto* dir1 = Child<QListWidget>(bench.dialog, "Dir1");
    QVERIFY(!dir1->findItems("    inner", Qt::MatchEndsWith).isEmpty());
    folders.ChooseFolder(bench.out + "/inner");
    QCOMPARE(folders.FileList()->Folder(), bench.out + "/inner");
    QCOMPARE(folders.FileList()->item(0)->text(), QStringLiteral("d.csv"));
    // A volume that is not ready leaves the folder where it was; a ready one opens its root.
    auto* drive1 = Child<QComboBox>(bench.dialog, "Drive1");
    QVERIFY(drive1->findData("/") >= 0);
    folders.ChooseDrive("/no/such/volume");
    QCOMPARE(folders.Folder(), bench.out + "/inner");
    folders.ChooseDrive("/");
    QCOMPARE(folders.Folder(), QStringLiteral("/"));
    QCOMPARE(drive1->currentData().toString(), QStringLiteral("/"));
    // The folder persists between openings.
    bench.dialog.PrepareAndShow();
    QCOMPARE(folders.FileList()->Folder(), QStringLiteral("/"));
  }

  void TubeCommentLinesOnlyWhereTheyApply() {
    RunSettings settings;
    settings.model = SpectrumModel::Physics;
    QVERIFY(TubeCommentLines(settings).empty());  // tungsten, its lines, the central ray: as always
    settings.entries.target = TargetMaterial::Molybdenum;
    QCOMPARE(TubeCommentLines(settings), std::vector<std::string>{"# tube: Mo target"});
    settings.entries.target = TargetMaterial::Tungsten;
    settings.entries.characteristicLines = false;
    settings.entries.offAxisAlongDegrees = -7.5;
    QCOMPARE(TubeCommentLines(settings),
             (std::vector<std::string>{"# tube: W target, bremsstrahlung alone (no characteristic lines)",
                                       "# point: off axis -7.5 degrees along (positive towards the cathode), 0 degrees across"}));
  }

  void TubeCommentLinesNameATransmissionTarget() {
    RunSettings settings;
    settings.model = SpectrumModel::Physics;
    settings.entries.transmission = {1, TransmissionWindow::Diamond, 0.3};
    QCOMPARE(TubeCommentLines(settings), std::vector<std::string>{"# tube: W transmission target, 1 um on 0.3 mm diamond"});
    settings.entries.offAxisAcrossDegrees = 4;
    QCOMPARE(TubeCommentLines(settings),
             (std::vector<std::string>{"# tube: W transmission target, 1 um on 0.3 mm diamond",
                                       "# point: off axis 0 degrees along (positive towards the cathode), 4 degrees across"}));
  }

  void MolybdenumRunExportsItsTubeBeforeTheTable() {
    WorkingFolder folder;
    TuckerMainWindow program;
    MainWindow& window = program.window;
    MessageBoxCatcher catcher;
    auto* dialog = Child<DataExportDialog>(window, "Form5");
    auto save = [&](const QString& name) {
      Child<QPushButton>(window, "Command1")->click();
      Child<QPushButton>(window, "Command7")->click();
      Child<QLineEdit>(*dialog, "Text1")->setText(name);
      Child<QPushButton>(*dialog, "Command1")->click();
      return ReadAll(folder.Path(name + ".csv"));
    };
    window.InitialiseForModel(SpectrumModel::Physics);
    Child<QLineEdit>(window, "Text1")->setText("30");
    const QByteArray tungsten = save("w");
    QVERIFY(tungsten.startsWith("  keV, Fraction\r\n"));  // the table as it always was
    window.SetTarget(TargetMaterial::Molybdenum);
    Child<QLineEdit>(window, "OffAxisAcrossBox")->setText("5");
    const QByteArray molybdenum = save("mo");
    QVERIFY2(molybdenum.startsWith("# tube: Mo target\r\n# point: off axis 0 degrees along (positive towards the cathode), "
                                   "5 degrees across\r\n  keV, Fraction\r\n"),
             molybdenum.left(200).constData());
    QCOMPARE(molybdenum.count("\r\n"), 2 + 1 + 600);
    QCOMPARE(dialog->PreviewedComments().size(), std::size_t{2});
    QCOMPARE(Child<QListWidget>(*dialog, "List1")->item(0)->text(), QStringLiteral("# tube: Mo target"));
    QCOMPARE(catcher.texts.size(), 2);  // the two confirmations
    program.engine.WaitForEnd(10000, nullptr);
  }

  void HundredKilovoltRunExportsThroughTheMainWindow() {
    WorkingFolder folder;
    TuckerMainWindow program;
    EngineProcess& engine = program.engine;
    MainWindow& window = program.window;
    MessageBoxCatcher catcher;
    Child<QLineEdit>(window, "Text1")->setText("100");
    Child<QPushButton>(window, "Command1")->click();
    Child<QPushButton>(window, "Command7")->click();
    auto* dialog = Child<DataExportDialog>(window, "Form5");
    QVERIFY(dialog->isVisible());
    Child<QPushButton>(*dialog, "Command3")->click();
    const SpectrumTable& table = dialog->PreviewedTable();
    int maxima = 0;
    for (int i = 1; i <= 600; ++i) {
      if (i >= 200) QCOMPARE(QString::fromStdString(table.lines[i]).right(9), QStringLiteral(", 0.00000"));
      if (table.lines[i].substr(table.lines[i].size() - 7) == "1.00000") ++maxima;
    }
    QVERIFY(maxima >= 1);
    Child<QLineEdit>(*dialog, "Text1")->setText("run");
    Child<QPushButton>(*dialog, "Command1")->click();
    QVERIFY(QFile::exists(folder.Path("run.csv")));
    engine.WaitForEnd(10000, nullptr);
  }
};

QTEST_MAIN(DataExportDialogTest)
#include "data_export_dialog_test.moc"
