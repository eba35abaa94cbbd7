#include "target_material.h"

namespace kestrix {

const std::vector<TargetMaterial>& TargetMaterials() {
  static const std::vector<TargetMaterial> targets{TargetMaterial::Tungsten, TargetMaterial::Molybdenum,
                                                   TargetMaterial::Rhodium,  TargetMaterial::Silver,
                                                   TargetMaterial::Gold};
  return targets;
}

const char* TargetSymbol(TargetMaterial target) {
  switch (target) {
    case TargetMaterial::Molybdenum: return "Mo";
    case TargetMaterial::Rhodium: return "Rh";
    case TargetMaterial::Silver: return "Ag";
    case TargetMaterial::Gold: return "Au";
    default: return "W";
  }
}

std::optional<TargetMaterial> TargetFromSymbol(const std::string& symbol) {
  for (const TargetMaterial target : TargetMaterials()) {
    const std::string name = TargetSymbol(target);
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (symbol == name || symbol == lower) return target;
  }
  return std::nullopt;
}

}  // namespace kestrix
