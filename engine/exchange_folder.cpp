#include "exchange_folder.h"

#include <cerrno>
#include <filesystem>

#include "exchange_files.h"
#include "file_system.h"

namespace kestrix {
namespace {

constexpr const char* kMarkerTitle = "kestrix exchange pair\n";
constexpr const char* kNoResults = "none";

// "B_SPCTL.temp 10200\n" and the content, or "HVL_S2.temp none\n" for a pair without results.
void AppendEntry(std::string& marker, const char* name, const std::optional<std::string>& content) {
  marker += std::string(name) + ' ' + (content ? std::to_string(content->size()) : kNoResults) + '\n';
  if (content) marker += *content;
}

// Reads the entry of name at pos; false when the marker does not hold one there.
bool ReadEntry(const std::string& marker, std::size_t& pos, const char* name, std::optional<std::string>& content) {
  const std::string start = std::string(name) + ' ';
  if (marker.compare(pos, start.size(), start) != 0) return false;
  const std::size_t end = marker.find('\n', pos);
  if (end == std::string::npos) return false;
  const std::string length = marker.substr(pos + start.size(), end - pos - start.size());
  pos = end + 1;
  if (length == kNoResults) {
    content.reset();
    return true;
  }
  if (length.empty() || length.size() > 8 || length.find_first_not_of("0123456789") != std::string::npos) return false;
  const std::size_t bytes = std::stoul(length);
  if (marker.size() - pos < bytes) return false;
  content = marker.substr(pos, bytes);
  pos += bytes;
  return true;
}

void RemoveOrThrow(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(std::filesystem::u8path(path), error);
  if (error) throw FileSystemError(error.message(), error.value());
}

// Finishes the replacement of the pair that a killed save left behind its marker.
void CompletePendingPair(const std::string& folder) {
  const std::string markerPath = ExchangePath(folder, kExchangeMarkerFile);
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::u8path(markerPath), error)) return;
  const std::string marker = ReadFileBytes(markerPath);
  std::size_t pos = std::string(kMarkerTitle).size();
  std::optional<std::string> spectrum, results;
  // The marker is renamed into place whole, so one that does not read is not ours: it is dropped.
  const bool whole = marker.compare(0, pos, kMarkerTitle) == 0 && ReadEntry(marker, pos, kSpectrumExchangeFile, spectrum) &&
                     spectrum && ReadEntry(marker, pos, kResultFile, results) && pos == marker.size();
  if (whole) {
    std::vector<FileContent> files{{ExchangePath(folder, kSpectrumExchangeFile), *spectrum}};
    if (results) files.push_back({ExchangePath(folder, kResultFile), *results});
    try {
      SaveFilesTogether(files);
    } catch (const SaveFileError& failure) {
      throw FileSystemError(failure.what(), failure.SystemError());
    }
    if (!results) RemoveOrThrow(ExchangePath(folder, kResultFile));
  }
  RemoveOrThrow(markerPath);
}

}  // namespace

std::string ExchangePath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

ExchangeFolderLock::ExchangeFolderLock(const std::string& folder, std::chrono::milliseconds wait)
    : lock_(folder, wait) {
  try {
    CompletePendingPair(folder);
  } catch (const FileSystemError& error) {
    throw FileSystemError("cannot complete the exchange pair that a killed program left (" + std::string(error.what()) +
                              ")",
                          error.SystemError());
  }
  for (const char* name : {kSpectrumExchangeFile, kResultFile, kExchangeMarkerFile}) {
    RemoveAbandonedTemporaries(ExchangePath(folder, name));
  }
}

std::vector<std::string> SaveExchangePair(const std::string& folder, const std::string& spectrumText,
                                          const std::optional<std::string>& resultText,
                                          const std::vector<FileContent>& others, std::chrono::milliseconds wait) {
  const std::string spectrumPath = ExchangePath(folder, kSpectrumExchangeFile);
  const std::string resultPath = ExchangePath(folder, kResultFile);
  const std::string markerPath = ExchangePath(folder, kExchangeMarkerFile);
  std::optional<ExchangeFolderLock> lock;
  try {
    lock.emplace(folder, wait);
  } catch (const FileSystemError& error) {
    throw SaveFileError("Cannot save the exchange files in \"" + (folder.empty() ? std::string(".") : folder) +
                            "\": " + error.what(),
                        error.SystemError());
  }
  std::vector<FileContent> files = others;
  files.push_back({spectrumPath, spectrumText});
  if (resultText) files.push_back({resultPath, *resultText});
  PendingSave pending(files);
  for (std::size_t k = 0; k < others.size(); ++k) pending.Replace(k);

  std::string marker = kMarkerTitle;
  AppendEntry(marker, kSpectrumExchangeFile, spectrumText);
  AppendEntry(marker, kResultFile, resultText);
  SaveFilesTogether({{markerPath, marker}});
  // From here a kill leaves the marker, from which the next holder of the lock finishes the pair.
  const auto dropMarker = [&markerPath] {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::u8path(markerPath), ignored);
  };
  // Should either step fail, the old spectrum stays (without results when there are no new ones).
  try {
    if (!resultText) RemoveOrThrow(resultPath);
  } catch (const FileSystemError& error) {
    dropMarker();
    throw SaveFileError("Cannot remove the earlier \"" + resultPath + "\": " + error.what(), error.SystemError());
  }
  try {
    pending.Replace(others.size());
  } catch (const SaveFileError&) {
    dropMarker();
    throw;
  }
  if (resultText) {
    try {
      pending.Replace(others.size() + 1);
    } catch (const SaveFileError&) {
      // the new spectrum must not stand beside the old results
      std::error_code ignored;
      std::filesystem::remove(std::filesystem::u8path(resultPath), ignored);
      dropMarker();
      throw;
    }
  }
  dropMarker();
  pending.RemoveAbandonedTemporaries();
  if (!resultText) return {spectrumPath};
  return {spectrumPath, resultPath};
}

}  // namespace kestrix
