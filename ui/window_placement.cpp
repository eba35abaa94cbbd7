#include "window_placement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace kestrix {
namespace {

/// the window's size with its frame; a window never shown takes the size it will open with
QSize OuterSize(QWidget* window) {
  if (window->isVisible()) return window->frameGeometry().size();
  if (!window->testAttribute(Qt::WA_Resized)) window->adjustSize();
  return window->size();
}

/// `rect` moved (not resized) so that it lies within `area` where it fits
QPoint KeptInside(const QRect& rect, const QRect& area) {
  const int x = std::max(area.left(), std::min(rect.left(), area.right() + 1 - rect.width()));
  const int y = std::max(area.top(), std::min(rect.top(), area.bottom() + 1 - rect.height()));
  return QPoint(x, y);
}

void MoveCentredIn(QWidget* window, const QPoint& centre, const QRect& area) {
  // A window larger than the screen is made smaller where its layout allows.
  const QSize outer = OuterSize(window);
  const QSize frame = outer - window->size();
  if (outer.width() > area.width() || outer.height() > area.height()) {
    window->resize(window->size().boundedTo(area.size() - frame).expandedTo(window->minimumSizeHint()));
  }
  QRect placed(QPoint(0, 0), window->size() + frame);
  placed.moveCenter(centre);
  window->move(KeptInside(placed, area));
}

}  // namespace

void CentreOnScreenWithMouse(QWidget* window) {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  MoveCentredIn(window, area.center(), area);
}

void CentreOverWindow(QWidget* dialog, const QWidget* owner) {
  if (owner == nullptr) {
    CentreOnScreenWithMouse(dialog);
    return;
  }
  const QRect ownerFrame = owner->frameGeometry();
  QScreen* screen = QGuiApplication::screenAt(ownerFrame.center());
  if (screen == nullptr) screen = owner->screen();
  if (screen == nullptr) return;
  MoveCentredIn(dialog, ownerFrame.center(), screen->availableGeometry());
}

}  // namespace kestrix
