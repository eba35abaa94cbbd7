// The graph's logical units against its bitmap's pixels, the frame test and the cursor index.

#include <QtTest>

#include "graph_mapping.h"

using namespace kestrix;

class GraphMappingTest : public QObject {
  Q_OBJECT
  const QSize inner{725, 421};

 private slots:
  void CornersOfTheAreaAndFrameLandOnTheirPixels() {
    QCOMPARE(GraphLogicalToPixel({0, 0}, inner), QPoint(0, 0));
    QCOMPARE(GraphLogicalToPixel({12500, 2500}, inner), QPoint(725, 421));
    QCOMPARE(GraphLogicalToPixel({kFrameLeft, kFrameTop}, inner), QPoint(116, 17));
    QCOMPARE(GraphLogicalToPixel({kFrameRight, kFrameBottom}, inner), QPoint(638, 354));
  }

  void EveryPixelColumnAndRowSurvivesTheRoundTrip() {
    for (int x = 0; x <= inner.width(); ++x) {
      QCOMPARE(GraphLogicalToPixel(GraphPixelToLogical({x, 0}, inner), inner).x(), x);
    }
    for (int y = 0; y <= inner.height(); ++y) {
      QCOMPARE(GraphLogicalToPixel(GraphPixelToLogical({0, y}, inner), inner).y(), y);
    }
  }

  void ScalesPutTheGridAndTheSpectrumInTheFrame() {
    QCOMPARE(GraphXOfGridIndex(0), kFrameLeft);
    QCOMPARE(GraphXOfGridIndex(600), kFrameRight);
    QCOMPARE(GraphXOfGridIndex(200), 5000.0);  // 100 keV at 2000 + 30 * 100
    QCOMPARE(GraphYOfValue(0, 3.5), kFrameBottom);
    QCOMPARE(GraphYOfValue(3.5, 3.5), kFrameTop);
    QCOMPARE(GraphYOfValue(0.35, 3.5), 1900.0);
  }

  void FrameEdgesCountAsOutside() {
    QVERIFY(!IsInsidePlotFrame({2000, 1000}));
    QVERIFY(!IsInsidePlotFrame({11000, 1000}));
    QVERIFY(!IsInsidePlotFrame({5000, 100}));
    QVERIFY(!IsInsidePlotFrame({5000, 2100}));
    QVERIFY(IsInsidePlotFrame({2000.5, 100.5}));
    QVERIFY(IsInsidePlotFrame({10999, 2099}));
    QVERIFY(!IsInsidePlotFrame({-5, 1000}));
  }

  void CursorIndexIsTheFirstGridPointAtOrRightOfX() {
    QCOMPARE(CursorIndexForX(2000.5), 1);
    QCOMPARE(CursorIndexForX(2015), 1);
    QCOMPARE(CursorIndexForX(2015.01), 2);
    QCOMPARE(CursorIndexForX(5000), 200);
    QCOMPARE(CursorIndexForX(10985), 599);
    QCOMPARE(CursorIndexForX(10985.5), 600);
    QCOMPARE(CursorIndexForX(10999), 600);
  }

  void MousePixelOnTheLeftFrameColumnReadsAsTheEdge() {
    // Pixel 116 is where the frame's left edge is drawn: it reads x = 2000, outside the frame.
    QCOMPARE(GraphPixelToLogical({116, 200}, inner).x(), 2000.0);
    QVERIFY(GraphPixelToLogical({117, 200}, inner).x() > 2000.0);
  }
};

QTEST_GUILESS_MAIN(GraphMappingTest)
#include "graph_mapping_test.moc"
