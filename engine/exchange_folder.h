#pragma once
// The exchange files of one folder replaced as a pair, under the folder's lock, so that two
// programs saving into one folder never leave the spectrum of one beside the results of the other.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "atomic_file.h"
#include "file_system.h"

namespace kestrix {

/// How long a save waits while another program replaces the exchange files of the same folder.
constexpr std::chrono::milliseconds kExchangeLockWait{10000};

/// path of name in folder ("" = the working folder)
std::string ExchangePath(const std::string& folder, const std::string& name);

/// The marker a save of the pair leaves while it renames the two files: it holds both new contents
/// (written in full before either file is replaced), so that a program killed between the two
/// renames leaves a pair that the next holder of the folder's lock completes.
inline constexpr const char* kExchangeMarkerFile = "exchange-pair.pending";

/// The folder's FolderLock as every program that replaces or reads the exchange pair takes it.
/// Once held, a replacement of the pair that a killed program left half done is completed from
/// the marker (so the folder holds the new pair, never one file of each), and the temporary files
/// of the pair and the marker that killed saves left are removed. Throws FileSystemError(reason)
/// when the folder cannot be locked within wait or the pair cannot be completed.
class ExchangeFolderLock {
 public:
  ExchangeFolderLock(const std::string& folder, std::chrono::milliseconds wait);

 private:
  FolderLock lock_;
};

/// Saves B_SPCTL.temp (spectrumText) and HVL_S2.temp (resultText) in folder as one, together with
/// others (files saved beside the pair by the same run), while holding the folder's
/// ExchangeFolderLock: everything is written to temporary files first and renamed only when all are
/// written (others first, then the marker, the spectrum, the results; the marker is removed last),
/// so a failed write leaves every old file as it was and a kill leaves the old or the new pair.
/// Without resultText the old HVL_S2.temp is removed with the spectrum's replacement, since it
/// belongs to another spectrum. Should the results' rename fail after the spectrum's, HVL_S2.temp
/// is removed. Replaced files keep their permission bits. Returns the paths of the pair that were
/// saved. Throws SaveFileError naming the file and the reason, also when another program holds the
/// lock for longer than wait.
std::vector<std::string> SaveExchangePair(const std::string& folder, const std::string& spectrumText,
                                          const std::optional<std::string>& resultText,
                                          const std::vector<FileContent>& others = {},
                                          std::chrono::milliseconds wait = kExchangeLockWait);

}  // namespace kestrix
