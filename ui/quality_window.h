#pragma once
// The beam-quality window "線質", opened from the main window: every figure of the last run with
// its unit, a standard radiation quality that fills the main window's inputs, the thickness of one
// filtration entry fitted to a measured half-value layer, and all figures copied as text.
// Shown beside the main window without blocking it; follows each run.

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "batch_run.h"
#include "radiation_quality.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrix {

class MainWindow;

class QualityWindow : public QWidget {
  Q_OBJECT
 public:
  /// `mainWindow` outlives the window, which reads its last run and writes its inputs.
  QualityWindow(MainWindow& mainWindow, QWidget* parent);

  /// Reads the table of standard qualities of the working directory again, shows the figures of
  /// the last run and shows the window.
  void PrepareAndShow();

  /// Shows the figures of the last run, or that there is none.
  void ShowFigures();

  /// The inputs and every figure of the last run as text, one "name<TAB>value<TAB>unit" line
  /// each; values in full precision, a missing one as 範囲外 with its reason. Empty without a run.
  QString FiguresText();

  /// Puts FiguresText() on the clipboard.
  void CopyFigures();

  /// Writes the chosen quality into the main window's inputs: N and H series their voltage and
  /// filtration (their material filters replace the ones set), RQR its voltage with the added
  /// aluminium fitted to the nominal layer. A quality that cannot be realised is refused with
  /// the reason and nothing changes.
  void ApplyQuality();

  /// Fits the chosen filtration entry to the measured first half-value layer and writes the
  /// thickness into its input box. A target out of reach is refused with the reachable range.
  void FitEntry();

 private:
  QLabel* AddFigureRow(QGridLayout* grid, int row, const QString& name, const char* key, const QString& unit);
  /// the library's run of the main window's last run, computed once; null without a run or
  /// when it cannot be computed (failure_ says why)
  const RunOutcome* Outcome();
  /// the air kerma per mAs [uGy/mAs] of outcome at the distance box's distance, or why there is none
  std::pair<std::optional<double>, QString> AirKerma(const RunOutcome& outcome) const;
  /// the main window's last run was replaced or removed
  void RunChanged();
  void LoadQualities();
  void DescribeChosenQuality();

  MainWindow& mainWindow_;
  std::vector<RadiationQuality> qualities_;
  std::unique_ptr<BatchRun> batch_;
  std::vector<FilterRequest> batchFilters_;
  std::optional<RunOutcome> outcome_;
  QString failure_;

  QLabel* runLabel_;
  std::vector<QLabel*> values_;  // in FigureKeys() order
  QLineEdit* distance_;
  QLabel* distanceNote_;
  QComboBox* qualityBox_;
  QLabel* qualityLabel_;
  QPushButton* applyQuality_;
  QComboBox* entryBox_;
  QComboBox* materialBox_;
  QLineEdit* targetBox_;
  QLabel* fitLabel_;
};

}  // namespace kestrix
