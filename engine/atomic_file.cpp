#include "atomic_file.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <random>
#include <sstream>
#include <stdexcept>

#include "file_system.h"

namespace kestrix {
namespace {

constexpr const char* kTemporaryInfix = ".tmp";

SaveFileError SaveFailure(const std::string& path, const std::string& reason, int systemError = 0) {
  return SaveFileError("Cannot save \"" + path + "\": " + reason, systemError);
}

}  // namespace

// Temporary files of earlier saves of path that were killed before their rename: "<name>.tmp"
// followed by digits only, beside path.
void RemoveAbandonedTemporaries(const std::string& path) {
  std::error_code error;
  const std::filesystem::path target = std::filesystem::u8path(path);
  const std::string prefix = target.filename().u8string() + kTemporaryInfix;
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().u8string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (name.find_first_not_of("0123456789", prefix.size()) != std::string::npos) continue;
    RemoveAbandonedTemporary((folder / std::filesystem::u8path(name)).u8string());
  }
}

namespace {

// Checks path and writes bytes to a new temporary file beside it. Throws SaveFileError.
void WriteTemporary(TemporaryFile& file, const std::string& path, const std::string& bytes) {
  try {
    CheckReplaceableTarget(path);
    std::random_device entropy;
    std::mt19937_64 generator((static_cast<std::uint64_t>(entropy()) << 32) ^ entropy());
    bool created = false;
    // A taken name belongs to another save in progress (or a killed one): try another.
    for (int attempt = 0; attempt < 100 && !created; ++attempt) {
      created = file.Create(path + kTemporaryInfix + std::to_string(generator() % 1000000000ULL), path, bytes);
    }
    if (!created) throw FileSystemError("cannot create a temporary file beside it (File exists)", EEXIST);
  } catch (const FileSystemError& error) {
    throw SaveFailure(path, error.what(), error.SystemError());
  }
}

void ReplaceWithTemporary(TemporaryFile& file, const std::string& path) {
  try {
    file.Replace();
  } catch (const FileSystemError& error) {
    throw SaveFailure(path, error.what(), error.SystemError());
  }
}

}  // namespace

void SaveFileAtomically(const std::string& path, const std::function<void(std::ostream&)>& write) {
  std::ostringstream content(std::ios::out | std::ios::binary);
  try {
    write(content);
  } catch (const std::exception& error) {
    throw SaveFailure(path, error.what());
  }
  if (!content) throw SaveFailure(path, "the content could not be produced");
  SaveFilesTogether({FileContent{path, content.str()}});
}

PendingSave::PendingSave(const std::vector<FileContent>& files) : files_(files), temporaries_(files.size()) {
  for (std::size_t k = 0; k < files_.size(); ++k) WriteTemporary(temporaries_[k], files_[k].path, files_[k].bytes);
}

void PendingSave::Replace(std::size_t k) { ReplaceWithTemporary(temporaries_[k], files_[k].path); }

void PendingSave::RemoveAbandonedTemporaries() const {
  for (const FileContent& file : files_) kestrix::RemoveAbandonedTemporaries(file.path);
}

void SaveFilesTogether(const std::vector<FileContent>& files, std::size_t* replacedCount) {
  if (replacedCount != nullptr) *replacedCount = 0;
  PendingSave pending(files);
  for (std::size_t k = 0; k < files.size(); ++k) {
    pending.Replace(k);
    if (replacedCount != nullptr) *replacedCount = k + 1;
  }
  pending.RemoveAbandonedTemporaries();
}

bool WriteAndReplace(const std::string& temporaryPath, const std::string& target, const std::string& bytes) {
  TemporaryFile file;
  if (!file.Create(temporaryPath, target, bytes)) return false;
  file.Replace();
  return true;
}

}  // namespace kestrix
