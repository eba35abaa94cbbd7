#pragma once
// Message boxes of the program: input errors and failures with an exclamation icon and one
// OK button, titled with the program's title. No message asks a question.

#include <QString>

class QWidget;

namespace kestrix {

/// the program's title, shown on its message boxes
inline const QString kProgramTitle = QStringLiteral("Kestrix");

/// Shows `text` with an exclamation icon and one OK button and waits for OK.
void ShowExclamation(QWidget* parent, const QString& text);

}  // namespace kestrix
