// Where windows open: centred on the screen under the mouse, dialogs centred over their window
// and kept fully on the screen; the program's start screen, main window and dialogs use it.

#include "window_placement.h"

#include <QScreen>
#include <QtTest>

#include "filter_dialog.h"
#include "ui_test_support.h"

using namespace kestrix;

namespace {

QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

/// true when the centres of `a` and `b` are at most a pixel apart in each direction
bool Centred(const QRect& a, const QRect& b) {
  const QPoint d = a.center() - b.center();
  return std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1;
}

}  // namespace

class WindowPlacementTest : public QObject {
  Q_OBJECT
 private slots:
  void WindowOpensCentredOnTheScreen() {
    QWidget window;
    window.resize(300, 200);
    CentreOnScreenWithMouse(&window);
    QVERIFY2(Centred(window.geometry(), Available()), qPrintable(QString::number(window.x())));
  }

  void DialogOpensCentredOverItsWindow() {
    QWidget owner;
    owner.setGeometry(Available().left() + 100, Available().top() + 80, 400, 300);
    QWidget dialog(&owner, Qt::Dialog);
    dialog.resize(200, 100);
    CentreOverWindow(&dialog, &owner);
    QVERIFY(Centred(dialog.geometry(), owner.geometry()));
  }

  void DialogNearAnEdgeIsKeptOnTheScreen() {
    QWidget owner;
    const QRect area = Available();
    owner.setGeometry(area.right() - 150, area.bottom() - 100, 200, 150);  // partly off screen
    QWidget dialog(&owner, Qt::Dialog);
    dialog.resize(500, 400);
    CentreOverWindow(&dialog, &owner);
    QVERIFY(area.contains(dialog.geometry()));
    owner.move(area.left() - 150, area.top() - 120);
    CentreOverWindow(&dialog, &owner);
    QVERIFY(area.contains(dialog.geometry()));
  }

  void DialogLargerThanTheScreenIsMadeToFit() {
    QWidget owner;
    owner.setGeometry(Available().adjusted(50, 50, -50, -50));
    QWidget dialog(&owner, Qt::Dialog);
    dialog.resize(Available().size() * 2);
    CentreOverWindow(&dialog, &owner);
    QVERIFY(Available().contains(dialog.geometry()));
  }

  void FilterDialogOpensOverTheMainWindow() {
    test::WorkingFolder folder;
    test::TuckerMainWindow program;
    program.window.move(Available().topLeft() + QPoint(10, 10));
    auto* dialog = program.window.findChild<FilterDialog*>();
    QVERIFY(dialog != nullptr);
    dialog->PrepareAndShow();
    QVERIFY(Available().contains(dialog->frameGeometry()));
    QVERIFY(std::abs(dialog->frameGeometry().center().x() - program.window.frameGeometry().center().x()) <= 3);  // frame margins
  }
};

QTEST_MAIN(WindowPlacementTest)
#include "window_placement_test.moc"
