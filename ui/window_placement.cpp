#include "window_placement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace kestrix {
namespace {

/// the window's size with its frame; a window never shown takes the size it will open with, and
/// room for the title bar its window manager will add (on a screen that has frames at all)
QSize OuterSize(QWidget* window) {
  if (window->isVisible()) return window->frameGeometry().size();
  if (!window->testAttribute(Qt::WA_Resized)) window->adjustSize();
  const bool framed = QGuiApplication::platformName() != QStringLiteral("offscreen") &&
                      QGuiApplication::platformName() != QStringLiteral("minimal");
  if (!framed) return window->size();
  const int titleBar = std::max(32, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) +
                                        2 * window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, window));
  return window->size() + QSize(0, titleBar);
}

/// `rect` moved (not resized) so that it lies within `area` where it fits
QPoint KeptInside(const QRect& rect, const QRect& area) {
  const int x = std::max(area.left(), std::min(rect.left(), area.right() + 1 - rect.width()));
  const int y = std::max(area.top(), std::min(rect.top(), area.bottom() + 1 - rect.height()));
  return QPoint(x, y);
}

}  // namespace

void PlaceWithin(QWidget* window, const QPoint& centre, const QRect& area) {
  // A window larger than the screen is made smaller where its layout allows.
  const QSize outer = OuterSize(window);
  const QSize frame = outer - window->size();
  if (outer.width() > area.width() || outer.height() > area.height()) {
    const QSize room = area.size() - frame;
    QSize fitted = window->size().boundedTo(room);
    // Made lower, the window needs a vertical scroll bar: it keeps its width beside it if it can.
    if (fitted.height() < window->height()) {
      const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
      fitted.setWidth(std::min({window->width() + bar, room.width(), window->maximumWidth()}));
    }
    window->resize(fitted.expandedTo(window->minimumSizeHint()).expandedTo(window->minimumSize()));
  }
  QRect placed(QPoint(0, 0), window->size() + frame);
  placed.moveCenter(centre);
  window->move(KeptInside(placed, area));
}

QWidget* HoldInScrollArea(QWidget* window, QWidget* content, const QSize& size) {
  auto* scroll = new QScrollArea(window);
  scroll->setObjectName(QStringLiteral("ScrollArea"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  content->setFixedSize(size);
  scroll->setWidget(content);
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);
  // Larger than the drawing only by the scroll bars it may need; never larger on a large screen.
  const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
  window->setMinimumSize(200, 150);
  window->setMaximumSize(size + QSize(bar, bar));
  window->resize(size);
  return content;
}

void CentreOnScreenWithMouse(QWidget* window) {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  PlaceWithin(window, area.center(), area);
}

void PlaceBesideWindow(QWidget* window, const QWidget* owner) {
  if (owner == nullptr) {
    CentreOnScreenWithMouse(window);
    return;
  }
  const QRect ownerFrame = owner->frameGeometry();
  QScreen* screen = QGuiApplication::screenAt(ownerFrame.center());
  if (screen == nullptr) screen = owner->screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  PlaceWithin(window, area.center(), area);  // made to fit the screen first
  const QSize outer = OuterSize(window);
  // Right of the owner, else left of it; where neither has room, at the screen's left edge, so that
  // the owner's commands in its right-hand column stay in view.
  int x = ownerFrame.right() + 1;
  if (x + outer.width() > area.right() + 1) {
    x = ownerFrame.left() - outer.width() >= area.left() ? ownerFrame.left() - outer.width() : area.left();
  }
  window->move(KeptInside(QRect(QPoint(x, ownerFrame.top()), outer), area));
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
  PlaceWithin(dialog, ownerFrame.center(), screen->availableGeometry());
}

}  // namespace kestrix
