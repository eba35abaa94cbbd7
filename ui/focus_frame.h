#pragma once
// A visible focus frame for picture buttons, whose style draws none of its own: a dotted
// rectangle just inside the button's edge while it has the keyboard focus.

class QAbstractButton;

namespace kestrix {

/// Draws the focus frame on `button` from now on whenever it has the focus.
void ShowFocusFrame(QAbstractButton* button);

}  // namespace kestrix
