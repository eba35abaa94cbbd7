#include "graph_mapping.h"

#include <cmath>

namespace kestrix {

QPoint GraphLogicalToPixel(QPointF logical, QSize innerSizePx) {
  const double px = logical.x() * innerSizePx.width() / kGraphLogicalWidth;
  const double py = logical.y() * innerSizePx.height() / kGraphLogicalHeight;
  return QPoint(static_cast<int>(std::floor(px + 0.5)), static_cast<int>(std::floor(py + 0.5)));
}

QPointF GraphPixelToLogical(QPoint pixel, QSize innerSizePx) {
  return QPointF(pixel.x() * kGraphLogicalWidth / innerSizePx.width(),
                 pixel.y() * kGraphLogicalHeight / innerSizePx.height());
}

bool IsInsidePlotFrame(QPointF logical) {
  return logical.x() > kFrameLeft && logical.x() < kFrameRight && logical.y() > kFrameTop &&
         logical.y() < kFrameBottom;
}

int CursorIndexForX(double logicalX) {
  int index = 1;
  while (index < kCursorLastIndex && GraphXOfGridIndex(index) < logicalX) ++index;
  return index;
}

}  // namespace kestrix
