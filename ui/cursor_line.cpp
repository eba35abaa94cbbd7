#include "cursor_line.h"

#include <QPainter>
#include <QRect>

namespace kestrix {

CursorLine::CursorLine(const QString& objectName, QWidget* parent) : QWidget(parent) {
  setObjectName(objectName);
  // The mouse moves over the graph beneath, not over the line.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  hide();
}

void CursorLine::SetEnds(QPoint first, QPoint second) {
  setGeometry(QRect(first, second).normalized());
}

void CursorLine::SetColor(const QColor& color) {
  color_ = color;
  update();
}

void CursorLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), color_);
}

}  // namespace kestrix
