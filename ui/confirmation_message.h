#pragma once
// Plain message box (no icon, one OK button, the program's title) that confirms a finished
// action such as a saved file.

#include <QString>

class QWidget;

namespace kestrix {

/// Shows `text` without an icon and waits for OK.
void ShowConfirmation(QWidget* parent, const QString& text);

}  // namespace kestrix
