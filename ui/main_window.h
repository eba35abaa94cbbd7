#pragma once
// Form2, the main window " Nedium energy X-ray spectrum": exposure conditions, waveform,
// displayed quantity, curve colour, arbitrary filters, the spectrum graph, the calculation run
// and the engine's results, and the command "線質" that opens the beam-quality window. Hidden and
// shown again, never destroyed.

#include <QImage>
#include <QWidget>

#include <optional>

#include "beam_settings.h"
#include "entry_review.h"
#include "entry_texts.h"
#include "model_codes.h"
#include "program_state.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace kestrix {

class EngineProcess;
class EngineResultsPanel;
class FilterListPanel;
class GraphPicture;
struct FilterSet;
struct MaterialFile;

class MainWindow : public QWidget {
  Q_OBJECT
 public:
  /// client area, 14520 x 10080 twips at 15 twips per pixel [px]; the window has this size
  /// unless the screen is smaller, when it scrolls
  static constexpr int kClientWidthPx = 968;
  static constexpr int kClientHeightPx = 672;

  /// `state` and `engine` outlive the window.
  MainWindow(ProgramState& state, EngineProcess& engine, QWidget* parent = nullptr);

  /// The start screen's model choice (the table is already loaded): model code and captions,
  /// empty graph without filters, default inputs, empty results, the commands that need a
  /// spectrum disabled, constant potential and photon number selected.
  void InitialiseForModel(SpectrumModel model);

  // What the filter and export dialogs use.
  /// the graph's persistent drawing (frame, grid, texts, curves; no cursor lines or captions)
  const QImage& GraphImage() const;
  /// Picture1, where the filter dialog lists the filters that are set
  FilterListPanel* FilterList() const { return picture1_; }
  /// enables or disables the set button "設定" (Command4)
  void SetFilterCommandEnabled(bool enabled);
  /// the spectrum, table and arbitrary filters
  CalculationState& Calculation();

  // What the quality window uses.
  /// the six input boxes as typed (Text1, Text5, Text2, Text13, Text3, Text4)
  RunInputTexts InputTexts() const;
  /// Writes the six input boxes.
  void SetInputTexts(const RunInputTexts& texts);
  /// the model chosen on the start screen and the waveform option selected
  SpectrumModel Model() const;
  RectificationType Waveform() const;
  /// the target chosen (tungsten for a model that computes no other)
  TargetMaterial Target() const;
  /// Chooses `target`; false, changing nothing, when the model does not compute it.
  bool SetTarget(TargetMaterial target);
  /// whether the box "特性X線" is ticked (always for a model that computes no spectrum without them)
  bool CharacteristicLines() const;
  /// the target's kind: the reflection target (layerUm 0) or the transmission target chosen in the
  /// dialog "ターゲットの種類"
  const TransmissionTarget& Transmission() const { return transmission_; }
  /// Chooses `target`, greying the target angle and the target box for a transmission target; false,
  /// changing nothing, when the model computes no transmission target
  bool SetTransmission(const TransmissionTarget& target);
  /// the off-axis boxes as typed (along, across) [degrees], with the target and its kind
  TubeEntries TubeInputs() const;
  /// Writes the off-axis boxes (along, across).
  void SetOffAxisTexts(const QString& along, const QString& across);
  /// the boxes and choices as numbers, as the calculation would read them before its corrections:
  /// ParseRunEntries of InputTexts, with the target, the lines, the off-axis angles (0 where a
  /// box holds no number) and the transmission target
  RunEntries TypedEntries() const;
  /// the figures of the last run whose curve is drawn; none after Clear Graph, a model choice or
  /// a refused run
  const std::optional<DrawnRun>& LastRun() const;
  /// the inputs of the run whose spectrum the working folder's exchange file holds (what Data Save
  /// exports), as the run used them; none before a run has written one
  const std::optional<RunSettings>& ExchangeRun() const { return exchangeRun_; }
  /// the material files of the arbitrary filters that are set, in slot order
  const std::vector<FilterRequest>& FilterFiles() const;
  /// Notes the material file of a filter the filter dialog has just added.
  void FilterFileAdded(const FilterRequest& file);
  /// "解除": removes the arbitrary filters and enables "設定"
  void ReleaseFilters();
  /// Adds the arbitrary-material filter of `file`, read as `material`, as the filter dialog
  /// does: into the next free slot and the list, greying "設定" when the third is set. False
  /// when all slots are taken.
  bool AddMaterialFilter(const FilterRequest& file, const MaterialFile& material);

  /// Draws photons per bin (grid index 1..600, any scale) of a spectrum from elsewhere over the graph in
  /// magenta, weighted as the displayed quantity when it is the photon number or the energy. False,
  /// drawing nothing, for the exposure or a graph without a curve.
  bool OverlaySpectrum(const PhotonSpectrum& photons);

  /// the status line: what the last Graph Draw corrected, or why the engine's figures are missing
  QString StatusText() const;

  /// true while a calculation run is in progress (including its two yields)
  bool RunInProgress() const { return runInProgress_; }

 signals:
  /// "設定" (Command4) was pressed: open the arbitrary filter dialog
  void FilterDialogRequested();
  /// "Data Save" (Command7) was pressed: open the data export dialog
  void DataExportRequested();
  /// "Image Save" (Command8) was pressed: open the image export dialog
  void ImageExportRequested();
  /// " bye bye " or the window's close box: show the start screen (this window is hidden)
  void StartScreenRequested();
  /// "線質" was pressed: open the beam-quality window
  void QualityWindowRequested();
  /// the last run (ProgramState::lastRun) was replaced or removed
  void RunFiguresChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildGraphArea();
  void BuildRightColumn();
  void BuildBottomBand();
  void InstallKeyPreview();
  /// an input box the user types into (not a read-out box)
  static bool IsInputBox(const QWidget* widget);
  /// Writes the status line (empty: nothing to say).
  void SetStatus(const QString& text);
  /// Adds a line to the status line.
  void AppendStatus(const QString& text);
  /// the engine of the last run ended: a failure is told at once and marks the run's figures
  void EngineEnded();
  /// Enter on `focus`: presses Graph Draw from an input box, or the focused button; false when
  /// the key is left to the control
  bool PressForEnter(QWidget* focus);

  void GraphDraw();
  bool CalculateSpectrum();
  void ClearGraph();
  void ByeBye();
  void ShowEngineResults();
  void DisplayOptionChosen(DisplayQuantity quantity);
  void SetReadout(const QString& energyText, const QString& valueText);
  void ClearGraphAndFilters();
  /// Keeps the drawn run for the quality window, or removes it (nullopt).
  void SetLastRun(std::optional<DrawnRun> run);
  void SetDisplayOptionsEnabled(bool enabled);
  /// Offers the targets and lines of the model, choosing tungsten and the lines.
  void ResetTubeChoices(SpectrumModel model);
  /// Writes the tube voltage's caption with the highest voltage of the model and target.
  void ShowVoltageRange();
  /// Shows the target's kind: the button's state and tooltip, the angle and target boxes greyed
  /// for a transmission target.
  void ShowTransmission();
  /// "透過": opens the dialog and keeps what its OK chose
  void ChooseTransmission();
  int SelectedColorIndex() const;
  void Yield();

  ProgramState& state_;
  EngineProcess& engine_;
  bool runInProgress_ = false;
  /// whether the last drawn run's exchange file was written
  bool exchangeSaved_ = true;
  std::optional<RunSettings> exchangeRun_;

  /// the client area of fixed size, inside the window's scroll area
  QWidget* content_ = nullptr;
  GraphPicture* picture3_ = nullptr;
  QLineEdit* text6_ = nullptr;
  QLineEdit* text7_ = nullptr;
  QLabel* label16_ = nullptr;
  QLabel* statusLine_ = nullptr;
  EngineResultsPanel* results_ = nullptr;
  QRadioButton* colorOptions_[6] = {};   // Option1..Option6
  QRadioButton* waveformOptions_[3] = {};  // Option7..Option9
  QRadioButton* displayOptions_[3] = {};   // Option10..Option12
  QLineEdit* text1_ = nullptr;
  QLineEdit* text5_ = nullptr;
  QLineEdit* text2_ = nullptr;
  QLineEdit* text13_ = nullptr;
  QLineEdit* text3_ = nullptr;
  QLineEdit* text4_ = nullptr;
  QLineEdit* offAxisAlong_ = nullptr;
  QLineEdit* offAxisAcross_ = nullptr;
  QComboBox* targetBox_ = nullptr;
  QCheckBox* linesBox_ = nullptr;
  /// opens the dialog of the target's kind; checked for a transmission target
  QToolButton* transmissionButton_ = nullptr;
  class TransmissionDialog* transmissionDialog_ = nullptr;
  TransmissionTarget transmission_;
  QLabel* voltageCaption_ = nullptr;
  FilterListPanel* picture1_ = nullptr;
  QPushButton* command1_ = nullptr;
  QPushButton* command3_ = nullptr;
  QPushButton* command7_ = nullptr;
  QPushButton* command8_ = nullptr;
  QPushButton* command4_ = nullptr;
  QPushButton* command5_ = nullptr;
  QToolButton* command2_ = nullptr;
  QToolButton* qualityCommand_ = nullptr;
};

}  // namespace kestrix
