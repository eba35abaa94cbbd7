#pragma once
// Form4, the start screen "X-ray Spectrum of medium enerygy": the choice of the spectrum model,
// one button for each entry of ModelChoices, and the way out of the program.

#include <QImage>
#include <QWidget>

#include "ui_language.h"

#include "model_codes.h"

class QPushButton;

namespace kestrix {

class EngineProcess;
class MainWindow;
struct ProgramState;

class StartScreen : public QWidget {
  Q_OBJECT
 public:
  /// `state`, `mainWindow` and `engine` outlive the start screen.
  StartScreen(ProgramState& state, MainWindow& mainWindow, EngineProcess& engine, QWidget* parent = nullptr);

  /// Loads the attenuation table, then puts the main window into its initial state for `model`,
  /// shows it and hides the start screen. A table that cannot be loaded is reported in a
  /// message box naming the file and the problem, and the start screen stays.
  void ChooseModel(SpectrumModel model);

  /// Ends a still running engine, deletes both exchange files of the working directory (a
  /// missing one is no error) and asks the program to end.
  void ExitProgram();

 signals:
  /// the program should end now
  void ExitRequested();
  /// the language buttons "日本語" / "English" chose `language`
  void LanguageChosen(UiLanguage language);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  ProgramState& state_;
  MainWindow& mainWindow_;
  EngineProcess& engine_;
  QImage picture_;
  QPushButton* firstModel_ = nullptr;
};

}  // namespace kestrix
