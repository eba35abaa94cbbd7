// The image export dialog: the BMP holds the graph's persistent bitmap pixel for pixel in 24
// bits, an existing picture is replaced after clicking it, and an empty name or a folder that
// cannot be written is reported with the dialog left open.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "calculation_state.h"
#include "folder_picker.h"
#include "image_export_dialog.h"
#include "palette_color.h"
#include "pattern_file_list.h"
#include "graph_picture.h"
#include "ui_test_support.h"

using namespace kestrix;
using kestrix::test::Child;
using kestrix::test::MessageBoxCatcher;
using kestrix::test::WorkingFolder;

namespace {

/// A hump over bins 2..`top` with its peak 1 at bin `top` / 3.
void FillSpectrum(CalculationState& state, int top) {
  state.SpectrumBins.fill(0);
  for (int i = 2; i <= top; ++i) {
    const double x = (i - top / 3.0) / (top / 4.0);
    state.SpectrumBins[i] = 1 / (1 + x * x);
  }
  state.SpectrumPeak = 1;
}

QImage Rgb888(const QImage& image) { return image.convertToFormat(QImage::Format_RGB888); }

/// bits per pixel from the header of a Windows bitmap file
int BitsPerPixel(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray header = file.read(30);
  if (header.size() < 30 || !header.startsWith("BM")) return -1;
  return static_cast<unsigned char>(header[28]) | static_cast<unsigned char>(header[29]) << 8;
}

}  // namespace

class ImageExportDialogTest : public QObject {
  Q_OBJECT

  struct Bench {
    WorkingFolder folder{false};
    CalculationState state;
    GraphPicture graph{state, nullptr};
    ImageExportDialog dialog{[this] { return graph.Image(); }, nullptr};

    Bench() {
      graph.Clear();
      graph.DrawEmptyGraph(DisplayQuantity::PhotonNumber);
      FillSpectrum(state, 400);
      graph.PlotSpectrumCurve(kPaletteRed);
      dialog.PrepareAndShow();
    }
    QLineEdit* Name() { return Child<QLineEdit>(dialog, "Text1"); }
    void Save(const QString& name) {
      Name()->setText(name);
      Child<QPushButton>(dialog, "Command1")->click();
    }
  };

 private slots:
  void CaptionsAndFileList() {
    Bench bench;
    QCOMPARE(bench.dialog.objectName(), QStringLiteral("Form7"));
    QCOMPARE(bench.dialog.windowTitle(), QStringLiteral("Image Save"));
    QCOMPARE(Child<QLabel>(bench.dialog, "Label1")->text(), QStringLiteral("表示されたスペクトルの画像を"));
    QCOMPARE(Child<QLabel>(bench.dialog, "Label2")->text(), QStringLiteral("ファイル名（拡張子なしで入力）"));
    QCOMPARE(Child<QLabel>(bench.dialog, "Label3")->text(), QStringLiteral("ビットマップ形式で保存します"));
    for (const char* name : {"a.bmp", "b.csv", "c.BMP"}) {
      QFile f(bench.folder.Path(name));
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    bench.Name()->setText("typed");
    bench.dialog.PrepareAndShow();
    QVERIFY(bench.Name()->text().isEmpty());
    auto* file1 = Child<QListWidget>(bench.dialog, "File1");
    QCOMPARE(file1->count(), 2);
    QCOMPARE(file1->item(0)->text(), QStringLiteral("a.bmp"));
  }

  void NameBoxHasTheFocusAndEnterSaves() {
    Bench bench;
    bench.dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&bench.dialog));
    QCOMPARE(bench.dialog.focusWidget(), bench.Name());
    MessageBoxCatcher catcher;
    QTest::keyClicks(bench.Name(), "typed");
    QTest::keyClick(bench.Name(), Qt::Key_Return);
    QCOMPARE(catcher.texts, QStringList{"グラフをBMP画像として保存しました。"});
    QVERIFY(QFile::exists(bench.folder.Path("typed.bmp")));
  }

  void SavedBitmapIsTheGraphPixelForPixelIn24Bits() {
    Bench bench;
    MessageBoxCatcher catcher;
    bench.Save("graph");
    const QString path = bench.folder.Path("graph.bmp");
    QCOMPARE(catcher.texts, QStringList{"グラフをBMP画像として保存しました。"});
    QCOMPARE(catcher.icons.first(), QMessageBox::NoIcon);
    QVERIFY(!bench.dialog.isVisible());
    QCOMPARE(BitsPerPixel(path), 24);
    const QImage saved(path);
    QCOMPARE(saved.size(), QSize(GraphPicture::kInnerWidthPx, GraphPicture::kInnerHeightPx));
    QVERIFY(Rgb888(saved) == Rgb888(bench.graph.Image()));
  }

  void ClickedPictureIsReplacedByTheCurrentGraph() {
    Bench bench;
    {
      MessageBoxCatcher catcher;
      bench.Save("shot");
    }
    const QImage first = Rgb888(bench.graph.Image());
    FillSpectrum(bench.state, 200);
    bench.graph.PlotSpectrumCurve(kPaletteBlue);
    QVERIFY(Rgb888(bench.graph.Image()) != first);
    bench.dialog.PrepareAndShow();
    auto* file1 = Child<QListWidget>(bench.dialog, "File1");
    QCOMPARE(file1->count(), 1);
    QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, file1->visualItemRect(file1->item(0)).center());
    QCOMPARE(bench.Name()->text(), QStringLiteral("shot"));
    {
      // Replacing is asked first; the default answer keeps the old picture and the dialog open.
      MessageBoxCatcher no;
      Child<QPushButton>(bench.dialog, "Command1")->click();
      QCOMPARE(no.texts.size(), 1);
      QVERIFY(no.texts[0].startsWith(QStringLiteral("同じ名前のファイルがすでにあります。")));
      QCOMPARE(no.icons[0], QMessageBox::Question);
      QVERIFY(Rgb888(QImage(bench.folder.Path("shot.bmp"))) == first);
      QVERIFY(bench.dialog.isVisible());
    }
    MessageBoxCatcher yes(QMessageBox::Yes);
    Child<QPushButton>(bench.dialog, "Command1")->click();
    QCOMPARE(yes.texts.size(), 2);
    QVERIFY(Rgb888(QImage(bench.folder.Path("shot.bmp"))) == Rgb888(bench.graph.Image()));
    QCOMPARE(QDir(bench.folder.Path(".")).entryList(QDir::Files), QStringList{"shot.bmp"});
  }

  void EscapeHidesTheDialog() {
    Bench bench;
    QVERIFY(QTest::qWaitForWindowActive(&bench.dialog));
    QTest::keyClick(bench.Name(), Qt::Key_Escape);
    QVERIFY(!bench.dialog.isVisible());
  }

  void ClickedPictureWithUpperCaseExtensionIsReplaced() {
    Bench bench;
    QImage old(8, 8, QImage::Format_RGB888);
    old.fill(Qt::green);
    QVERIFY(old.save(bench.folder.Path("Old.BMP"), "BMP"));
    bench.dialog.PrepareAndShow();
    auto* file1 = Child<QListWidget>(bench.dialog, "File1");
    QCOMPARE(file1->count(), 1);
    QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, file1->visualItemRect(file1->item(0)).center());
    QCOMPARE(bench.Name()->text(), QStringLiteral("Old"));
    MessageBoxCatcher catcher(QMessageBox::Yes);
    Child<QPushButton>(bench.dialog, "Command1")->click();
    QCOMPARE(catcher.texts.size(), 2);
    QCOMPARE(catcher.texts.last(), QStringLiteral("グラフをBMP画像として保存しました。"));
    QCOMPARE(QDir(bench.folder.Path(".")).entryList(QDir::Files), QStringList{"Old.BMP"});
    QVERIFY(Rgb888(QImage(bench.folder.Path("Old.BMP"), "BMP")) == Rgb888(bench.graph.Image()));
  }

  void EmptyNameAndUnwritableFolderAreReported() {
    Bench bench;
    MessageBoxCatcher catcher;
    bench.Save("");
    QCOMPARE(catcher.texts, QStringList{"ファイル名を入力して下さい"});
    QVERIFY(!bench.folder.Exists(".bmp"));
    bench.dialog.Folders().ChooseFolder("/proc");  // a folder where no file can be created
    bench.Save("graph");
    QCOMPARE(catcher.texts.size(), 2);
    QVERIFY(catcher.texts.last().startsWith(QStringLiteral("画像を保存できませんでした。")));
    QVERIFY(!catcher.texts.last().contains(QStringLiteral("保存しました")));
    bench.dialog.Folders().ChooseFolder(bench.folder.Path("."));
    bench.Save("a/b");
    QCOMPARE(catcher.texts.size(), 3);
    for (QMessageBox::Icon icon : catcher.icons) QCOMPARE(icon, QMessageBox::Warning);
    QVERIFY(bench.dialog.isVisible());
  }
};

QTEST_MAIN(ImageExportDialogTest)
#include "image_export_dialog_test.moc"
