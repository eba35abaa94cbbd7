#pragma once
// Scratch folders, whole-file reads and writes, and runs of the built programs, for the
// suites that work with real files.

#include <exception>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace kestrix::test {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

/// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device entropy;
    path_ = std::filesystem::temp_directory_path() / ("kestrix-test-" + std::to_string(entropy()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  /// Number of entries in the folder.
  int EntryCount() const {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path_)) ++count;
    return count;
  }

 private:
  std::filesystem::path path_;
};

/// What `action` throws as its message; empty when it throws nothing.
inline std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "";
}

/// `text` quoted for the shell.
inline std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

/// Exit status, standard output and standard error of one program run.
struct ProgramRun {
  int exitStatus = -1;
  std::string out;
  std::string err;
};

/// Runs `program arguments` in workingDirectory with its output captured; the arguments are
/// plain words or already quoted as needed. program is a UTF-8 path.
ProgramRun RunProgramIn(const std::filesystem::path& workingDirectory, const std::string& program,
                        const std::string& arguments = "");

}  // namespace kestrix::test
