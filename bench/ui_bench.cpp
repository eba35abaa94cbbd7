// Graph Draw at the default settings, from the click to the curve on screen: the calculation,
// the exchange file, the curve in the graph's bitmap, the engine's start and the repaint of the
// main window. Runs the real windows on the offscreen platform in a temporary working folder.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdlib>

#include "kestrix_program.h"
#include "main_window.h"
#include "start_screen.h"

namespace {

void GraphDrawToScreen(benchmark::State& state) {
  QTemporaryDir folder;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(folder.path());
  QFile::copy(QStringLiteral(KESTRIX_DELIVERED_DATA "/MUs_202202.data"), folder.filePath("MUs_202202.data"));
  {
    kestrix::KestrixProgram program;
    program.Start();
    program.Opening().findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    kestrix::MainWindow& window = program.Main();
    if (!window.isVisible()) state.SkipWithError("the main window did not open");
    auto* graphDraw = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* clearGraph = window.findChild<QPushButton*>(QStringLiteral("Command3"));
    for (auto _ : state) {
      state.PauseTiming();
      clearGraph->click();
      QApplication::processEvents();
      state.ResumeTiming();
      graphDraw->click();
      window.repaint();
    }
  }
  QDir::setCurrent(previous);
}
BENCHMARK(GraphDrawToScreen)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
