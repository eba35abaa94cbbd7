#pragma once
// One or many calculations with the desktop program's own code path: the model run, the spectrum
// exchange file, and the half-value-layer engine computed in process on that file's text; a
// filtration fitted to a first half-value layer and the standard radiation qualities. Every front
// end computes through this.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "beam_output.h"
#include "beam_quality.h"
#include "calculation_run.h"
#include "calculation_state.h"
#include "beam_settings.h"
#include "engine_table.h"
#include "exchange_files.h"
#include "filtration_fit.h"
#include "radiation_quality.h"

namespace kestrix {

/// The main window's entries after the run's corrections, in the units typed.
struct UsedEntries {
  double tubeVoltageKV = 0;
  double targetAngleDegrees = 0;
  double berylliumMm = 0;
  double aluminiumEquivalentMm = 0;
  double addedAluminiumMm = 0;
  double addedCopperMm = 0;
};

struct RunOutcome {
  RunInputs inputs;                      /// what the model computed with (thicknesses in cm)
  UsedEntries used;                      /// the same in the units typed
  std::vector<std::string> corrections;  /// one sentence per correction the run applied
  std::string exchangeFileText;          /// B_SPCTL.temp, byte for byte
  /// photon-number spectrum relative to its peak in full precision, bins 1..600 [relative]
  ExchangeSpectrum photonSpectrum{};
  ExchangeSpectrum exchange{};           /// relative photon numbers as the data export reads them back
  ExchangeSpectrum tabulated{};          /// the chosen quantity relative to its peak, rounded like the exchange file
  /// the chosen quantity relative to its peak in full precision, bins 1..600 [relative]
  ExchangeSpectrum quantitySpectrum{};
  /// the engine's results as HVL_S2.temp holds them; nullopt when the engine cannot weigh the spectrum
  std::optional<EngineResults> results;
  std::string resultFileText;  /// HVL_S2.temp, byte for byte (empty without results)
  std::string engineError;     /// why there are no results
  /// per material (0 aluminium, 1 copper): the air-kerma transmission is already below 50 % after
  /// the first thickness step, so the engine extrapolates the layer below that step
  std::array<bool, 2> layerBelowFirstStep{};
  /// second layers, homogeneity and mean energies in double precision from photonSpectrum
  ExtendedBeamQuality extended;
  /// for a model that computes photons per electron: the filtered spectrum in photons per keV per sr
  /// per electron of the whole waveform, bins 1..600 [1/(keV sr electron)]; nullopt for a relative model
  std::optional<PhotonSpectrum> absoluteSpectrum;
  /// fluence and air kerma per mAs at the settings' distance, or why there are none
  BeamOutput output;
};

/// A beam whose filtration entry was fitted to a first half-value layer.
struct FitOutcome {
  FitRequest request;
  FiltrationFit fit;     /// fitted thickness [mm] and the layer it gives [mm]
  RunSettings settings;  /// the inputs with the fitted thickness written into its entry
  RunOutcome outcome;    /// the run of those inputs
};

/// Holds the attenuation table (read both as the calculation and as the engine reads it) and
/// the material filters, then runs calculations one after another.
class BatchRun {
 public:
  /// Throws TableLoadError or EngineInputError for an unusable table, MaterialFileError for an
  /// unusable material file.
  BatchRun(const std::string& tablePath, const std::vector<FilterRequest>& filters);

  /// One calculation. Throws RunError when the run refuses the inputs (angle, everything
  /// absorbed, a spectrum that is not finite).
  RunOutcome Run(const RunSettings& settings);

  /// Fits the thickness of request.entry (0 to 100 mm, to 0.001 mm) so that the beam of settings
  /// has the target first half-value layer, then runs the fitted inputs. Throws RunError for
  /// inputs the run refuses whatever the thickness (the angle), FiltrationFitError for a target
  /// outside the reachable range (the text states it).
  FitOutcome Fit(const RunSettings& settings, const FitRequest& request);

  const std::vector<LoadedFilter>& Filters() const { return filters_; }

  /// The output of outcome (a run of this batch) at another distance [mm]; throws
  /// std::invalid_argument for a distance that is not positive.
  BeamOutput OutputAt(const RunOutcome& outcome, SpectrumModel model, double distanceMm) const;

 private:
  /// first half-value layer [mm] of the beam of settings, nullopt when it has none or is absorbed
  std::optional<double> FirstLayer(const RunSettings& settings, LayerMaterial material);

  CalculationState state_;
  EngineTable engineTable_;
  std::vector<LoadedFilter> filters_;
};

/// How a standard radiation quality is realised on top of the user's settings.
struct QualityPlan {
  RadiationQuality quality;
  /// the user's settings with the quality's tube voltage; N and H also set the window, the
  /// aluminium equivalent, no added aluminium and their copper; RQR sets no added copper
  RunSettings settings;
  /// the user's material filters, then the quality's other filters (files <symbol>.ele)
  std::vector<FilterRequest> filters;
};

/// Where the delivered table of qualities and the material files of a quality's filters are
/// looked for: the folder of the attenuation table.
std::string DataFileBeside(const std::string& tablePath, const std::string& name);

/// The plan for quality. Throws RadiationQualityError when the user's and the quality's material
/// filters together need more than three slots.
QualityPlan PlanQuality(const RadiationQuality& quality, const RunSettings& base,
                        const std::vector<FilterRequest>& userFilters, const std::string& tablePath);

/// A realised quality; fit holds the added aluminium fitted to the nominal layer (RQR).
struct QualityOutcome {
  QualityPlan plan;
  std::optional<FitOutcome> fit;
  RunOutcome outcome;
};

/// An RQR quality that the tube's inherent filtration cannot realise, and why.
class QualityRefusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Runs plan on batch, which must hold plan.filters: N and H as they stand, RQR with the added
/// aluminium fitted to the nominal first half-value layer. Throws QualityRefusal when the beam
/// without added aluminium is already harder than the nominal layer (the text gives its layer),
/// FiltrationFitError for another unreachable layer, RunError as Run does.
QualityOutcome RunQuality(BatchRun& batch, const QualityPlan& plan);

/// Text of a tube voltage [kV] that reads back to exactly that value.
std::string VoltageText(double kiloVolts);

/// Removes the HVL_S2.temp of an earlier calculation, then saves B_SPCTL.temp and (when there are
/// results) HVL_S2.temp in folder, each through a temporary file, so that the folder never holds
/// the two files of different calculations. Returns the saved paths. Throws std::runtime_error
/// naming the file and the reason, after removing a B_SPCTL.temp it has saved.
std::vector<std::string> SaveExchangeFiles(const std::string& folder, const RunOutcome& outcome);

/// Removes the file at path (UTF-8) if there is one; failures are ignored.
void RemoveFileIfThere(const std::string& path);

/// Throws std::runtime_error ("Cannot save ...") when a save to path would fail before writing:
/// its folder is missing, or the file is read-only or not a file.
void CheckSaveTarget(const std::string& path);

}  // namespace kestrix
