#pragma once
// A focus frame that is seen on any panel, for buttons and options whose style draws a faint one
// or none: a two-pixel rectangle of the highlight colour just inside the edge while it has the focus.

class QAbstractButton;

namespace kestrix {

/// Draws the focus frame on `button` from now on whenever it has the focus.
void ShowFocusFrame(QAbstractButton* button);

}  // namespace kestrix
