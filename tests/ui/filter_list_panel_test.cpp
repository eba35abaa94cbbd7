// Picture1, the list of arbitrary filters: one line per slot, thickness in mm, cleared as a whole.

#include <QtTest>

#include "filter_list_panel.h"

using namespace kestrix;

class FilterListPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void ThicknessIsListedInMillimetresWithoutTrailingZeros() {
    QCOMPARE(FilterListPanel::ThicknessText(0.05), QStringLiteral("0.5 mm"));
    QCOMPARE(FilterListPanel::ThicknessText(0.2), QStringLiteral("2 mm"));
    QCOMPARE(FilterListPanel::ThicknessText(0), QStringLiteral("0 mm"));
    QCOMPARE(FilterListPanel::ThicknessText(0.012345), QStringLiteral("0.12345 mm"));
  }

  void SlotsSitOnLinesFiveTwentyAndThirtyFive() {
    QCOMPARE(FilterListPanel::LineY(1), 5.0);
    QCOMPARE(FilterListPanel::LineY(2), 20.0);
    QCOMPARE(FilterListPanel::LineY(3), 35.0);
  }

  void ListsFiltersBySlotAndClearsThemAll() {
    FilterListPanel panel(nullptr);
    QCOMPARE(panel.objectName(), QStringLiteral("Picture1"));
    panel.ListFilter(1, QStringLiteral("Lead"), 0.01);
    panel.ListFilter(3, QStringLiteral("Polyethylene (C2H4)n"), 1.5);
    panel.ListFilter(4, QStringLiteral("no such slot"), 1.0);
    QCOMPARE(panel.Lines(), (QStringList{QStringLiteral("Lead / 0.1 mm"), QString(),
                                         QStringLiteral("Polyethylene (C2H4)n / 15 mm")}));
    panel.Clear();
    QCOMPARE(panel.Lines(), (QStringList{QString(), QString(), QString()}));
  }

  void LongDescriptionStopsShortOfTheThickness() {
    FilterListPanel panel(nullptr);
    panel.resize(129, 73);
    panel.ListFilter(1, QStringLiteral("Polyimide film (Kapton) C22H10N2O5, NIST compound"), 0.0125);
    const QImage image = panel.grab().toImage();
    // the columns just before the thickness stay white on the first line
    const int xThickness = 2 + static_cast<int>(FilterListPanel::kThicknessX * FilterListPanel::kTwipsPerUnitX / 15.0 + 0.5);
    const int yLine = 2 + static_cast<int>(FilterListPanel::LineY(1) * FilterListPanel::kTwipsPerUnitY / 15.0 + 0.5);
    int inkBeforeThickness = 0;
    int inkInThickness = 0;
    for (int y = yLine; y < yLine + 14; ++y) {
      for (int x = xThickness - 3; x < xThickness; ++x) inkBeforeThickness += image.pixelColor(x, y) != Qt::white;
      for (int x = xThickness; x < image.width() - 2; ++x) inkInThickness += image.pixelColor(x, y) != Qt::white;
    }
    QCOMPARE(inkBeforeThickness, 0);
    QVERIFY(inkInThickness > 0);
  }
};

QTEST_MAIN(FilterListPanelTest)
#include "filter_list_panel_test.moc"
