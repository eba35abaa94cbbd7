// Picture1, the list of arbitrary filters: one line per slot, thickness in mm, cleared as a whole.

#include <QToolTip>
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

  void ShortDescriptionsShowWholeAndALongOneIsCutWithItsTooltip() {
    FilterListPanel panel(nullptr);
    panel.resize(129, 73);  // its size in the main window
    panel.ListFilter(1, QStringLiteral("Pb  Lead"), 0.05);
    panel.ListFilter(2, QStringLiteral("Water"), 1.25);
    const QString longest = QStringLiteral("PMMA  Polymethyl methacrylate (Lucite, Perspex)");
    panel.ListFilter(3, longest, 0.0125);
    QCOMPARE(panel.LineToolTip(1), QString());
    QCOMPARE(panel.LineToolTip(2), QString());
    QCOMPARE(panel.LineToolTip(3), longest);

    // The cut description stops short of the thickness: a blank gap lies between them.
    const QImage image = panel.grab().toImage();
    const int yLine = 2 + static_cast<int>(FilterListPanel::LineY(3) * FilterListPanel::kTwipsPerUnitY / 15.0 + 0.5);
    const int xThickness = 129 - 2 - panel.fontMetrics().horizontalAdvance(FilterListPanel::ThicknessText(0.0125));
    int inkInGap = 0;
    int inkInThickness = 0;
    for (int y = yLine; y < yLine + 12; ++y) {
      for (int x = xThickness - 3; x < xThickness; ++x) inkInGap += image.pixelColor(x, y) != Qt::white;
      for (int x = xThickness; x < image.width() - 2; ++x) inkInThickness += image.pixelColor(x, y) != Qt::white;
    }
    QCOMPARE(inkInGap, 0);
    QVERIFY(inkInThickness > 0);
  }

  void TooltipEventShowsTheCutLineOnly() {
    FilterListPanel panel(nullptr);
    panel.resize(129, 73);
    const QString longest = QStringLiteral("PMMA  Polymethyl methacrylate (Lucite, Perspex)");
    panel.ListFilter(1, longest, 0.1);
    panel.show();
    const int yLine = 2 + static_cast<int>(FilterListPanel::LineY(1) * FilterListPanel::kTwipsPerUnitY / 15.0 + 0.5);
    QHelpEvent onLine(QEvent::ToolTip, QPoint(20, yLine + 4), panel.mapToGlobal(QPoint(20, yLine + 4)));
    QApplication::sendEvent(&panel, &onLine);
    QCOMPARE(QToolTip::text(), longest);
    QHelpEvent onEmptyLine(QEvent::ToolTip, QPoint(20, 60), panel.mapToGlobal(QPoint(20, 60)));
    QApplication::sendEvent(&panel, &onEmptyLine);
    QVERIFY(!onEmptyLine.isAccepted());
  }
};

QTEST_MAIN(FilterListPanelTest)
#include "filter_list_panel_test.moc"
