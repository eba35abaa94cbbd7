#pragma once
// Quillon, the half-value-layer engine, started after each calculation run. It runs beside
// Kestrix in the working directory; Kestrix keeps the process object so that the results
// command can tell a finished engine from one that failed or has not finished yet.

#include <QObject>
#include <QString>

class QProcess;

namespace kestrix {

class EngineProcess : public QObject {
  Q_OBJECT
 public:
  /// how the engine started by the last Start() ended, as far as known
  enum class Outcome {
    NeverStarted,  // no run has started the engine yet
    StartFailed,   // the program could not be started
    StillRunning,  // it has not ended within the time waited
    Crashed,       // it ended abnormally (signal, killed)
    FailedExit,    // it ended with a non-zero exit code
    Finished       // it ended normally with exit code 0
  };

  /// `programPath`: full path of the engine program.
  explicit EngineProcess(QString programPath, QObject* parent = nullptr);
  ~EngineProcess() override;

  /// Quillon's full path beside the running program (never looked up on PATH).
  static QString ProgramBesideApplication();

  /// Ends a still running earlier engine (its result belongs to an older spectrum), removes the
  /// previous result file, then starts the engine in the current working directory without
  /// waiting for it to finish. Returns false with a reason for the user in `error` when it could
  /// not start.
  bool Start(QString* error);

  /// Waits at most `msecs` for the engine to end and says how it ended; `detail` receives the
  /// exit code or the reason a start failed when there is one.
  Outcome WaitForEnd(int msecs, QString* detail);

  /// True the first time it is asked after the engine of the last Start() failed, so that a failure
  /// is reported once, by whoever notices it first.
  bool ClaimFailureReport();

  /// what a failed engine wrote on its console (its own language), empty when nothing
  const QString& ConsoleOutput() const { return console_; }

  /// Ends a still running engine at once, so that it writes no file any more.
  void Stop();

  const QString& ProgramPath() const { return programPath_; }

 signals:
  /// the engine of the last Start() has ended, however it ended
  void Ended();

 private:
  QString programPath_;
  bool failureClaimed_ = false;
  QProcess* process_ = nullptr;
  bool startFailed_ = false;
  QString startError_;
  QString console_;
};

}  // namespace kestrix
