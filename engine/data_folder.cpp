#include "data_folder.h"

#include <filesystem>
#include <system_error>

namespace kestrix {

std::string DeliveredDataFolder(const std::string& programPath) {
  if (programPath.empty()) return std::string();
  const std::filesystem::path program = std::filesystem::u8path(programPath);
  return (program.parent_path().parent_path() / "share" / "kestrix").u8string();
}

std::string WorkingOrDeliveredFile(const std::string& path, const std::string& dataFolder) {
  const std::filesystem::path name = std::filesystem::u8path(path);
  std::error_code error;
  if (dataFolder.empty() || name.has_parent_path() || name.is_absolute() || std::filesystem::exists(name, error)) {
    return path;
  }
  const std::filesystem::path delivered = std::filesystem::u8path(dataFolder) / name;
  return std::filesystem::is_regular_file(delivered, error) ? delivered.u8string() : path;
}

}  // namespace kestrix
