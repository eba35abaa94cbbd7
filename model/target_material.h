#pragma once
// The anode materials of the tubes the program computes: tungsten for every model; molybdenum,
// rhodium, silver and gold (mammography and low-voltage tubes) for the physics model.

#include <optional>
#include <string>
#include <vector>

namespace kestrix {

/// the material of the tube's target (anode)
enum class TargetMaterial { Tungsten, Molybdenum, Rhodium, Silver, Gold };

/// every target material, tungsten first
const std::vector<TargetMaterial>& TargetMaterials();

/// the element symbol a front end shows and reads: "W", "Mo", "Rh", "Ag", "Au"
const char* TargetSymbol(TargetMaterial target);

/// the target named by its element symbol (case as the periodic table writes it, or all lower
/// case: "Mo", "mo"); nullopt for any other text
std::optional<TargetMaterial> TargetFromSymbol(const std::string& symbol);

}  // namespace kestrix
