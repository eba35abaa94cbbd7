#pragma once
// The language of the desktop program's texts: Japanese, the texts as written in the code, or English
// from the translation file (ui/translations/kestrix_en.ts, built into the program as a .qm by
// lrelease). Every visible text goes through Tr(), whose id is the Japanese text itself; update the
// translation file after changing texts with
//   lupdate -tr-function-alias qtTrId+=Tr ui -ts ui/translations/kestrix_en.ts

#include <QString>
#include <QStringList>
#include <optional>

namespace kestrix {

enum class UiLanguage { Japanese, English };

/// `id`, a Japanese text in UTF-8, in the language in use (the text itself in Japanese)
QString Tr(const char* id);

/// the language in use
UiLanguage CurrentLanguage();

/// Puts `language` in use for every text made from now on, Qt's own texts (message box buttons)
/// included. Returns false when the English translation cannot be loaded (Japanese stays).
bool UseLanguage(UiLanguage language);

/// The language of "--lang en" or "--lang ja" (also "--lang=en") among the program's arguments;
/// nothing when none is given. Throws std::invalid_argument for another value.
std::optional<UiLanguage> LanguageArgument(const QStringList& arguments);

/// the language chosen in an earlier run (QSettings), Japanese when none was
UiLanguage RememberedLanguage();
/// Keeps `language` for the next runs.
void RememberLanguage(UiLanguage language);

}  // namespace kestrix
