#pragma once
// Message boxes of the program, titled with the program's title and closed with one OK button:
// input errors and failures with an exclamation icon, confirmations without an icon. The one
// question, whether to replace an existing file, has the buttons はい and いいえ, いいえ the
// default. Every text is Japanese; what a user may need to report (a file name, a line
// number, an exit status) stands in a short last line, shortened in the middle when it would
// make the box wider than the screen allows, and then given in full in the box's detailed text.

#include <QString>

class QWidget;

namespace kestrix {

/// the program's title, shown on its message boxes
inline const QString kProgramTitle = QStringLiteral("Kestrix");

/// Shows `text` with an exclamation icon and one OK button and waits for OK. `detail`: the short
/// technical line under the text; `details`: longer technical text behind the details button.
void ShowExclamation(QWidget* parent, const QString& text, const QString& detail = QString(),
                     const QString& details = QString());

/// Shows `text` without an icon, for example to confirm a saved file, and waits for OK;
/// `details`: text behind the details button, for example a path shortened in `text`.
void ShowConfirmation(QWidget* parent, const QString& text, const QString& details = QString());

/// Asks whether the existing file `path` may be replaced; true only for はい. The default
/// answer (Enter, Esc, closing the box) is いいえ.
bool AskToReplaceFile(QWidget* parent, const QString& path);

/// widest a detail line may be in a message box over `parent` without being wrapped [px]
int MessageLineWidthLimit(const QWidget* parent);

/// `name` shortened in the middle to the width a message box over `parent` allows
QString ElidedForMessage(const QString& name, const QWidget* parent);

/// Installs the Japanese wording of the few texts Qt itself puts on the program's message boxes
/// and input boxes (details button, edit menu). Call once after the application exists.
void InstallJapaneseQtTexts();
/// Removes them again (the English interface keeps Qt's own English).
void RemoveJapaneseQtTexts();

}  // namespace kestrix
