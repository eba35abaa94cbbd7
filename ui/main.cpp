// Kestrix: X-ray tube spectra of medium energy. Opens on the start screen; the program ends
// only through the start screen's exit, which removes the exchange files first.
// "Kestrix --version" prints the version without opening a window (no display needed);
// "--lang en" or "--lang ja" chooses the language of the texts, which is then remembered.

#include <QApplication>
#include <cstring>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "kestrix_program.h"
#include "kestrix_version.h"

int main(int argc, char* argv[]) {
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--version") == 0) {
      std::cout << "Kestrix " << kestrix::kKestrixVersion << std::endl;
      return 0;
    }
  }
  QApplication application(argc, argv);
  application.setQuitOnLastWindowClosed(false);
  // --lang en|ja, else the language chosen in an earlier run, else Japanese
  kestrix::UiLanguage language = kestrix::UiLanguage::Japanese;
  try {
    const std::optional<kestrix::UiLanguage> asked = kestrix::LanguageArgument(QCoreApplication::arguments());
    if (asked) kestrix::RememberLanguage(*asked);
    language = asked.value_or(kestrix::RememberedLanguage());
  } catch (const std::invalid_argument& error) {
    std::cerr << "Kestrix: " << error.what() << std::endl;
    return 2;
  }
  kestrix::KestrixProgram program(QString(), language);
  QObject::connect(&program, &kestrix::KestrixProgram::Ended, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  program.Start();
  return application.exec();
}
