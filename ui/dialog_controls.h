#pragma once
// Captions and command buttons of the dialogs, named after their controls.

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace kestrix {

/// A caption in the rounded Gothic face, named `name`.
QLabel* DialogCaption(const QString& name, const QString& text, QWidget* parent);

/// A command button named `name`: English captions in Times, Japanese ones in the rounded
/// Gothic face. Enter presses the button that has the focus.
QPushButton* DialogCommand(const QString& name, const QString& text, QWidget* parent);

/// Esc hides `dialog`, as its Cancel button does.
void HideOnEscape(QWidget* dialog);

}  // namespace kestrix
