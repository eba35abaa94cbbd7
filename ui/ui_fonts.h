#pragma once
// The program's type faces. Sizes are given in points of a 96 dpi screen and set in pixels, so
// the layout (laid out in pixels at 15 twips each) does not depend on the screen's resolution.

#include <QFont>

namespace kestrix {

/// rounded Gothic face for the Japanese captions
QFont RoundedGothicFont(double points);
/// plain Gothic face for the start screen's buttons and subtitles
QFont GothicFont(double points);
/// Times-like serif for English captions, input boxes and numbers
QFont TimesFont(double points);
/// Century-like serif ("Draw Color", " bye bye ")
QFont CenturyFont(double points);

/// pixel size of a font size in points on a 96 dpi screen
int PointsToPixels(double points);

}  // namespace kestrix
