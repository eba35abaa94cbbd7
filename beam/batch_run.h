#pragma once
// One or many calculations with the desktop program's own code path: the model run, the spectrum
// exchange file, and the half-value-layer engine computed in process on that file's text; a
// filtration fitted to a first half-value layer and the standard radiation qualities. Every front
// end computes through this.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "atomic_file.h"
#include "beam_output.h"
#include "beam_quality.h"
#include "calculation_run.h"
#include "calculation_state.h"
#include "beam_settings.h"
#include "engine_table.h"
#include "exchange_files.h"
#include "filtration_fit.h"
#include "radiation_quality.h"
#include "tube_fit.h"

namespace kestrix {

/// The main window's entries after the run's corrections, in the units typed.
struct UsedEntries {
  double tubeVoltageKV = 0;
  double targetAngleDegrees = 0;
  double berylliumMm = 0;
  double aluminiumEquivalentMm = 0;
  double addedAluminiumMm = 0;
  double addedCopperMm = 0;
  TargetMaterial target = TargetMaterial::Tungsten;  /// the tube's target (a quality may set it)
};

struct RunOutcome {
  RunInputs inputs;                      /// what the model computed with (thicknesses in cm)
  UsedEntries used;                      /// the same in the units typed
  std::vector<std::string> corrections;  /// one sentence per correction the run applied
  /// last grid index the spectra below carry: the exchange files' 600 (300 keV) for a tube voltage up to
  /// kExchangeVoltageLimit, floor(2 kVp) above it; tables list rows 1..lastBin
  int lastBin = kExchangeLast;
  /// B_SPCTL.temp, byte for byte; empty above kExchangeVoltageLimit, where the file cannot hold the spectrum
  std::string exchangeFileText;
  /// photon-number spectrum relative to its peak in full precision, bins 1..lastBin [relative]
  GridArray photonSpectrumOnGrid{};
  /// its bins 1..600 (to 300 keV), the part the exchange files hold [relative]
  ExchangeSpectrum photonSpectrum{};
  /// relative photon numbers as the data export reads them back from B_SPCTL.temp, bins 1..600; above
  /// kExchangeVoltageLimit, with no file, bins 1..600 of the photon numbers rounded as the file rounds them
  ExchangeSpectrum exchange{};
  /// the chosen quantity relative to its peak, rounded like the exchange file, bins 1..600 of tabulatedOnGrid
  ExchangeSpectrum tabulated{};
  /// the same on bins 1..lastBin: the table every front end prints and saves
  GridArray tabulatedOnGrid{};
  /// the chosen quantity relative to its peak in full precision, bins 1..lastBin [relative]
  GridArray quantitySpectrum{};
  /// the engine's results as HVL_S2.temp holds them; nullopt when the engine cannot weigh the spectrum
  /// or, above kExchangeVoltageLimit, when there is no exchange file (engineError: kBeyondExchangeReason)
  std::optional<EngineResults> results;
  std::string resultFileText;  /// HVL_S2.temp, byte for byte (empty without results)
  std::string engineError;     /// why there are no results
  /// per material (0 aluminium, 1 copper): the air-kerma transmission is already below 50 % after
  /// the first thickness step, so the engine extrapolates the layer below that step
  std::array<bool, 2> layerBelowFirstStep{};
  /// second layers, homogeneity and mean energies in double precision from photonSpectrum (all its bins)
  ExtendedBeamQuality extended;
  /// for a model that computes photons per electron: the filtered spectrum in photons per keV per sr
  /// per electron of the whole waveform, bins 1..lastBin [1/(keV sr electron)]; nullopt for a relative model
  std::optional<GridArray> absoluteSpectrum;
  /// fluence and air kerma per mAs at the settings' distance, or why there are none
  BeamOutput output;
};

/// Why a run above kExchangeVoltageLimit has no engine figures and no exchange files.
extern const char* const kBeyondExchangeReason;

/// bins 1..600 of a spectrum on the whole grid: the part the exchange files hold
ExchangeSpectrum ExchangePart(const GridArray& spectrum);
/// a spectrum of the exchange files' bins on the whole grid, 0 above 300 keV
GridArray OnGrid(const ExchangeSpectrum& spectrum);

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

  /// The extended figures of the beam of settings, computed from its spectrum alone (no exchange
  /// file, no engine); nullopt when everything is absorbed or the run would replace the inherent
  /// filtration. Throws RunError for an unusable angle.
  std::optional<ExtendedBeamQuality> Extended(const RunSettings& settings);
  /// The relative photon spectrum of settings (bins 1..600), computed as Extended computes it;
  /// nullopt where Extended gives nullopt.
  std::optional<PhotonSpectrum> RelativeSpectrum(const RunSettings& settings);
  /// The extended figures of `spectrum` (a relative photon spectrum of this batch's table) behind
  /// further aluminium and copper [mm, may be negative]: filtration multiplies the spectrum, so this
  /// is the beam with that much more filtration, to rounding, without computing its emission again.
  ExtendedBeamQuality ExtendedRefiltered(const PhotonSpectrum& spectrum, double extraAluminiumMm,
                                         double extraCopperMm) const;

  /// The figures of a photon spectrum from elsewhere (photons per bin, bins 1..600, any positive
  /// scale; a measured one) through the exchange file and the engine as Run computes a beam's, with
  /// the extended figures; quantity and table of photon number, no inputs, no absolute output.
  /// Throws std::invalid_argument for a negative or non-finite value or a spectrum without photons.
  RunOutcome Weigh(const ExchangeSpectrum& photons);

  const std::vector<LoadedFilter>& Filters() const { return filters_; }

  /// Sets the thickness of material filter `index` (0-based) for the runs that follow [mm].
  void SetFilterThickness(std::size_t index, double thicknessMm);
  /// The output of outcome (a run of this batch) at another distance [mm]; throws
  /// std::invalid_argument for a distance that is not positive.
  BeamOutput OutputAt(const RunOutcome& outcome, SpectrumModel model, double distanceMm) const;

 private:
  /// the exchange file of outcome.photonSpectrum, the engine's figures on it and the extended figures
  void ComputeFigures(RunOutcome& outcome);
  /// the relative photon spectrum of settings on the whole grid and its tube voltage [kV]; nullopt
  /// where Extended gives nullopt
  std::optional<std::pair<GridArray, double>> RelativeGridSpectrum(const RunSettings& settings);
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
  /// aluminium equivalent, no added aluminium and their copper; RQR sets no added copper; RQA and
  /// RQT hold the settings of the RQR they are based on (their aluminium and copper are added
  /// after the fit)
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

/// A realised quality; fit holds the added aluminium fitted to the nominal layer (RQR, or the RQR
/// an RQA or RQT is based on).
struct QualityOutcome {
  QualityPlan plan;
  std::optional<FitOutcome> fit;
  RunSettings settings;  /// the inputs of outcome
  RunOutcome outcome;
};

/// An RQR quality that the tube's inherent filtration cannot realise, and why.
class QualityRefusal : public std::runtime_error {
 public:
  QualityRefusal(const std::string& message, double thinnestHvl1Mm, double berylliumMm, double aluminiumEquivalentMm)
      : std::runtime_error(message),
        thinnestHvl1Mm(thinnestHvl1Mm),
        berylliumMm(berylliumMm),
        aluminiumEquivalentMm(aluminiumEquivalentMm) {}
  double thinnestHvl1Mm;         /// first half-value layer without added aluminium [mm Al]
  double berylliumMm;            /// the inherent window as the run used it [mm Be]
  double aluminiumEquivalentMm;  /// the inherent aluminium equivalent as the run used it [mm Al]
};

/// Runs plan on batch, which must hold plan.filters: N and H as they stand, RQR with the added
/// aluminium fitted to the nominal first half-value layer. RQA and RQT realise their RQR so, then
/// add their aluminium to the fitted added aluminium, or their copper, at the same tube voltage:
/// their first layer is what that beam gives, compared with the nominal one but not fitted to it.
/// Throws QualityRefusal when the beam without added aluminium is already harder than the RQR's
/// nominal layer (the text gives its layer), FiltrationFitError for another unreachable layer,
/// RunError as Run does.
QualityOutcome RunQuality(BatchRun& batch, const QualityPlan& plan);

/// A tube commissioned from measured layers.
struct TubeFitOutcome {
  std::vector<TubeMeasurement> measurements;
  std::vector<TubeInput> varied;
  TubeFit fit;
  RunSettings settings;  /// the given settings with the fitted inputs (the tube voltage as given)

  /// the fitted tube's settings at the nominal tube voltage nominalKV [kV]: the voltage computed is
  /// nominalKV plus the fitted kv_offset (0 when it was not varied)
  RunSettings SettingsAt(double nominalKV) const;
};

/// Fits the varied inputs of settings (starting from their values there, kv_offset from 0) to the
/// measurements, each computed at its own tube voltage plus the offset; uncertaintyPercent is the
/// measurements' relative standard uncertainty [%] the rms deviation is compared with. Throws
/// TubeFitError as FitTube does and for a measurement outside the 30 to 300 kV the models compute,
/// RunError for an unusable angle.
TubeFitOutcome FitTubeInputs(BatchRun& batch, const RunSettings& settings,
                             const std::vector<TubeMeasurement>& measurements, const std::vector<TubeInput>& varied,
                             std::optional<double> uncertaintyPercent = std::nullopt);

/// Text of a tube voltage [kV] that reads back to exactly that value.
std::string VoltageText(double kiloVolts);

/// Saves B_SPCTL.temp and (when there are results) HVL_S2.temp in folder, with others (files of the
/// same run saved beside them), as SaveExchangePair does: under the folder's lock, all written before
/// any is replaced, so that the folder never holds the two files of different calculations and a
/// failure leaves the earlier files as they were. Returns the saved paths of the pair. Throws
/// std::runtime_error naming the file and the reason, and, before writing anything, for a run
/// above kExchangeVoltageLimit (kBeyondExchangeReason).
std::vector<std::string> SaveExchangeFiles(const std::string& folder, const RunOutcome& outcome,
                                           const std::vector<FileContent>& others = {});

/// True when the two paths (UTF-8) name one file: the same file when both exist, else the same
/// absolute path once "." and ".." are resolved.
bool SameFile(const std::string& first, const std::string& second);

/// Removes the file at path (UTF-8) if there is one; failures are ignored.
void RemoveFileIfThere(const std::string& path);

/// Throws std::runtime_error ("Cannot save ...") when a save to path would fail before writing:
/// its folder is missing or not a folder, or the file is read-only or not a file.
void CheckSaveTarget(const std::string& path);

}  // namespace kestrix
