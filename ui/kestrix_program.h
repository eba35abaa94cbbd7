#pragma once
// The whole desktop program: its program-wide state, the engine process and the windows,
// connected to each other. Lives as long as the program.

#include <QObject>
#include <QString>
#include <memory>

namespace kestrix {

class EngineProcess;
class MainWindow;
class StartScreen;
struct ProgramState;

class KestrixProgram : public QObject {
  Q_OBJECT
 public:
  /// `enginePath`: full path of Quillon; by default the one beside the running program.
  explicit KestrixProgram(const QString& enginePath = QString());
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

  std::unique_ptr<ProgramState> state_;
  std::unique_ptr<EngineProcess> engine_;
  std::unique_ptr<MainWindow> mainWindow_;
  std::unique_ptr<StartScreen> startScreen_;
};

}  // namespace kestrix
