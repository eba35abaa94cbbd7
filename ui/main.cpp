// Kestrix: X-ray tube spectra of medium energy. Opens on the start screen; the program ends
// only through the start screen's exit, which removes the exchange files first.

#include <QApplication>

#include "kestrix_program.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  application.setQuitOnLastWindowClosed(false);
  kestrix::KestrixProgram program;
  QObject::connect(&program, &kestrix::KestrixProgram::Ended, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  program.Start();
  return application.exec();
}
