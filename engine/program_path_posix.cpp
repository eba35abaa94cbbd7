#include <filesystem>
#include <system_error>

#include "data_folder.h"

namespace kestrix {

// Linux names the running program's file in /proc.
std::string ProgramFilePath() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.u8string();
}

}  // namespace kestrix
