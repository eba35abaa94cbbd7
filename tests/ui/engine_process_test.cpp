// Starting the engine: full path, working directory, no waiting, the old result removed first,
// and each way it can end told apart. Stand-in engines are small shell scripts.

#include <QFile>
#include <QtTest>

#include "engine_process.h"
#include "ui_test_support.h"

using namespace kestrix;
using kestrix::test::WorkingFolder;

namespace {

/// writes an executable shell script `name` with `body` into the working folder; returns its path
QString FakeEngine(const WorkingFolder& folder, const QString& name, const QByteArray& body) {
  const QString path = folder.Path(name);
  QFile script(path);
  if (!script.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
  script.write("#!/bin/sh\n" + body + "\n");
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

void WriteFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(content);
}

}  // namespace

class EngineProcessTest : public QObject {
  Q_OBJECT

 private slots:
  void EngineIsLookedForBesideTheProgram() {
    const QString path = EngineProcess::ProgramBesideApplication();
    QVERIFY(path.startsWith(QCoreApplication::applicationDirPath() + QStringLiteral("/Quillon")));
  }

  void NothingToWaitForBeforeTheFirstStart() {
    EngineProcess engine(QStringLiteral("/nonexistent/Quillon"));
    QString detail;
    QCOMPARE(engine.WaitForEnd(10, &detail), EngineProcess::Outcome::NeverStarted);
  }

  void MissingProgramIsAStartFailure() {
    WorkingFolder folder(false);
    EngineProcess engine(folder.Path(QStringLiteral("Quillon")));
    QString error;
    QVERIFY(!engine.Start(&error));
    QVERIFY(!error.isEmpty());
    QString detail;
    QCOMPARE(engine.WaitForEnd(10, &detail), EngineProcess::Outcome::StartFailed);
    QCOMPARE(detail, error);
  }

  void RunsInTheWorkingFolderAfterRemovingTheOldResult() {
    WorkingFolder folder(false);
    WriteFile(folder.Path(QStringLiteral("HVL_S2.temp")), "stale\r\n");
    EngineProcess engine(FakeEngine(folder, QStringLiteral("engine.sh"), "pwd > where.txt"));
    QString error;
    QVERIFY2(engine.Start(&error), qPrintable(error));
    QVERIFY(!folder.Exists(QStringLiteral("HVL_S2.temp")));
    QString detail;
    QCOMPARE(engine.WaitForEnd(5000, &detail), EngineProcess::Outcome::Finished);
    QFile where(folder.Path(QStringLiteral("where.txt")));
    QVERIFY(where.open(QIODevice::ReadOnly));
    QCOMPARE(QFileInfo(QString::fromLocal8Bit(where.readAll().trimmed())).canonicalFilePath(),
             QFileInfo(QDir::currentPath()).canonicalFilePath());
  }

  void NonZeroExitAndCrashAreToldApart() {
    WorkingFolder folder(false);
    EngineProcess failing(FakeEngine(folder, QStringLiteral("fail.sh"), "echo cannot read B_SPCTL.temp\nexit 3"));
    QVERIFY(failing.Start(nullptr));
    QString detail;
    QCOMPARE(failing.WaitForEnd(5000, &detail), EngineProcess::Outcome::FailedExit);
    QCOMPARE(detail, QStringLiteral("3"));
    QVERIFY2(failing.ConsoleOutput().contains(QStringLiteral("cannot read")), qPrintable(failing.ConsoleOutput()));

    EngineProcess crashing(FakeEngine(folder, QStringLiteral("crash.sh"), "kill -SEGV $$"));
    QVERIFY(crashing.Start(nullptr));
    QCOMPARE(crashing.WaitForEnd(5000, &detail), EngineProcess::Outcome::Crashed);
  }

  void StartReturnsAtOnceAndANewStartEndsTheOutdatedRun() {
    WorkingFolder folder(false);
    EngineProcess engine(FakeEngine(folder, QStringLiteral("slow.sh"), "sleep 30\necho late > HVL_S2.temp"));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(engine.Start(nullptr));
    QString detail;
    QCOMPARE(engine.WaitForEnd(50, &detail), EngineProcess::Outcome::StillRunning);
    QVERIFY(timer.elapsed() < 10000);
    // The second start ends the first engine, whose result would belong to an older spectrum.
    QVERIFY(engine.Start(nullptr));
    QVERIFY(timer.elapsed() < 10000);
    QCOMPARE(engine.WaitForEnd(50, &detail), EngineProcess::Outcome::StillRunning);
  }
};

QTEST_GUILESS_MAIN(EngineProcessTest)
#include "engine_process_test.moc"
