#pragma once
// Small pictures of the picture buttons, drawn in code: the main window's " bye bye " and the
// start screen's exit button.

#include <QIcon>

namespace kestrix {

/// a waving hand in front of a door, for " bye bye " (back to the start screen)
QIcon ByeByeIcon();
/// an open door with an arrow leaving it, for the start screen's exit button
QIcon ExitIcon();

}  // namespace kestrix
