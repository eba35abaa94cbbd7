#pragma once
// The results area of the main window: the command "HVL  /  Fluence" (Command6) and the boxes
// with the aluminium and copper half-value layers (Text9, Text8) and the photon fluence per
// exposure (Text11) that the engine Quillon computed from the last spectrum.

#include <QWidget>

#include "beam_quality.h"
#include "engine_process.h"

class QLineEdit;
class QPushButton;

namespace kestrix {

class EngineResultsPanel : public QWidget {
  Q_OBJECT
 public:
  /// how long the results command waits for a running engine before it gives up [ms]
  static constexpr int kEngineWaitMs = 5000;
  /// shown in a box whose value the engine could not write (a field of asterisks)
  static QString NotAvailableText();

  /// shown in every box when the engine gave no figures for the curve (its tooltip says why)
  static const QString kUnavailableText;

  explicit EngineResultsPanel(QWidget* parent);

  /// the message of an engine that crashed or ended with a failure, in Japanese
  static QString EngineFailureText(EngineProcess::Outcome outcome);
  /// Reports such an engine over `parent`: the message, the exit code and the engine's own console
  /// text behind the details button.
  static void ReportEngineFailure(QWidget* parent, EngineProcess::Outcome outcome, const QString& detail,
                                  const EngineProcess& engine);

  /// The engine gives no figures for the curve: every box shows kUnavailableText with `reason` as
  /// its tooltip, and the results command is disabled.
  void MarkUnavailable(const QString& reason);

  QPushButton* Command6() const { return command6_; }

  /// Empties Text9, Text8 and Text11.
  void ClearResults();

  /// Puts the extended figures of the last run (second layers, homogeneity, mean energies, in
  /// Japanese with units) into the tooltips of Text9, Text8 and Text11 while they show a value.
  void SetExtendedFigures(const ExtendedBeamQuality& figures);
  /// Removes those tooltips (no run since the model was chosen).
  void ClearExtendedFigures();

  /// Why extended figure `f` has no value, in Japanese; which figures exist tells the reason apart.
  static QString MissingReason(const ExtendedBeamQuality& figures, std::size_t f);

  /// The tooltip text for figures: one line per figure, a missing one with its reason.
  static QString ExtendedFiguresText(const ExtendedBeamQuality& figures);

  /// ShowEngineResults: waits (bounded) for the engine started by the last run, then reads the
  /// result file of the working directory into the three boxes, written in palette colour
  /// `colorIndex`, and disables Command6. Failures (engine not started, crashed, failed, not
  /// finished; file missing or garbled) are reported in a message box and leave the boxes
  /// empty; Command6 stays enabled only while the engine may still deliver.
  void ShowEngineResults(int colorIndex, EngineProcess& engine);

 private:
  void ReadResults();
  /// the figures' text as tooltip of each box that holds a value, none on an empty box
  void UpdateToolTips();

  QString extendedFiguresText_;
  QPushButton* command6_;
  QLineEdit* text9_;
  QLineEdit* text8_;
  QLineEdit* text11_;
};

}  // namespace kestrix
