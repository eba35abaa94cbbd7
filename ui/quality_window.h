#pragma once
// The beam-quality window "線質", opened from the main window: every figure of the last run with
// its unit, a standard radiation quality that fills the main window's inputs (and, while the last
// run is that quality's, its published figures beside the run's), the thickness of one
// filtration entry fitted to a measured half-value layer, and all figures copied as text.
// Shown beside the main window without blocking it; follows each run.

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "batch_run.h"
#include "radiation_quality.h"
#include "uncertainty_run.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
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

  /// Reads the detector's material, thickness [mm] and threshold [keV] and shows the layer's figures
  /// behind the last run's beam, the figures per mAs at the distance box's distance. A thickness that
  /// is not positive, a threshold below 0 or a material without a file is refused with the reason and
  /// the figures shown stay.
  void ComputeDetector();

  /// Samples the last run with the standard uncertainties typed (kV, mm Al eq., degrees) and shows
  /// each figure's mean, standard deviation and 95 % interval and the spread between the models.
  /// Input that is not a number in range is refused with the reason and the figures shown stay.
  void ComputeUncertainty();

  /// Reads the measured spectrum named in the file box (energy_keV,value rows), shows its figures and
  /// draws it over the main window's graph. A file that cannot be used is refused with the reason,
  /// naming the line, and the figures shown stay.
  void LoadMeasured();
  /// the text the measured spectrum's box shows, one figure a line; empty before a file is read
  QString MeasuredText() const;

  /// the text the uncertainty box shows, one figure a line; empty before a sampling
  QString UncertaintyText() const;

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
  /// the distance box's distance [mm], or nullopt with why it is not one
  std::optional<double> TypedDistance(QString* reason) const;
  /// the detector's figures for the layer last accepted, or their reason, in the detector's labels
  void ShowDetector();
  /// the quality last set's published figures beside the last run's, when the run is that quality's;
  /// a note instead once the run drawn from it was replaced by one of other inputs
  void ShowDeviations();
  /// whether the main window's last run has the inputs the quality last set
  bool RunIsAppliedQuality() const;

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

  /// The quality last written into the main window's inputs, with the inputs it wrote.
  struct AppliedQuality {
    RadiationQuality quality;
    RunSettings settings;                // model, entries and waveform of its run
    std::vector<FilterRequest> filters;  // the material filters it set, in slot order
    bool drawn = false;                  // a run of these inputs was drawn since
  };
  std::optional<AppliedQuality> applied_;
  QGridLayout* deviationGrid_;
  std::vector<QLabel*> deviationLabels_;  // the grid's heading and rows, none while nothing is compared
  QLabel* deviationNote_;                 // why there is no comparison, once the inputs changed
  QComboBox* entryBox_;
  QComboBox* materialBox_;
  QLineEdit* targetBox_;
  QLabel* fitLabel_;

  struct DetectorChoice {
    QString material;        // as chosen ("CsI") or typed (a material file)
    std::string path;        // its material file
    double thicknessMm = 0;  // [mm]
    std::optional<double> thresholdKeV;  // [keV]
  };
  std::optional<DetectorChoice> detector_;  // the layer last accepted
  QComboBox* detectorBox_;
  QLineEdit* detectorThickness_;
  QLineEdit* detectorThreshold_;
  std::vector<QLabel*> detectorValues_;  // QDE, absorbed fraction, energy and photons per mAs
  QLabel* detectorNote_;

  std::vector<QLineEdit*> uncertaintyBoxes_;  // kV, Al eq., angle, samples, seed
  QPlainTextEdit* uncertaintyText_;

  QLineEdit* measuredFile_;
  QPlainTextEdit* measuredText_;
};

}  // namespace kestrix
