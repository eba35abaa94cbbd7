#pragma once
// Where windows open: the start screen and the main window centred on the screen that holds the
// mouse, dialogs centred over the window they belong to; every window fully on its screen, made
// smaller first where it is larger than the screen and its layout allows. Windows of a fixed
// drawing (start screen, main window) hold it in a scroll area, so on a small screen they become
// smaller and scroll, and on a large one they are exactly the drawing's size.

class QPoint;
class QRect;
class QSize;
class QWidget;

namespace kestrix {

/// Moves the top-level `window` to the centre of the available area of the screen under the mouse.
void CentreOnScreenWithMouse(QWidget* window);

/// Moves the top-level `dialog` to the centre of `owner`, then into the available area of the
/// owner's screen where it would reach past an edge; without an owner, as CentreOnScreenWithMouse.
void CentreOverWindow(QWidget* dialog, const QWidget* owner);

/// Moves the top-level `window` beside `owner` (right of it where the owner's screen has room, else
/// left of it, else at the screen's left edge), its top at the owner's, within the screen.
void PlaceBesideWindow(QWidget* window, const QWidget* owner);

/// Moves the top-level `window` so that it is centred on `centre` and lies within `area` (a
/// screen's available area), made smaller first where it is larger than `area` and its minimum
/// size allows; a window made lower gains the width of a vertical scroll bar where it may.
void PlaceWithin(QWidget* window, const QPoint& centre, const QRect& area);

/// Makes `content`, of the fixed size `size` [px], the whole client area of the top-level
/// `window` through a frameless scroll area: the window opens at `size` without scroll bars and
/// may be made smaller, down to a small minimum, when the screen is smaller. Returns `content`.
QWidget* HoldInScrollArea(QWidget* window, QWidget* content, const QSize& size);

}  // namespace kestrix
