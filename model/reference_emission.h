#pragma once
// Literal transcription of the spectrum loops, term by term in the order of evaluation the
// models define. Slow; kept to check the program's own fast code and to time it against.

#include "calculation_state.h"
#include "energy_grid.h"
#include "model_codes.h"
#include "waveform_synthesis.h"

namespace kestrix::reference {

/// Tucker emission of one sample of tube voltage T0 [kV], one term per electron energy step.
void TuckerEmission(double T0, double cosecTheta, const AttenuationTable& table, GridArray& phaseEmission);

/// Birch emission of one sample of tube voltage T0 [kV], one term per electron energy step.
void BirchEmission(double T0, double cosecTheta, const AttenuationTable& table, GridArray& phaseEmission);

/// Photon-number spectrum as kestrix::SynthesizeSpectrum, one sample after the other with the
/// emissions above.
void SynthesizeSpectrum(SpectrumModel model, double kVp, double cosecTheta, RectificationType type,
                        const FilterSet& filters, CalculationState& state);

}  // namespace kestrix::reference
