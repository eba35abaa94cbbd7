#include "kestrix_program.h"

#include "dialog_wiring.h"
#include "engine_process.h"
#include "main_window.h"
#include "program_state.h"
#include "start_screen.h"
#include "user_messages.h"
#include "ui_language.h"
#include "window_placement.h"

namespace kestrix {

KestrixProgram::KestrixProgram(const QString& enginePath, UiLanguage language)
    : state_(std::make_unique<ProgramState>()),
      engine_(std::make_unique<EngineProcess>(enginePath.isEmpty() ? EngineProcess::ProgramBesideApplication()
                                                                   : enginePath)) {
  UseLanguage(language);
  MakeWindows();
}

void KestrixProgram::MakeWindows() {
  startScreen_.reset();
  mainWindow_ = std::make_unique<MainWindow>(*state_, *engine_);
  startScreen_ = std::make_unique<StartScreen>(*state_, *mainWindow_, *engine_);
  AttachFilterAndExportDialogs(*mainWindow_);
  connect(mainWindow_.get(), &MainWindow::StartScreenRequested, this, &KestrixProgram::ShowStartScreen);
  connect(startScreen_.get(), &StartScreen::ExitRequested, this, [this] {
    mainWindow_->hide();
    startScreen_->hide();
    emit Ended();
  });
  connect(startScreen_.get(), &StartScreen::LanguageChosen, this, &KestrixProgram::ChangeLanguage);
}

void KestrixProgram::ChangeLanguage(UiLanguage language) {
  if (language == CurrentLanguage()) return;
  if (!UseLanguage(language)) return;
  RememberLanguage(language);
  // The windows are made again in the new language once the click that asked for it is over.
  QMetaObject::invokeMethod(
      this,
      [this] {
        MakeWindows();
        ShowStartScreen();
      },
      Qt::QueuedConnection);
}

KestrixProgram::~KestrixProgram() = default;

void KestrixProgram::Start() { ShowStartScreen(); }

void KestrixProgram::ShowStartScreen() {
  CentreOnScreenWithMouse(startScreen_.get());
  startScreen_->show();
}

}  // namespace kestrix
