#include "console.h"

#include <filesystem>
#include <system_error>

namespace kestrix {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

// POSIX streams never translate line ends.
void UseBinaryStandardStreams() {}

// Linux names the running program's file in /proc.
std::string RunningProgramPath() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

}  // namespace kestrix
