#include "palette_color.h"

#include <array>

namespace kestrix {

QColor PaletteColor(int index) {
  static constexpr std::array<QRgb, 16> kPalette = {
      qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
      qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
      qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
      qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255)};
  if (index < 0 || index >= static_cast<int>(kPalette.size())) return QColor(kPalette[0]);
  return QColor(kPalette[static_cast<std::size_t>(index)]);
}

QColor ReadableTextColor(int index) {
  switch (index) {
    case 10: return PaletteColor(2);   // lime as green
    case kPaletteCyan: return PaletteColor(3);  // cyan as teal
    case 14: return PaletteColor(6);   // yellow as olive
    default: return PaletteColor(index);
  }
}

}  // namespace kestrix
