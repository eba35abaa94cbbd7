#pragma once
// The fixed 16-colour palette of the graph and of the results' text colour.

#include <QColor>

namespace kestrix {

/// palette indices the program uses by name
enum PaletteIndex : int {
  kPaletteBlack = 0,
  kPaletteGrey = 8,
  kPaletteBlue = 9,
  kPaletteGreen = 10,
  kPaletteCyan = 11,
  kPaletteRed = 12,
  kPaletteMagenta = 13,
  kPaletteWhite = 15,
};

/// RGB of palette index 0..15 (black, navy, green, teal, maroon, purple, olive, silver, grey,
/// blue, lime, cyan, red, magenta, yellow, white); indices outside the range give black.
QColor PaletteColor(int index);

}  // namespace kestrix
