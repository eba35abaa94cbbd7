#include "graph_picture.h"

#include <algorithm>

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "cursor_line.h"
#include "display_pattern.h"
#include "graph_mapping.h"
#include "palette_color.h"
#include "ui_fonts.h"
#include "ui_language.h"

namespace kestrix {
namespace {

/// graph text: Times New Roman 15.75 pt, drawn without smoothing so it stays pure black
QFont GraphTextFont() {
  QFont font = TimesFont(15.75);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

QString ReadoutCaption(DisplayQuantity quantity) {
  switch (quantity) {
    case DisplayQuantity::Exposure: return Tr("相対照射線量");
    case DisplayQuantity::Energy: return Tr("相対エネルギー");
    case DisplayQuantity::PhotonNumber: break;
  }
  return Tr("相対光子数");
}

/// A caption inside the graph box at a position in twips from the inner top left corner.
QLabel* GraphCaption(const QString& name, const QString& text, int xTwips, int yTwips, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(RoundedGothicFont(11));
  label->move(GraphPicture::kBorderPx + xTwips / 15, GraphPicture::kBorderPx + yTwips / 15);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

}  // namespace

GraphPicture::GraphPicture(const CalculationState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      image_(kInnerWidthPx, kInnerHeightPx, QImage::Format_RGB32),
      line6_(new CursorLine(QStringLiteral("Line6"), this)),
      line7_(new CursorLine(QStringLiteral("Line7"), this)) {
  setObjectName(QStringLiteral("Picture3"));
  setFixedSize(kInnerWidthPx + 2 * kBorderPx, kInnerHeightPx + 2 * kBorderPx);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  image_.fill(Qt::white);

  label14_ = new QLabel(this);
  label14_->setObjectName(QStringLiteral("Label14"));
  label14_->setFont(TimesFont(36));
  QPalette grey = label14_->palette();
  grey.setColor(QPalette::WindowText, PaletteColor(kPaletteGrey));
  label14_->setPalette(grey);
  label14_->move(kBorderPx + 4320 / 15, kBorderPx + 2640 / 15);
  label14_->setAttribute(Qt::WA_TransparentForMouseEvents);

  QLabel* label24 = GraphCaption(QStringLiteral("Label24"), Tr("光子エネルギー"), 240, 6000, this);
  QLabel* label23 = GraphCaption(QStringLiteral("Label23"), QStringLiteral("keV"), 3000, 6000, this);
  label23->setFont(TimesFont(12));
  label25_ = GraphCaption(QStringLiteral("Label25"), ReadoutCaption(DisplayQuantity::PhotonNumber), 4080, 6000, this);
  // The longest caption, "相対エネルギー", has seven full-width characters; between this
  // caption and the read-out box Text7 there are 1290 twips (86 px), so 9 pt (12 px each) fits.
  label25_->setFont(RoundedGothicFont(9));
  label25_->setFixedWidth(1290 / 15);
  // Both read-out captions in one size.
  label24->setFont(label25_->font());
  label24->adjustSize();
  line6_->raise();
  line7_->raise();
}

void GraphPicture::ShowModelCaption(const QString& text) {
  label14_->setText(text);
  label14_->adjustSize();
  constexpr int kMarginPx = 8;
  const int frameRight = WidgetPixelOf({kFrameRight, kFrameTop}).x();
  const int x = std::min(kBorderPx + 4320 / 15, frameRight - kMarginPx - label14_->width());
  label14_->move(x, label14_->y());
  label14_->show();
}

QPoint GraphPicture::Pixel(QPointF logical) const {
  return GraphLogicalToPixel(logical, image_.size());
}

QPoint GraphPicture::WidgetPixelOf(QPointF logical) const {
  return Pixel(logical) + QPoint(kBorderPx, kBorderPx);
}

void GraphPicture::Clear() {
  image_.fill(Qt::white);
  update();
}

void GraphPicture::DrawText(QPainter& painter, QPointF logical, const QString& text) const {
  const QPoint topLeft = Pixel(logical);
  painter.drawText(QRect(topLeft, QSize(kInnerWidthPx, kInnerHeightPx)), Qt::AlignLeft | Qt::AlignTop, text);
}

void GraphPicture::DrawQuantityName(QPainter& painter, DisplayQuantity quantity) const {
  painter.setPen(PaletteColor(kPaletteBlack));
  switch (quantity) {
    case DisplayQuantity::Energy: DrawText(painter, {530, 700}, QStringLiteral("Energy")); break;
    case DisplayQuantity::Exposure: DrawText(painter, {530, 700}, QStringLiteral("Exposure")); break;
    case DisplayQuantity::PhotonNumber:
      DrawText(painter, {530, 700}, QStringLiteral("Photon"));
      DrawText(painter, {560, 900}, QStringLiteral("number"));
      break;
  }
}

void GraphPicture::DrawFrame(QPainter& painter) const {
  // Mitred corners: a bevelled join leaves the outer corner pixel of a 2-pixel line white.
  painter.setPen(QPen(PaletteColor(kPaletteBlack), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRect(Pixel({kFrameLeft, kFrameTop}), Pixel({kFrameRight, kFrameBottom})));
}

void GraphPicture::DrawEmptyGraph(DisplayQuantity quantity) {
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setFont(GraphTextFont());

  painter.setPen(QPen(PaletteColor(kPaletteGrey), 1));
  for (double x = 2750; x <= 10250; x += 750) {  // every 25 keV
    painter.drawLine(Pixel({x, kFrameTop}), Pixel({x, kFrameBottom}));
  }
  for (double y = 300; y <= 1900; y += 200) {  // every tenth of the maximum
    painter.drawLine(Pixel({kFrameLeft, y}), Pixel({kFrameRight, y}));
  }

  painter.setPen(PaletteColor(kPaletteBlack));
  DrawText(painter, {1950, 2120}, QStringLiteral("0"));
  DrawText(painter, {4750, 2120}, QStringLiteral("100"));
  DrawText(painter, {7750, 2120}, QStringLiteral("200"));
  DrawText(painter, {10750, 2120}, QStringLiteral("300"));
  DrawText(painter, {7500, 2250}, QStringLiteral("Photon energy in keV"));
  DrawText(painter, {500, 500}, QStringLiteral("Relative"));
  DrawQuantityName(painter, quantity);

  DrawFrame(painter);
  update();
}

void GraphPicture::Relabel(DisplayQuantity quantity) {
  {
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(GraphTextFont());
    const QRect nameArea(Pixel({0, 690}), Pixel({1900, 1100}));
    painter.fillRect(nameArea, PaletteColor(kPaletteWhite));
    DrawQuantityName(painter, quantity);
  }
  label25_->setText(ReadoutCaption(quantity));
  update();
}

void GraphPicture::PlotSpectrumCurve(int colorIndex) {
  const double peak = state_.SpectrumPeak;
  if (!(peak > 0) || !std::isfinite(peak)) return;

  QPainter painter(&image_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPoint current = Pixel({kFrameLeft, kFrameBottom});
  painter.setPen(QPen(PaletteColor(kPaletteBlack), 2));
  painter.drawPoint(current);

  painter.setPen(QPen(PaletteColor(colorIndex), 2));
  for (int i = 2; i <= kCursorLastIndex; ++i) {
    const QPoint next = Pixel({GraphXOfGridIndex(i), GraphYOfValue(state_.SpectrumBins[i], peak)});
    painter.drawLine(current, next);
    current = next;
  }
  DrawFrame(painter);
  painter.end();

  line6_->SetColor(PaletteColor(colorIndex));
  line7_->SetColor(PaletteColor(colorIndex));
  update();
}

void GraphPicture::PlotRelativeCurve(const PhotonSpectrum& values, int colorIndex) {
  double peak = 0;
  for (int i = 1; i <= kCursorLastIndex; ++i) peak = std::max(peak, values[i]);
  if (!(peak > 0) || !std::isfinite(peak)) return;
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(PaletteColor(colorIndex), 2));
  QPoint current = Pixel({GraphXOfGridIndex(1), GraphYOfValue(values[1], peak)});
  for (int i = 2; i <= kCursorLastIndex; ++i) {
    const QPoint next = Pixel({GraphXOfGridIndex(i), GraphYOfValue(values[i], peak)});
    painter.drawLine(current, next);
    current = next;
  }
  DrawFrame(painter);
  painter.end();
  update();
}

void GraphPicture::MouseMovedTo(QPointF logical) {
  if (state_.SpectrumPeak == 0) return;
  if (!IsInsidePlotFrame(logical)) {
    SwitchCursorOff();
    return;
  }
  line6_->show();
  line7_->show();
  PlaceCursor(CursorIndexForX(logical.x()));
  cursorActive_ = true;
}

void GraphPicture::MoveCursor(int step) {
  if (!cursorActive_) {
    // With the keyboard focus on the graph (a click or Tab) the arrows switch the cursor on where it
    // stood last, without the mouse.
    if (!hasFocus() || state_.SpectrumPeak == 0) return;
    line6_->show();
    line7_->show();
    PlaceCursor(cursorIndex_);
    cursorActive_ = true;
    return;
  }
  const int index = cursorIndex_ + step;
  if (index > kCursorLastIndex) {
    cursorIndex_ = kCursorLastIndex;
    return;
  }
  if (index < 1) {
    cursorIndex_ = 1;
    return;
  }
  PlaceCursor(index);
}

void GraphPicture::SwitchCursorOff() {
  line6_->hide();
  line7_->hide();
  cursorActive_ = false;
  emit ReadoutChanged(QString(), QString());
}

void GraphPicture::PlaceCursor(int index) {
  cursorIndex_ = index;
  const double peak = state_.SpectrumPeak;
  const double value = peak > 0 ? state_.SpectrumBins[index] / peak : 0.0;
  const double x = GraphXOfGridIndex(index);
  const double y = GraphYOfValue(value, 1.0);
  line6_->SetEnds(WidgetPixelOf({x, kFrameTop}), WidgetPixelOf({x, kFrameBottom}));
  line7_->SetEnds(WidgetPixelOf({kFrameLeft, y}), WidgetPixelOf({kFrameRight, y}));
  emit ReadoutChanged(QString::fromStdString(FormatPattern(PhotonEnergy(index), "##0.0")),
                      QString::fromStdString(FormatPattern(100.0 * value, "##0.000")));
}

void GraphPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // Sunken three-dimensional border around the bitmap.
  const QRect outer = rect();
  painter.setPen(QColor(128, 128, 128));
  painter.drawLine(outer.topLeft(), outer.topRight());
  painter.drawLine(outer.topLeft(), outer.bottomLeft());
  painter.setPen(QColor(255, 255, 255));
  painter.drawLine(outer.bottomLeft(), outer.bottomRight());
  painter.drawLine(outer.topRight(), outer.bottomRight());
  const QRect inner = outer.adjusted(1, 1, -1, -1);
  painter.setPen(QColor(64, 64, 64));
  painter.drawLine(inner.topLeft(), inner.topRight());
  painter.drawLine(inner.topLeft(), inner.bottomLeft());
  painter.setPen(QColor(212, 208, 200));
  painter.drawLine(inner.bottomLeft(), inner.bottomRight());
  painter.drawLine(inner.topRight(), inner.bottomRight());
  painter.drawImage(QPoint(kBorderPx, kBorderPx), image_);
  if (hasFocus()) {
    // The keyboard focus, where the arrows move the cursor: a frame of the highlight colour.
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
  }
}

void GraphPicture::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void GraphPicture::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

void GraphPicture::mouseMoveEvent(QMouseEvent* event) {
  const QPoint inner = event->position().toPoint() - QPoint(kBorderPx, kBorderPx);
  MouseMovedTo(GraphPixelToLogical(inner, image_.size()));
}

}  // namespace kestrix
