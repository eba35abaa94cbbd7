#pragma once
// One run of the half-value-layer engine on the files of a folder.

#include <string>

#include "exchange_files.h"

namespace kestrix {

/// Reads MUs_202202.data and B_SPCTL.temp from folder ("" = the working directory; the table from
/// dataFolder, the delivered data, when the folder has none and dataFolder is not empty), computes the
/// beam quality and saves HVL_S2.temp there through a temporary file, all while holding the
/// folder's FolderLock (waiting up to kExchangeLockWait for another program's save). Throws (EngineInputError,
/// ExchangeFileError, std::runtime_error) with a message naming file and line before the result file
/// is touched.
EngineResults RunEngine(const std::string& folder = "", const std::string& dataFolder = "");

}  // namespace kestrix
