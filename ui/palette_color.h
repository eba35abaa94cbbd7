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

/// The colour in which text of palette colour `index` is written on the program's light panels and
/// white boxes: lime, cyan and yellow, unreadable there, as their dark partners green, teal and olive;
/// every other colour as it is.
QColor ReadableTextColor(int index);

}  // namespace kestrix
