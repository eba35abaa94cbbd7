// kestrix_screenshot: draws two curves (RED at the default 200 kV, BLUE at 100 kV) in the real
// main window and saves the window as a PNG, for the documentation; also the start screen and
// the quality window "線質" with the figures of a 100 kV curve of the physics model, air kerma included.
// Usage: kestrix_screenshot [--lang en|ja] <png> [start-screen png] [quality-window png] [screen png]
//        [corrections png]
// (the whole screen with the main window and the quality window beside it; the main window after a
// Graph Draw whose inputs were corrected (voltage, added aluminium, off-axis angle), its status line saying so; run in a folder
// holding MUs_202202.data and, for the quality window, RadiationQualities.tsv)

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QScreen>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "kestrix_program.h"
#include "main_window.h"
#include "quality_window.h"
#include "start_screen.h"
#include "ui_language.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  kestrix::UiLanguage language = kestrix::UiLanguage::Japanese;
  if (argc > 2 && std::strcmp(argv[1], "--lang") == 0) {
    language = std::strcmp(argv[2], "en") == 0 ? kestrix::UiLanguage::English : kestrix::UiLanguage::Japanese;
    argv += 2;
    argc -= 2;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: kestrix_screenshot [--lang en|ja] <main-window.png> [start-screen.png] "
                         "[quality-window.png] [screen.png]\n");
    return 2;
  }
  kestrix::KestrixProgram program(QString(), language);
  program.Start();
  QApplication::processEvents();
  if (argc > 2 && !program.Opening().grab().save(QString::fromLocal8Bit(argv[2]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  program.Opening().findChild<QPushButton*>(QStringLiteral("Command1"))->click();
  kestrix::MainWindow& window = program.Main();
  if (!window.isVisible()) {
    std::fprintf(stderr, "the main window did not open (is MUs_202202.data in this folder?)\n");
    return 1;
  }
  auto* graphDraw = window.findChild<QPushButton*>(QStringLiteral("Command1"));

  graphDraw->click();  // RED at the defaults
  window.findChild<QRadioButton*>(QStringLiteral("Option2"))->setChecked(true);
  window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("100"));
  graphDraw->click();
  QApplication::processEvents();
  if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  if (argc > 3) {
    // the physics model, so that the window shows the air kerma per mAs too
    window.InitialiseForModel(kestrix::SpectrumModel::Physics);
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("100"));
    graphDraw->click();
    window.findChild<QToolButton*>(QStringLiteral("QualityCommand"))->click();
    auto* quality = window.findChild<kestrix::QualityWindow*>(QStringLiteral("QualityWindow"));
    QApplication::processEvents();
    if (!quality->grab().save(QString::fromLocal8Bit(argv[3]))) {
      std::fprintf(stderr, "cannot write %s\n", argv[3]);
      return 1;
    }
  }
  if (argc > 4) {
    QApplication::processEvents();
    QEventLoop settle;  // the window system draws the windows it has just placed
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    if (!QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(argv[4]))) {
      std::fprintf(stderr, "cannot write %s\n", argv[4]);
      return 1;
    }
  }
  if (argc > 5) {
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("350"));
    window.findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(QStringLiteral("abc"));
    window.findChild<QLineEdit*>(QStringLiteral("OffAxisAlongBox"))->setText(QStringLiteral("75"));
    graphDraw->click();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[5]))) {
      std::fprintf(stderr, "cannot write %s\n", argv[5]);
      return 1;
    }
  }
  return 0;
}
