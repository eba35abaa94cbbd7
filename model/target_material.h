#pragma once
// The anode materials of the tubes the program computes: tungsten for every model, molybdenum and
// rhodium (mammography tubes) for the physics model.

#include <optional>
#include <string>
#include <vector>

namespace kestrix {

/// the material of the tube's target (anode)
enum class TargetMaterial { Tungsten, Molybdenum, Rhodium };

/// every target material, tungsten first
const std::vector<TargetMaterial>& TargetMaterials();

/// the element symbol a front end shows and reads: "W", "Mo", "Rh"
const char* TargetSymbol(TargetMaterial target);

/// the target named by its element symbol (case as the periodic table writes it, or all lower
/// case: "Mo", "mo"); nullopt for any other text
std::optional<TargetMaterial> TargetFromSymbol(const std::string& symbol);

}  // namespace kestrix
