#pragma once
// Standard radiation qualities (ISO 4037 N and H series, IEC 61267 RQR, RQA and RQT) read from the
// delivered table: tube voltage and filtration, or a nominal first half-value layer that a tube's
// added aluminium is adjusted to, or another quality realised first with further filters added.

#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "beam_quality.h"
#include "target_material.h"

namespace kestrix {

/// file name of the delivered table of qualities, beside the attenuation table
inline constexpr const char* kRadiationQualitiesFile = "RadiationQualities.tsv";

/// One added filter of a quality.
struct QualityFilter {
  std::string material;  /// element symbol, e.g. "Cu", "Sn"
  double thicknessMm = 0;  /// [mm]
};

/// A figure the standard (or the source named in the table) publishes for a quality, which the
/// realised beam is compared with, not fitted to.
struct NominalFigure {
  ExtendedFigure figure = kHvl1Al;  /// one of the half-value layers or the mean energy
  double value = 0;  /// in the figure's unit: [mm Al], [mm Cu] or [keV]
};

struct RadiationQuality {
  std::string name;      /// e.g. "N-100", "RQR5"
  std::string standard;  /// e.g. "ISO 4037", "IEC 61267"
  double tubeVoltageKV = 0;  /// [kV]
  /// beryllium window and aluminium the definition fixes; nullopt: the tube's own inherent filtration [mm]
  std::optional<double> berylliumMm;
  std::optional<double> aluminiumMm;
  std::vector<QualityFilter> filters;
  /// nominal first half-value layer of the quality [mm Al]; nullopt for a fixed filtration
  std::optional<double> nominalHvl1AlMm;
  /// the quality realised first, before filters are added (an RQA or RQT: the RQR of its voltage);
  /// empty when there is none
  std::string basedOn;
  /// first half-value layer the tube's added aluminium is adjusted to: the quality's own nominal
  /// layer, or that of the quality it is based on; nullopt for a fixed filtration [mm Al]
  std::optional<double> fittedHvl1AlMm;
  /// the tube's target: the table's target column, tungsten where it has none
  TargetMaterial target = TargetMaterial::Tungsten;
  /// the filters of the quality it is based on (e.g. RQR-M's 0.032 mm Mo), put in before the
  /// base's fit; empty when there is no base or the base has none
  std::vector<QualityFilter> baseFilters;
  /// the published figures of the quality besides nominalHvl1AlMm (ISO 4037's second layers and
  /// mean energies, a mammography beam's measured first layer), in the table's order
  std::vector<NominalFigure> nominalFigures;
};

/// A table of qualities that cannot be used; the text names the source and the line.
class RadiationQualityError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Reads the tab-separated table: lines starting with '#' are comments, then a header line
/// "name standard kV be_mm al_mm filters nominal_hvl1_al_mm based_on target nominal_figures" (a
/// table without the last column, or the last two or three, is read too; target W, Mo or Rh, '-' or
/// absent: W), then one quality per line ('-' for an empty field; filters as material:mm separated
/// by ';'; nominal_figures as key:value separated by ';', the keys hvl1_al_mm, hvl2_al_mm,
/// hvl1_cu_mm, hvl2_cu_mm, mean_energy_keV of the results, hvl1_al_mm only where
/// nominal_hvl1_al_mm is '-'). CR LF and LF line ends alike. Throws RadiationQualityError naming sourceName
/// and the line for a wrong header, a wrong field count, a number that is not wholly a positive
/// number (zero allowed for thicknesses), a repeated name, a quality with neither filtration nor
/// nominal layer, a based_on that is not an earlier quality of the same voltage with a nominal
/// layer of its own, a based quality with a fixed filtration or a filter other than Al and Cu, a
/// nominal figure with an unknown or repeated key or a value that is not a positive number, or an
/// empty table.
std::vector<RadiationQuality> ReadRadiationQualities(std::istream& in, const std::string& sourceName);

/// Opens path and reads it as above; throws RadiationQualityError when it cannot be opened.
std::vector<RadiationQuality> LoadRadiationQualities(const std::string& path);

/// The quality called name, ignoring case and hyphens ("n100" finds "N-100"); nullptr when none is.
const RadiationQuality* FindRadiationQuality(const std::vector<RadiationQuality>& qualities, const std::string& name);

}  // namespace kestrix
