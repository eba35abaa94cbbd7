#pragma once
// The exchange files of one folder replaced as a pair, under the folder's lock, so that two
// programs saving into one folder never leave the spectrum of one beside the results of the other.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "atomic_file.h"

namespace kestrix {

/// How long a save waits while another program replaces the exchange files of the same folder.
constexpr std::chrono::milliseconds kExchangeLockWait{10000};

/// path of name in folder ("" = the working folder)
std::string ExchangePath(const std::string& folder, const std::string& name);

/// Saves B_SPCTL.temp (spectrumText) and HVL_S2.temp (resultText) in folder as one, together with
/// others (files saved beside the pair by the same run), while holding the folder's FolderLock:
/// everything is written to temporary files first and renamed only when all are written (others
/// first, then the spectrum, then the results), so a failed write leaves every old file as it was.
/// Without resultText the old HVL_S2.temp is removed first, since it belongs to another spectrum.
/// Should the results' rename fail after the spectrum's, HVL_S2.temp is removed. Replaced files keep
/// their permission bits. Returns the paths of the pair that were saved. Throws SaveFileError naming
/// the file and the reason, also when another program holds the lock for longer than wait.
std::vector<std::string> SaveExchangePair(const std::string& folder, const std::string& spectrumText,
                                          const std::optional<std::string>& resultText,
                                          const std::vector<FileContent>& others = {},
                                          std::chrono::milliseconds wait = kExchangeLockWait);

}  // namespace kestrix
