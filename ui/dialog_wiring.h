#pragma once
// Creates the arbitrary filter, data export and image export dialogs and the quality window of
// the main window and opens them from its "設定", "Data Save", "Image Save" and "線質" commands;
// they are hidden when the main window returns to the start screen.

namespace kestrix {

class MainWindow;

/// The dialogs are children of window and live as long as it does.
void AttachFilterAndExportDialogs(MainWindow& window);

}  // namespace kestrix
