#pragma once
// The spectrum graph's logical coordinate system and its mapping onto the bitmap's pixels.
// Logical units: the inner area of the graph box is 12500 wide and 2500 high, origin at the
// top left, y growing downwards.

#include <QPoint>
#include <QPointF>
#include <QSize>

namespace kestrix {

constexpr double kGraphLogicalWidth = 12500;
constexpr double kGraphLogicalHeight = 2500;

/// plot frame edges [logical units]
constexpr double kFrameLeft = 2000;
constexpr double kFrameTop = 100;
constexpr double kFrameRight = 11000;
constexpr double kFrameBottom = 2100;

/// highest cursor grid index: 600 stands for 300 keV at the right edge of the frame
constexpr int kCursorLastIndex = 600;

/// logical x of grid index i (photon energy 0.5 * i keV): 15 units per index
constexpr double GraphXOfGridIndex(int gridIndex) { return kFrameLeft + 15.0 * gridIndex; }

/// logical y of a value relative to peak: the bottom edge for 0, the top edge for the peak
constexpr double GraphYOfValue(double value, double peak) {
  return kFrameBottom - (kFrameBottom - kFrameTop) * value / peak;
}

/// Pixel of a logical point in a bitmap of innerSizePx that spans the whole logical area.
QPoint GraphLogicalToPixel(QPointF logical, QSize innerSizePx);

/// Logical position of a pixel's top left corner (what a mouse position over that pixel reads).
QPointF GraphPixelToLogical(QPoint pixel, QSize innerSizePx);

/// True when (x, y) lies strictly inside the plot frame; the edges themselves count as outside.
bool IsInsidePlotFrame(QPointF logical);

/// The cursor's grid index for a logical x inside the frame: the smallest i >= 1 with
/// 2000 + 15 i >= x, at most 600.
int CursorIndexForX(double logicalX);

}  // namespace kestrix
