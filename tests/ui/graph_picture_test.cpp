// The spectrum graph on its own: the persistent bitmap's grid, frame and curves in exact palette
// colours, relabelling, and the cursor read-out at the frame's edges and the grid's ends.

#include <QLabel>
#include <QPainter>
#include <QSet>
#include <QtTest>

#include "calculation_state.h"
#include "cursor_line.h"
#include "graph_mapping.h"
#include "palette_color.h"
#include "graph_picture.h"

using namespace kestrix;

namespace {

/// a smooth hump over bins 2..400 (a 200 kV spectrum) with its peak `peak` at bin 120
void FillSpectrum(CalculationState& state, double peak) {
  state.SpectrumBins.fill(0);
  for (int i = 2; i <= 400; ++i) {
    const double x = (i - 120) / 90.0;
    state.SpectrumBins[i] = peak / (1 + x * x);
  }
  state.SpectrumPeak = peak;
}

QSet<QRgb> ColorsIn(const QImage& image) {
  QSet<QRgb> colors;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) colors.insert(image.pixel(x, y) | 0xff000000u);
  }
  return colors;
}

/// topmost row of the bitmap holding colour `color`, or -1
int TopRowOf(const QImage& image, QColor color) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == color) return y;
    }
  }
  return -1;
}

}  // namespace

class GraphPictureTest : public QObject {
  Q_OBJECT
  CalculationState state;
  GraphPicture* graph = nullptr;
  QString energyText, valueText;
  int readouts = 0;

  QPoint Px(double x, double y) const { return GraphLogicalToPixel({x, y}, graph->Image().size()); }
  QColor At(double x, double y) const { return graph->Image().pixelColor(Px(x, y)); }
  CursorLine* Line(const char* name) const { return graph->findChild<CursorLine*>(QLatin1String(name)); }

 private slots:
  void init() {
    state = CalculationState{};
    graph = new GraphPicture(state, nullptr);
    graph->DrawEmptyGraph(DisplayQuantity::PhotonNumber);
    readouts = 0;
    connect(graph, &GraphPicture::ReadoutChanged, this, [this](const QString& e, const QString& v) {
      energyText = e;
      valueText = v;
      ++readouts;
    });
    graph->show();
  }
  void cleanup() { delete graph; }

  void EmptyGraphHasGreyGridBlackFrameAndOnlyPaletteColours() {
    QCOMPARE(graph->Image().size(), QSize(725, 421));
    QCOMPARE(graph->objectName(), QStringLiteral("Picture3"));
    const QColor grey(128, 128, 128);
    for (double x = 2750; x <= 10250; x += 750) QCOMPARE(At(x, 1000), grey);
    for (double y = 300; y <= 1900; y += 200) QCOMPARE(At(6100, y), grey);
    QCOMPARE(At(2000, 1000), QColor(Qt::black));
    QCOMPARE(At(11000, 1000), QColor(Qt::black));
    QCOMPARE(At(6100, 100), QColor(Qt::black));
    QCOMPARE(At(6100, 2100), QColor(Qt::black));
    QCOMPARE(At(6100, 1000), QColor(Qt::white));
    // Drawn without smoothing: white background, grey grid, black frame and texts, nothing else.
    QCOMPARE(ColorsIn(graph->Image()), (QSet<QRgb>{qRgb(255, 255, 255), qRgb(128, 128, 128), qRgb(0, 0, 0)}));
  }

  void FrameCornersAreWholeSquares() {
    // The 2-pixel frame reaches out to its corner pixels, with no notch at any corner.
    const QPoint topLeft = Px(2000, 100);
    const QPoint bottomRight = Px(11000, 2100);
    const QImage& image = graph->Image();
    const QColor black(Qt::black);
    QCOMPARE(image.pixelColor(topLeft + QPoint(-1, -1)), black);
    QCOMPARE(image.pixelColor(topLeft + QPoint(-2, -2)), QColor(Qt::white));
    QCOMPARE(image.pixelColor(QPoint(bottomRight.x() + 1, topLeft.y() - 1)), black);
    QCOMPARE(image.pixelColor(QPoint(topLeft.x() - 1, bottomRight.y() + 1)), black);
    QCOMPARE(image.pixelColor(bottomRight + QPoint(1, 1)), black);
  }

  void ModelCaptionEndsInsideTheFrameAndReadoutCaptionsShareOneSize() {
    const int frameRight = graph->WidgetPixelOf({11000, 100}).x();
    for (const QString& caption : {QStringLiteral("by Tucker's formula"), QStringLiteral("by Birch's formula")}) {
      graph->ShowModelCaption(caption);
      QLabel* label = graph->ModelCaption();
      QVERIFY(label->isVisible());
      QCOMPARE(label->text(), caption);
      QVERIFY2(label->geometry().right() < frameRight, qPrintable(caption));
      QVERIFY(label->geometry().left() > graph->WidgetPixelOf({2000, 100}).x());
    }
    auto* energy = graph->findChild<QLabel*>(QStringLiteral("Label24"));
    auto* value = graph->findChild<QLabel*>(QStringLiteral("Label25"));
    QCOMPARE(energy->font().pixelSize(), value->font().pixelSize());
    QCOMPARE(energy->font().family(), value->font().family());
  }

  void RelabelReplacesOnlyTheQuantityNameAndTheReadoutCaption() {
    const QImage photon = graph->Image().copy();
    auto* label25 = graph->findChild<QLabel*>(QStringLiteral("Label25"));
    QCOMPARE(label25->text(), QStringLiteral("相対光子数"));
    graph->Relabel(DisplayQuantity::Energy);
    QCOMPARE(label25->text(), QStringLiteral("相対エネルギー"));
    QVERIFY(graph->Image() != photon);
    const QRect nameArea(Px(0, 690), Px(1900, 1100));
    QImage outside = graph->Image().copy();
    QImage before = photon.copy();
    QPainter(&outside).fillRect(nameArea, Qt::white);
    QPainter(&before).fillRect(nameArea, Qt::white);
    QCOMPARE(outside, before);
    graph->Relabel(DisplayQuantity::Exposure);
    QCOMPARE(label25->text(), QStringLiteral("相対照射線量"));
    graph->Relabel(DisplayQuantity::PhotonNumber);
    QCOMPARE(graph->Image(), photon);
  }

  void CurveIsDrawnInItsPaletteColourUpToTheTopOfTheFrame() {
    FillSpectrum(state, 7.25);
    graph->PlotSpectrumCurve(kPaletteRed);
    const QImage& image = graph->Image();
    QCOMPARE(ColorsIn(image),
             (QSet<QRgb>{qRgb(255, 255, 255), qRgb(128, 128, 128), qRgb(0, 0, 0), qRgb(255, 0, 0)}));
    const int frameTop = Px(0, kFrameTop).y();
    const int redTop = TopRowOf(image, Qt::red);
    QVERIFY2(redTop >= frameTop - 1 && redTop <= frameTop + 2, qPrintable(QString::number(redTop)));
    // Above 200 keV the spectrum is 0: the curve runs on the bottom edge, hidden by the frame.
    QCOMPARE(image.pixelColor(Px(9000, 2100)), QColor(Qt::black));
    QCOMPARE(Line("Line6")->Color(), QColor(Qt::red));
    QCOMPARE(Line("Line7")->Color(), QColor(Qt::red));
  }

  void EachOverlaidCurveReachesTheTopScaledToItsOwnPeak() {
    FillSpectrum(state, 7.25);
    graph->PlotSpectrumCurve(kPaletteRed);
    FillSpectrum(state, 0.003);
    for (double& bin : state.SpectrumBins) bin = bin > 0 ? 0.003 - bin * 0.5 : 0;  // a different shape
    state.SpectrumPeak = 0;
    for (int i = 2; i <= 400; ++i) state.SpectrumPeak = std::max(state.SpectrumPeak, state.SpectrumBins[i]);
    graph->PlotSpectrumCurve(kPaletteBlue);
    const int frameTop = Px(0, kFrameTop).y();
    QVERIFY(TopRowOf(graph->Image(), Qt::red) <= frameTop + 2);
    QVERIFY(TopRowOf(graph->Image(), Qt::blue) <= frameTop + 2);
    QCOMPARE(Line("Line7")->Color(), QColor(Qt::blue));
  }

  void NoCurveIsDrawnForAPeakOfZero() {
    const QImage empty = graph->Image().copy();
    state.SpectrumPeak = 0;
    graph->PlotSpectrumCurve(kPaletteRed);
    QCOMPARE(graph->Image(), empty);
  }

  void MouseDoesNothingWhileThereIsNoSpectrum() {
    graph->MouseMovedTo({5000, 1000});
    QVERIFY(!graph->CursorActive());
    QVERIFY(!Line("Line6")->isVisible());
    QCOMPARE(readouts, 0);
  }

  void CursorAtTheFrameEdgesAndTheGridEnds() {
    FillSpectrum(state, 2.0);
    graph->PlotSpectrumCurve(kPaletteGreen);
    const QImage drawn = graph->Image().copy();

    graph->MouseMovedTo({2015, 1000});
    QVERIFY(graph->CursorActive());
    QCOMPARE(graph->CursorIndex(), 1);
    QCOMPARE(energyText, QStringLiteral("0.5"));
    QCOMPARE(valueText, QStringLiteral("0.000"));  // bin 1 is never computed
    QVERIFY(Line("Line6")->isVisible() && Line("Line7")->isVisible());
    QCOMPARE(Line("Line7")->geometry().top(), graph->WidgetPixelOf({0, kFrameBottom}).y());
    QCOMPARE(Line("Line6")->geometry().left(), graph->WidgetPixelOf({2015, 0}).x());

    graph->MouseMovedTo({10999, 1000});
    QCOMPARE(graph->CursorIndex(), 600);
    QCOMPARE(energyText, QStringLiteral("300.0"));
    QCOMPARE(valueText, QStringLiteral("0.000"));

    graph->MouseMovedTo({2000 + 15 * 120, 1000});  // the peak
    QCOMPARE(energyText, QStringLiteral("60.0"));
    QCOMPARE(valueText, QStringLiteral("100.000"));
    QCOMPARE(Line("Line7")->geometry().top(), graph->WidgetPixelOf({0, kFrameTop}).y());
    // The cursor lines lie above the bitmap, never in it.
    QCOMPARE(graph->Image(), drawn);

    for (QPointF edge : {QPointF(2000, 1000), QPointF(11000, 1000), QPointF(5000, 100), QPointF(5000, 2100)}) {
      graph->MouseMovedTo({5000, 1000});
      QVERIFY(graph->CursorActive());
      graph->MouseMovedTo(edge);
      QVERIFY(!graph->CursorActive());
      QVERIFY(!Line("Line6")->isVisible() && !Line("Line7")->isVisible());
      QVERIFY(energyText.isEmpty() && valueText.isEmpty());
    }
  }

  void ArrowKeysStopAtTheGridEnds() {
    FillSpectrum(state, 2.0);
    graph->PlotSpectrumCurve(kPaletteRed);
    graph->MoveCursor(+1);  // inactive until the mouse has been over the frame
    QCOMPARE(readouts, 0);

    graph->MouseMovedTo({10999, 1000});
    const int before = readouts;
    graph->MoveCursor(+1);
    QCOMPARE(graph->CursorIndex(), 600);
    QCOMPARE(readouts, before);
    graph->MoveCursor(-1);
    QCOMPARE(graph->CursorIndex(), 599);
    QCOMPARE(energyText, QStringLiteral("299.5"));

    graph->MouseMovedTo({2010, 1000});
    graph->MoveCursor(-1);
    QCOMPARE(graph->CursorIndex(), 1);
    QCOMPARE(energyText, QStringLiteral("0.5"));
    graph->MoveCursor(+1);
    QCOMPARE(graph->CursorIndex(), 2);
    QCOMPARE(energyText, QStringLiteral("1.0"));
  }

  void RealMouseMovementReadsInLogicalUnits() {
    FillSpectrum(state, 2.0);
    graph->PlotSpectrumCurve(kPaletteRed);
    QTest::mouseMove(graph, graph->WidgetPixelOf({2000 + 15 * 120, 1000}));
    QTRY_VERIFY(graph->CursorActive());
    QCOMPARE(energyText, QStringLiteral("60.0"));
    QTest::mouseMove(graph, QPoint(5, 5));
    QTRY_VERIFY(!graph->CursorActive());
  }
};

QTEST_MAIN(GraphPictureTest)
#include "graph_picture_test.moc"
