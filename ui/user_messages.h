#pragma once
// Message boxes of the program, titled with the program's title and closed with one OK button:
// input errors and failures with an exclamation icon, confirmations without an icon. No message
// asks a question.

#include <QString>

class QWidget;

namespace kestrix {

/// the program's title, shown on its message boxes
inline const QString kProgramTitle = QStringLiteral("Kestrix");

/// Shows `text` with an exclamation icon and one OK button and waits for OK.
void ShowExclamation(QWidget* parent, const QString& text);

/// Shows `text` without an icon, for example to confirm a saved file, and waits for OK.
void ShowConfirmation(QWidget* parent, const QString& text);

}  // namespace kestrix
