#pragma once
// The spectrum graph Picture3: a persistent bitmap of the inner area holding grid, texts, frame
// and every curve drawn since the last clearing, with the cursor lines and captions lying above it.

#include <QImage>
#include <QString>
#include <QWidget>

#include "calculation_state.h"
#include "beam_quality.h"
#include "model_codes.h"

class QLabel;

namespace kestrix {

class CursorLine;

class GraphPicture : public QWidget {
  Q_OBJECT
 public:
  /// width of the sunken border around the inner area [px]
  static constexpr int kBorderPx = 2;
  /// inner area, 10875 x 6315 twips at 15 twips per pixel [px]
  static constexpr int kInnerWidthPx = 725;
  static constexpr int kInnerHeightPx = 421;

  /// The graph reads the spectrum (SpectrumBins, SpectrumPeak) of `state`, which outlives it.
  GraphPicture(const CalculationState& state, QWidget* parent);

  /// the persistent drawing of the inner area, without the cursor lines and captions
  const QImage& Image() const { return image_; }

  /// Fills the bitmap with the white background.
  void Clear();
  /// Grid, tick texts, axis texts with the name of `quantity`, and the frame (does not clear).
  void DrawEmptyGraph(DisplayQuantity quantity);
  /// Replaces the quantity's name left of the frame and the read-out caption Label25.
  void Relabel(DisplayQuantity quantity);
  /// Adds the spectrum of the last run in palette colour `colorIndex`, scaled to SpectrumPeak,
  /// redraws the frame over its ends and gives the cursor lines that colour. Draws nothing
  /// when the peak is not a positive number.
  void PlotSpectrumCurve(int colorIndex);
  /// Adds a curve of values by grid index 1..600 (of any positive scale) scaled to their own peak, in
  /// palette colour `colorIndex`, and redraws the frame over its ends. Draws nothing without a
  /// positive finite peak.
  void PlotRelativeCurve(const PhotonSpectrum& values, int colorIndex);

  /// Mouse position in logical units: inside the frame places the cursor at the nearest grid
  /// index at or to the right of it, on or outside the frame switches the cursor off; nothing
  /// happens while SpectrumPeak is 0.
  void MouseMovedTo(QPointF logical);
  /// Arrow key with step -1 (left) or +1 (right); moves the cursor while it is active, within grid
  /// indices 1..600; an inactive cursor is switched on where it stood last while the graph has the
  /// keyboard focus and a curve is drawn.
  void MoveCursor(int step);
  /// Hides both cursor lines, empties the read-out and deactivates the cursor.
  void SwitchCursorOff();

  bool CursorActive() const { return cursorActive_; }
  int CursorIndex() const { return cursorIndex_; }

  /// the model caption shown over the empty graph
  QLabel* ModelCaption() const { return label14_; }
  /// Writes `text` into the model caption and shows it, moved left where needed so that it
  /// ends inside the plot frame instead of crossing it.
  void ShowModelCaption(const QString& text);
  /// pixel of a logical point in widget coordinates (inner area plus the border)
  QPoint WidgetPixelOf(QPointF logical) const;

 signals:
  /// New read-out texts for photon energy ("##0.0") and relative value ("##0.000"); both empty
  /// when the read-out is switched off.
  void ReadoutChanged(const QString& energyText, const QString& valueText);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void PlaceCursor(int index);
  void DrawText(class QPainter& painter, QPointF logical, const QString& text) const;
  void DrawQuantityName(class QPainter& painter, DisplayQuantity quantity) const;
  void DrawFrame(class QPainter& painter) const;
  QPoint Pixel(QPointF logical) const;

  const CalculationState& state_;
  QImage image_;
  bool cursorActive_ = false;
  int cursorIndex_ = 1;
  CursorLine* line6_;
  CursorLine* line7_;
  QLabel* label14_;
  QLabel* label25_;
};

}  // namespace kestrix
