#pragma once
// Every emission model the program offers, by its code: the one list a front end shows and reads.

#include <vector>

#include "emission_model.h"
#include "model_codes.h"

namespace kestrix {

/// the models in the order the front ends list them
const std::vector<SpectrumModel>& SpectrumModels();

/// the emission model behind a model code
const EmissionModel& EmissionModelFor(SpectrumModel model);

}  // namespace kestrix
