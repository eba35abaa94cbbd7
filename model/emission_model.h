#pragma once
// The emission models behind one interface: a model turns the tube-voltage samples of a waveform
// and the target angle into the emission that leaves the target, before any filter outside it.
// Tucker's and Birch's formulas are relative; a model built from physical data is absolute.

#include <vector>

#include "attenuation_table.h"
#include "energy_grid.h"

namespace kestrix {

class EmissionModel {
 public:
  virtual ~EmissionModel() = default;

  /// the model's word in every front end: "tucker", "birch", "physics"
  virtual const char* Keyword() const = 0;
  /// lowest peak tube voltage the model computes [kV]
  virtual double MinimumVoltage() const = 0;
  /// highest peak tube voltage the model computes [kV]
  virtual double MaximumVoltage() const = 0;
  /// true when SampleEmissions is absolute (per electron on the target), false when relative
  virtual bool IsAbsolute() const = 0;

  /// Emission of every sample of voltage sampleVoltages[k] [kV] at the take-off direction given by
  /// cosecTheta = 1 / sin(target angle), self-attenuated in the target, into bins 2..floor(2 T0) of
  /// emissions[k] (resized to the number of samples; other bins 0). The value of bin i is photon
  /// energy times photons per unit photon energy: for an absolute model
  /// [keV per keV per sr per electron], otherwise [relative].
  virtual void SampleEmissions(const std::vector<double>& sampleVoltages, double cosecTheta,
                               const AttenuationTable& table, std::vector<GridArray>& emissions) const = 0;
};

}  // namespace kestrix
