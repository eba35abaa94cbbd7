#pragma once
// The whole desktop program: its program-wide state, the engine process and the windows,
// connected to each other. Lives as long as the program.

#include <QObject>
#include <QString>
#include <memory>

#include "ui_language.h"

namespace kestrix {

class EngineProcess;
class MainWindow;
class StartScreen;
struct ProgramState;

class KestrixProgram : public QObject {
  Q_OBJECT
 public:
  /// `enginePath`: full path of Quillon; by default the one beside the running program. The texts are
  /// in `language`.
  explicit KestrixProgram(const QString& enginePath = QString(), UiLanguage language = UiLanguage::Japanese);

  /// The start screen's language choice: puts `language` in use, keeps it for the next runs and makes
  /// the windows afresh in it (soon after, not from inside the button's click), on the start screen.
  void ChangeLanguage(UiLanguage language);
  ~KestrixProgram() override;

  /// Opens the program on the start screen.
  void Start();

  ProgramState& State() { return *state_; }
  MainWindow& Main() { return *mainWindow_; }
  StartScreen& Opening() { return *startScreen_; }

 signals:
  /// the user left the program; both windows are hidden
  void Ended();

 private:
  /// shows the start screen centred on the screen that holds the mouse
  void ShowStartScreen();
  /// makes the main window with its dialogs and the start screen, and connects them
  void MakeWindows();

  std::unique_ptr<ProgramState> state_;
  std::unique_ptr<EngineProcess> engine_;
  std::unique_ptr<MainWindow> mainWindow_;
  std::unique_ptr<StartScreen> startScreen_;
};

}  // namespace kestrix
