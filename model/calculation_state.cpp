#include "calculation_state.h"

#include <sstream>

#include "engine/file_system.h"

namespace kestrix {

void CalculationState::LoadAttenuationTable(const std::string& path) {
  std::istringstream in;
  try {
    in = std::istringstream(ReadFileBytes(path), std::ios::binary);
  } catch (const FileSystemError& error) {
    throw TableLoadError("The attenuation table file \"" + path + "\" cannot be opened (" + error.reason() + ").");
  }
  AttenuationTable fresh = ReadAttenuationTable(in, path);
  table = fresh;
  tableLoaded = true;
}

}  // namespace kestrix
