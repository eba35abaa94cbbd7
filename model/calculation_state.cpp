#include "calculation_state.h"

#include <fstream>

namespace kestrix {

void CalculationState::LoadAttenuationTable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw TableLoadError("The attenuation table file \"" + path + "\" cannot be opened (missing or unreadable).");
  }
  AttenuationTable fresh = ReadAttenuationTable(in, path);
  table = fresh;
  tableLoaded = true;
}

}  // namespace kestrix
