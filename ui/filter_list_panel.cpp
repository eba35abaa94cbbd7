#include "filter_list_panel.h"

#include <QPainter>

#include "ui_fonts.h"

namespace kestrix {
namespace {

constexpr int kBorderPx = 2;
/// blank room between a description and the thickness after it [px]
constexpr int kDescriptionGapPx = 4;

int UnitsToPixels(double units, double twipsPerUnit) {
  return static_cast<int>(units * twipsPerUnit / 15.0 + 0.5);
}

}  // namespace

FilterListPanel::FilterListPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Picture1"));
  setFont(RoundedGothicFont(9));
}

QString FilterListPanel::ThicknessText(double thicknessCm) {
  return QString::number(10.0 * thicknessCm, 'g', 15) + QStringLiteral(" mm");
}

void FilterListPanel::ListFilter(int slot, const QString& description, double thicknessCm) {
  if (slot < 1 || slot > 3) return;
  entries_[slot - 1] = Entry{description, ThicknessText(thicknessCm)};
  update();
}

void FilterListPanel::Clear() {
  for (Entry& entry : entries_) entry = Entry{};
  update();
}

QStringList FilterListPanel::Lines() const {
  QStringList lines;
  for (const Entry& entry : entries_) {
    lines << (entry.description.isEmpty() && entry.thickness.isEmpty()
                  ? QString()
                  : entry.description + QStringLiteral(" / ") + entry.thickness);
  }
  return lines;
}

void FilterListPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(QColor(128, 128, 128));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.setPen(Qt::black);
  const QRect inner = rect().adjusted(kBorderPx, kBorderPx, -kBorderPx, -kBorderPx);
  painter.setClipRect(inner);
  for (int slot = 1; slot <= 3; ++slot) {
    const Entry& entry = entries_[slot - 1];
    const int y = inner.top() + UnitsToPixels(LineY(slot), kTwipsPerUnitY);
    const int xDescription = inner.left() + UnitsToPixels(kDescriptionX, kTwipsPerUnitX);
    const int xThickness = inner.left() + UnitsToPixels(kThicknessX, kTwipsPerUnitX);
    // A long description is cut short with an ellipsis so that it never runs into the thickness.
    const int descriptionWidth = xThickness - xDescription - kDescriptionGapPx;
    painter.drawText(QRect(xDescription, y, descriptionWidth, inner.height()), Qt::AlignLeft | Qt::AlignTop,
                     painter.fontMetrics().elidedText(entry.description, Qt::ElideRight, descriptionWidth));
    painter.drawText(QRect(xThickness, y, inner.width(), inner.height()), Qt::AlignLeft | Qt::AlignTop,
                     entry.thickness);
  }
}

}  // namespace kestrix
