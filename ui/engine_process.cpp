#include "engine_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "exchange_files.h"
#include "ui_language.h"

namespace kestrix {
namespace {

/// how long a start may take before it counts as failed [ms]
constexpr int kStartTimeoutMs = 5000;
/// how long an outdated engine is given to end after being killed [ms]
constexpr int kKillTimeoutMs = 2000;

/// why the engine could not start, in the user's language
QString StartFailureText(QProcess::ProcessError error, const QString& programPath) {
  if (error == QProcess::Timedout) return Tr("起動に時間がかかりすぎました。");
  if (!QFileInfo::exists(programPath)) return Tr("プログラムが見つかりません。");
  return Tr("プログラムを実行できません (実行の許可がないか、壊れています)。");
}

}  // namespace

EngineProcess::EngineProcess(QString programPath, QObject* parent)
    : QObject(parent), programPath_(std::move(programPath)) {}

EngineProcess::~EngineProcess() { Stop(); }

QString EngineProcess::ProgramBesideApplication() {
  // findExecutable adds the system's program suffix (".exe" on Windows).
  const QString folder = QCoreApplication::applicationDirPath();
  const QString found = QStandardPaths::findExecutable(QStringLiteral("Quillon"), {folder});
  return found.isEmpty() ? folder + QStringLiteral("/Quillon") : found;
}

void EngineProcess::Stop() {
  if (process_ == nullptr) return;
  // An outdated engine's end is nobody's news.
  process_->disconnect(this);
  if (process_->state() != QProcess::NotRunning) {
    process_->kill();
    process_->waitForFinished(kKillTimeoutMs);
  }
  delete process_;
  process_ = nullptr;
}

bool EngineProcess::Start(QString* error) {
  Stop();
  startFailed_ = false;
  startError_.clear();
  console_.clear();
  failureClaimed_ = false;
  QFile::remove(QString::fromLatin1(kResultFile));

  process_ = new QProcess(this);
  process_->setWorkingDirectory(QDir::currentPath());
  process_->setProgram(programPath_);
  process_->setStandardInputFile(QProcess::nullDevice());
  // The engine's console messages are kept to explain a failed run.
  process_->setProcessChannelMode(QProcess::MergedChannels);
  connect(process_, &QProcess::finished, this, &EngineProcess::Ended);
  process_->start();
  // Waiting for the start only: the engine's work goes on in the background.
  if (!process_->waitForStarted(kStartTimeoutMs)) {
    startFailed_ = true;
    startError_ = StartFailureText(process_->error(), programPath_);
    if (error != nullptr) *error = startError_;
    return false;
  }
  return true;
}

bool EngineProcess::ClaimFailureReport() {
  if (failureClaimed_) return false;
  failureClaimed_ = true;
  return true;
}

EngineProcess::Outcome EngineProcess::WaitForEnd(int msecs, QString* detail) {
  if (startFailed_) {
    if (detail != nullptr) *detail = startError_;
    return Outcome::StartFailed;
  }
  if (process_ == nullptr) return Outcome::NeverStarted;
  if (process_->state() != QProcess::NotRunning) process_->waitForFinished(msecs);
  if (process_->state() != QProcess::NotRunning) return Outcome::StillRunning;
  if (process_->exitStatus() == QProcess::CrashExit) {
    if (detail != nullptr) *detail = process_->errorString();
    return Outcome::Crashed;
  }
  if (process_->exitCode() != 0) {
    if (detail != nullptr) *detail = QString::number(process_->exitCode());
    // the console is read once; a second look at the same end keeps it
    if (console_.isEmpty()) console_ = QString::fromLocal8Bit(process_->readAllStandardOutput()).trimmed();
    return Outcome::FailedExit;
  }
  return Outcome::Finished;
}

}  // namespace kestrix
