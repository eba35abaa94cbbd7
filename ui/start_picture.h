#pragma once
// The start screen's decorative background picture, drawn in code: an X-ray tube sending its
// beam across a glowing spectrum.

#include <QImage>

namespace kestrix {

/// size of the start screen's picture [px]
constexpr int kStartPictureWidth = 816;
constexpr int kStartPictureHeight = 612;

QImage DrawStartPicture();

}  // namespace kestrix
