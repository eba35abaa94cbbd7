#include "ui_fonts.h"

#include <QStringList>
#include <cmath>

namespace kestrix {
namespace {

QFont FontOf(const QStringList& families, double points) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(PointsToPixels(points));
  return font;
}

}  // namespace

int PointsToPixels(double points) { return static_cast<int>(std::lround(points * 96.0 / 72.0)); }

QFont RoundedGothicFont(double points) { return FontOf({"MotoyaLMaru", "IPAGothic"}, points); }

QFont GothicFont(double points) { return FontOf({"IPAPGothic", "IPAGothic"}, points); }

QFont TimesFont(double points) { return FontOf({"Liberation Serif", "Nimbus Roman", "IPAGothic"}, points); }

QFont CenturyFont(double points) { return FontOf({"C059", "TeX Gyre Schola", "TeXGyreSchola", "Liberation Serif"}, points); }

}  // namespace kestrix
