#include "button_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kestrix {
namespace {

/// a door frame with the door swung open towards the viewer, in a size x size picture
void DrawOpenDoor(QPainter& painter, int size) {
  const double s = size / 32.0;
  painter.setPen(QPen(QColor(70, 50, 30), 1.5 * s));
  painter.setBrush(QColor(245, 235, 210));
  painter.drawRect(QRectF(12 * s, 4 * s, 14 * s, 24 * s));
  QPainterPath door;
  door.moveTo(12 * s, 4 * s);
  door.lineTo(4 * s, 7 * s);
  door.lineTo(4 * s, 31 * s);
  door.lineTo(12 * s, 28 * s);
  door.closeSubpath();
  painter.setBrush(QColor(170, 110, 60));
  painter.drawPath(door);
  painter.setBrush(QColor(240, 200, 80));
  painter.drawEllipse(QPointF(9.5 * s, 18 * s), 1.2 * s, 1.2 * s);
}

QPixmap Canvas(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QIcon ByeByeIcon() {
  constexpr int kSize = 32;
  QPixmap pixmap = Canvas(kSize);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawOpenDoor(painter, kSize);
  // A raised hand waving in the doorway.
  painter.setPen(QPen(QColor(150, 90, 50), 1));
  painter.setBrush(QColor(250, 200, 160));
  painter.drawEllipse(QRectF(16, 12, 9, 10));
  for (int finger = 0; finger < 4; ++finger) {
    painter.drawRoundedRect(QRectF(16 + 2.2 * finger, 5 + (finger == 0 || finger == 3 ? 2 : 0), 2.2, 9), 1, 1);
  }
  painter.drawRoundedRect(QRectF(23, 13, 5, 2.4), 1, 1);
  return QIcon(pixmap);
}

QIcon ExitIcon() {
  constexpr int kSize = 48;
  QPixmap pixmap = Canvas(kSize);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawOpenDoor(painter, kSize);
  // An arrow leaving through the door.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(200, 30, 30));
  QPainterPath arrow;
  arrow.moveTo(46, 24);
  arrow.lineTo(36, 15);
  arrow.lineTo(36, 20);
  arrow.lineTo(22, 20);
  arrow.lineTo(22, 28);
  arrow.lineTo(36, 28);
  arrow.lineTo(36, 33);
  arrow.closeSubpath();
  painter.drawPath(arrow);
  return QIcon(pixmap);
}

}  // namespace kestrix
