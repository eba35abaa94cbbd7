#include "atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <stdexcept>

namespace kestrix {
namespace {

SaveFileError SaveFailure(const std::string& path, const std::string& reason, int systemError = 0) {
  return SaveFileError("Cannot save \"" + path + "\": " + reason, systemError);
}

std::string SystemReason(int error) { return error != 0 ? std::strerror(error) : "unknown error"; }

// Creates a file that did not exist before, beside path; returns its name.
std::FILE* CreateTemporaryBeside(const std::string& path, std::string& temporaryPath) {
  std::random_device entropy;
  std::mt19937_64 generator((static_cast<std::uint64_t>(entropy()) << 32) ^ entropy());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryPath = path + ".tmp" + std::to_string(generator() % 1000000000ULL);
    errno = 0;
    // "x": fails when the name exists, so two savers never share a temporary file.
    if (std::FILE* file = std::fopen(temporaryPath.c_str(), "wbx")) return file;
    if (errno != EEXIST) break;
  }
  const int error = errno;
  throw SaveFailure(path, "cannot create a temporary file beside it (" + SystemReason(error) + ")", error);
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
  const std::string bytes = content.str();

  std::string temporaryPath;
  std::FILE* file = CreateTemporaryBeside(path, temporaryPath);
  errno = 0;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
  int error = errno;
  const bool closed = std::fclose(file) == 0;
  if (error == 0) error = errno;
  if (!written || !closed) {
    std::remove(temporaryPath.c_str());
    throw SaveFailure(path, "writing " + temporaryPath + " failed (" + SystemReason(error) + ")", error);
  }
  if (std::rename(temporaryPath.c_str(), path.c_str()) != 0) {
    error = errno;
    std::remove(temporaryPath.c_str());
    throw SaveFailure(path, "cannot replace it (" + SystemReason(error) + ")", error);
  }
}

}  // namespace kestrix
