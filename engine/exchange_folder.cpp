#include "exchange_folder.h"

#include <cerrno>
#include <filesystem>

#include "exchange_files.h"
#include "file_system.h"

namespace kestrix {

std::string ExchangePath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

std::vector<std::string> SaveExchangePair(const std::string& folder, const std::string& spectrumText,
                                          const std::optional<std::string>& resultText,
                                          const std::vector<FileContent>& others, std::chrono::milliseconds wait) {
  const std::string spectrumPath = ExchangePath(folder, kSpectrumExchangeFile);
  const std::string resultPath = ExchangePath(folder, kResultFile);
  std::optional<FolderLock> lock;
  try {
    lock.emplace(folder, wait);
  } catch (const FileSystemError& error) {
    throw SaveFileError("Cannot save the exchange files in \"" + (folder.empty() ? std::string(".") : folder) +
                            "\": " + error.what(),
                        error.SystemError());
  }
  std::vector<FileContent> files = others;
  files.push_back({spectrumPath, spectrumText});
  if (resultText) {
    files.push_back({resultPath, *resultText});
  } else {
    std::error_code error;
    std::filesystem::remove(std::filesystem::u8path(resultPath), error);
    if (error) {
      throw SaveFileError("Cannot remove the earlier \"" + resultPath + "\": " + error.message(), error.value());
    }
  }
  std::size_t replaced = 0;
  try {
    SaveFilesTogether(files, &replaced);
  } catch (const SaveFileError&) {
    // the new spectrum must not stand beside the old results
    if (resultText && replaced == files.size() - 1) {
      std::error_code ignored;
      std::filesystem::remove(std::filesystem::u8path(resultPath), ignored);
    }
    throw;
  }
  if (!resultText) return {spectrumPath};
  return {spectrumPath, resultPath};
}

}  // namespace kestrix
