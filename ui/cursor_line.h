#pragma once
// A one-pixel line control drawn above the graph's bitmap: the graph cursor's vertical line
// (Line6) and horizontal line (Line7). Being a widget of its own, it never touches the bitmap.

#include <QColor>
#include <QWidget>

namespace kestrix {

class CursorLine : public QWidget {
  Q_OBJECT
 public:
  CursorLine(const QString& objectName, QWidget* parent);

  /// Places the line between two points in the parent's pixels; the line is horizontal or
  /// vertical, so it occupies the one-pixel-wide rectangle spanned by the two ends.
  void SetEnds(QPoint first, QPoint second);
  void SetColor(const QColor& color);
  QColor Color() const { return color_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_ = Qt::black;
};

}  // namespace kestrix
