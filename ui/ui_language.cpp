#include "ui_language.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTranslator>
#include <stdexcept>

#include "user_messages.h"

// The English translation is a resource of this static library; it is registered before its first use.
static void RegisterTranslations() { Q_INIT_RESOURCE(kestrix_translations); }

namespace kestrix {
namespace {

UiLanguage g_language = UiLanguage::Japanese;
constexpr const char* kEnglishTranslator = "KestrixEnglish";
constexpr const char* kSettingsKey = "language";

QTranslator* EnglishTranslator() {
  QCoreApplication* application = QCoreApplication::instance();
  return application == nullptr ? nullptr : application->findChild<QTranslator*>(QString::fromLatin1(kEnglishTranslator));
}

QSettings Settings() { return QSettings(QStringLiteral("Kestrix"), QStringLiteral("Kestrix")); }

}  // namespace

QString Tr(const char* id) { return qtTrId(id); }

UiLanguage CurrentLanguage() { return g_language; }

bool UseLanguage(UiLanguage language) {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return false;
  if (language == UiLanguage::English) {
    if (EnglishTranslator() == nullptr) {
      RegisterTranslations();
      auto* english = new QTranslator(application);
      english->setObjectName(QString::fromLatin1(kEnglishTranslator));
      if (!english->load(QStringLiteral(":/i18n/kestrix_en.qm"))) {
        delete english;
        return false;
      }
      QCoreApplication::installTranslator(english);
    }
    RemoveJapaneseQtTexts();
  } else {
    delete EnglishTranslator();  // a deleted translator is removed from the application
    InstallJapaneseQtTexts();
  }
  g_language = language;
  return true;
}

std::optional<UiLanguage> LanguageArgument(const QStringList& arguments) {
  for (int k = 0; k < arguments.size(); ++k) {
    QString value;
    if (arguments[k] == QStringLiteral("--lang") && k + 1 < arguments.size()) {
      value = arguments[k + 1];
    } else if (arguments[k].startsWith(QStringLiteral("--lang="))) {
      value = arguments[k].mid(7);
    } else {
      continue;
    }
    if (value == QStringLiteral("en")) return UiLanguage::English;
    if (value == QStringLiteral("ja")) return UiLanguage::Japanese;
    throw std::invalid_argument("--lang takes en or ja, not \"" + value.toStdString() + "\"");
  }
  return std::nullopt;
}

UiLanguage RememberedLanguage() {
  return Settings().value(QString::fromLatin1(kSettingsKey)).toString() == QStringLiteral("en") ? UiLanguage::English
                                                                                                 : UiLanguage::Japanese;
}

void RememberLanguage(UiLanguage language) {
  Settings().setValue(QString::fromLatin1(kSettingsKey),
                      language == UiLanguage::English ? QStringLiteral("en") : QStringLiteral("ja"));
}

}  // namespace kestrix
