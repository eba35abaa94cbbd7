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
};

QTEST_MAIN(FilterListPanelTest)
#include "filter_list_panel_test.moc"
