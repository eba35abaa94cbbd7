// Kestrix: X-ray tube spectra of medium energy. Opens on the start screen; the program ends
// only through the start screen's exit, which removes the exchange files first.
// "Kestrix --version" prints the version without opening a window (no display needed).

#include <QApplication>
#include <cstring>
#include <iostream>

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
  kestrix::KestrixProgram program;
  QObject::connect(&program, &kestrix::KestrixProgram::Ended, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  program.Start();
  return application.exec();
}
