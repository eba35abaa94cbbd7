#pragma once
// kestrix-cli --list-models: every emission model with the targets it computes and the tube-voltage
// range of each, as text or as one JSON object.

#include <ostream>

namespace kestrix {

/// one line per model and target: "physics  W   30 to 300 kV  absolute"
void WriteModelList(std::ostream& out);

/// {"program": "kestrix-cli", "models": [{"model": "tucker", "absolute": false, "targets":
/// [{"target": "W", "lowest_kV": 30, "highest_kV": 300}]}, ...]}
void WriteModelListJson(std::ostream& out);

}  // namespace kestrix
