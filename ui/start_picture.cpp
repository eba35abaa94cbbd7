#include "start_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace kestrix {
namespace {

void DrawBackground(QPainter& painter) {
  QRadialGradient glow(QPointF(300, 330), 620);
  glow.setColorAt(0.0, QColor(38, 70, 128));
  glow.setColorAt(0.55, QColor(14, 28, 64));
  glow.setColorAt(1.0, QColor(4, 8, 22));
  painter.fillRect(QRect(0, 0, kStartPictureWidth, kStartPictureHeight), glow);
  // A faint measuring grid.
  painter.setPen(QPen(QColor(90, 140, 220, 28), 1));
  for (int x = 0; x <= kStartPictureWidth; x += 34) painter.drawLine(x, 0, x, kStartPictureHeight);
  for (int y = 0; y <= kStartPictureHeight; y += 34) painter.drawLine(0, y, kStartPictureWidth, y);
}

/// the tube: glass envelope, cathode with filament, anode with its slanted target
void DrawTube(QPainter& painter) {
  const QRectF envelope(60, 250, 330, 120);
  QLinearGradient glass(envelope.topLeft(), envelope.bottomLeft());
  glass.setColorAt(0.0, QColor(200, 230, 255, 120));
  glass.setColorAt(0.5, QColor(120, 170, 230, 50));
  glass.setColorAt(1.0, QColor(200, 230, 255, 110));
  painter.setPen(QPen(QColor(210, 235, 255, 200), 2));
  painter.setBrush(glass);
  painter.drawRoundedRect(envelope, 60, 60);

  // Cathode cup with a glowing filament.
  painter.setPen(QPen(QColor(60, 60, 70), 2));
  painter.setBrush(QColor(150, 155, 165));
  painter.drawRect(QRectF(20, 296, 70, 28));
  painter.drawRoundedRect(QRectF(88, 288, 26, 44), 6, 6);
  painter.setPen(QPen(QColor(255, 170, 60), 3));
  painter.drawLine(QPointF(112, 302), QPointF(112, 318));

  // Anode stem and the tungsten target, slanted towards the window below.
  painter.setPen(QPen(QColor(70, 45, 30), 2));
  QLinearGradient copper(QPointF(0, 290), QPointF(0, 330));
  copper.setColorAt(0.0, QColor(230, 150, 90));
  copper.setColorAt(1.0, QColor(150, 80, 40));
  painter.setBrush(copper);
  painter.drawRect(QRectF(300, 292, 130, 36));
  QPainterPath target;
  target.moveTo(300, 292);
  target.lineTo(280, 292);
  target.lineTo(300, 328);
  target.closeSubpath();
  painter.setBrush(QColor(175, 180, 190));
  painter.drawPath(target);

  // Electron beam from the filament to the focal spot.
  painter.setPen(QPen(QColor(120, 220, 255, 200), 2, Qt::DashLine));
  painter.drawLine(QPointF(116, 310), QPointF(288, 310));
}

/// the X-ray beam fanning out of the focal spot through the tube window
void DrawBeam(QPainter& painter) {
  QPainterPath fan;
  fan.moveTo(290, 312);
  fan.lineTo(200, 600);
  fan.lineTo(470, 600);
  fan.closeSubpath();
  QLinearGradient beam(QPointF(290, 312), QPointF(330, 600));
  beam.setColorAt(0.0, QColor(255, 250, 200, 170));
  beam.setColorAt(1.0, QColor(140, 200, 255, 10));
  painter.setPen(Qt::NoPen);
  painter.setBrush(beam);
  painter.drawPath(fan);
  painter.setBrush(QColor(255, 255, 230));
  painter.drawEllipse(QPointF(290, 312), 5, 5);
}

/// a glowing bremsstrahlung hump with two characteristic lines
void DrawSpectrum(QPainter& painter) {
  const QRectF area(440, 220, 340, 210);
  painter.setPen(QPen(QColor(150, 190, 255, 120), 1));
  painter.drawLine(area.bottomLeft(), area.bottomRight());
  painter.drawLine(area.bottomLeft(), area.topLeft());

  QPainterPath curve;
  curve.moveTo(area.bottomLeft());
  const int steps = 240;
  for (int k = 1; k <= steps; ++k) {
    const double x = static_cast<double>(k) / steps;
    double y = 3.2 * std::pow(x, 1.6) * std::pow(1.0 - x, 1.4) * 1.9;
    y += 0.85 * std::exp(-std::pow((x - 0.30) / 0.008, 2));
    y += 0.55 * std::exp(-std::pow((x - 0.345) / 0.008, 2));
    curve.lineTo(area.left() + x * area.width(), area.bottom() - std::min(y, 1.0) * area.height() * 0.95);
  }
  QPainterPath filled = curve;
  filled.lineTo(area.bottomRight());
  filled.closeSubpath();
  QLinearGradient fill(area.topLeft(), area.bottomLeft());
  fill.setColorAt(0.0, QColor(255, 120, 90, 150));
  fill.setColorAt(1.0, QColor(255, 200, 80, 20));
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawPath(filled);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(255, 110, 80, 90), 7));
  painter.drawPath(curve);
  painter.setPen(QPen(QColor(255, 235, 210), 2));
  painter.drawPath(curve);
}

}  // namespace

QImage DrawStartPicture() {
  QImage image(kStartPictureWidth, kStartPictureHeight, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawBackground(painter);
  DrawBeam(painter);
  DrawTube(painter);
  DrawSpectrum(painter);
  return image;
}

}  // namespace kestrix
