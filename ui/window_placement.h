#pragma once
// Where windows open: the start screen and the main window centred on the screen that holds the
// mouse, dialogs centred over the window they belong to; every window fully on its screen, made
// smaller first where it is larger than the screen and its layout allows.

class QWidget;

namespace kestrix {

/// Moves the top-level `window` to the centre of the available area of the screen under the mouse.
void CentreOnScreenWithMouse(QWidget* window);

/// Moves the top-level `dialog` to the centre of `owner`, then into the available area of the
/// owner's screen where it would reach past an edge; without an owner, as CentreOnScreenWithMouse.
void CentreOverWindow(QWidget* dialog, const QWidget* owner);

}  // namespace kestrix
