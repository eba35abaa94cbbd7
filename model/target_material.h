#pragma once
// The anode materials of the tubes the program computes: tungsten for every model; molybdenum,
// rhodium, silver and gold (mammography and low-voltage tubes) for the physics model.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestrix {

/// the material of the tube's target (anode)
enum class TargetMaterial { Tungsten, Molybdenum, Rhodium, Silver, Gold };

/// every target material, tungsten first
const std::vector<TargetMaterial>& TargetMaterials();

/// the number of target materials
constexpr std::size_t kTargetCount = 5;

/// the entry of `perTarget`, which holds one for each target in the order of TargetMaterial, that
/// belongs to `target` (a table that lacks a target does not compile)
template <typename T>
const T& ForTarget(TargetMaterial target, const std::array<T, kTargetCount>& perTarget) {
  return perTarget[static_cast<std::size_t>(target)];
}

/// the element symbol a front end shows and reads: "W", "Mo", "Rh", "Ag", "Au"
const char* TargetSymbol(TargetMaterial target);

/// the target named by its element symbol (case as the periodic table writes it, or all lower
/// case: "Mo", "mo"); nullopt for any other text
std::optional<TargetMaterial> TargetFromSymbol(const std::string& symbol);

}  // namespace kestrix
