#include "filter_list_panel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

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

FilterListPanel::LineLayout FilterListPanel::Layout(int slot) const {
  const Entry& entry = entries_[slot - 1];
  const QFontMetrics metrics(font());
  const QRect inner = rect().adjusted(kBorderPx, kBorderPx, -kBorderPx, -kBorderPx);
  const int y = inner.top() + UnitsToPixels(LineY(slot), kTwipsPerUnitY);
  const int xDescription = inner.left() + UnitsToPixels(kDescriptionX, kTwipsPerUnitX);
  const int thicknessWidth = metrics.horizontalAdvance(entry.thickness);
  const int xThickness = inner.right() + 1 - thicknessWidth;
  // A description too long even so is cut short with an ellipsis: it never runs into the thickness.
  const int descriptionWidth = std::max(0, xThickness - xDescription - kDescriptionGapPx);
  return LineLayout{QRect(xDescription, y, descriptionWidth, metrics.height()),
                    QRect(xThickness, y, thicknessWidth, metrics.height()),
                    metrics.elidedText(entry.description, Qt::ElideRight, descriptionWidth)};
}

QString FilterListPanel::LineToolTip(int slot) const {
  if (slot < 1 || slot > 3) return QString();
  const QString& description = entries_[slot - 1].description;
  return Layout(slot).shownDescription == description ? QString() : description;
}

int FilterListPanel::SlotAt(const QPoint& point) const {
  for (int slot = 1; slot <= 3; ++slot) {
    const QRect line = Layout(slot).description;
    if (point.y() >= line.top() && point.y() <= line.bottom()) return slot;
  }
  return 0;
}

bool FilterListPanel::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = LineToolTip(SlotAt(help->pos()));
    if (tip.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), tip, this);
    }
    return true;
  }
  return QWidget::event(event);
}

void FilterListPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(QColor(128, 128, 128));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.setPen(Qt::black);
  painter.setClipRect(rect().adjusted(kBorderPx, kBorderPx, -kBorderPx, -kBorderPx));
  for (int slot = 1; slot <= 3; ++slot) {
    const LineLayout line = Layout(slot);
    painter.drawText(line.description, Qt::AlignLeft | Qt::AlignTop, line.shownDescription);
    painter.drawText(line.thickness, Qt::AlignLeft | Qt::AlignTop, entries_[slot - 1].thickness);
  }
}

}  // namespace kestrix
