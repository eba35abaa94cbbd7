#include "quillon_run.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <sstream>

#include "atomic_file.h"
#include "data_folder.h"
#include "engine_table.h"
#include "exchange_folder.h"
#include "file_system.h"
#include "half_value_layer.h"

namespace kestrix {
namespace {

std::istringstream OpenInput(const std::string& path) {
  try {
    return std::istringstream(ReadFileBytes(path), std::ios::binary);
  } catch (const FileSystemError& error) {
    throw EngineInputError("cannot open " + path + " (" + error.reason() + ")");
  }
}

}  // namespace

EngineResults RunEngine(const std::string& folder, const std::string& dataFolder) {
  // The spectrum read and the results written belong together: no other program replaces the
  // exchange files of the folder meanwhile.
  // Taking it also completes a pair that a killed save left half replaced.
  std::optional<ExchangeFolderLock> lock;
  try {
    lock.emplace(folder, kExchangeLockWait);
  } catch (const FileSystemError& error) {
    throw EngineInputError("cannot lock the folder of the exchange files (" + error.reason() + ")");
  }
  EngineTable table;
  {
    const std::string inFolder = ExchangePath(folder, kEngineTableFile);
    std::error_code error;
    const std::string path = !dataFolder.empty() && !std::filesystem::exists(std::filesystem::u8path(inFolder), error)
                                 ? WorkingOrDeliveredFile(kEngineTableFile, dataFolder)
                                 : inFolder;
    std::istringstream in = OpenInput(path);
    table = ReadEngineTable(in, path);
  }
  ExchangeSpectrum spectrum;
  {
    const std::string path = ExchangePath(folder, kSpectrumExchangeFile);
    std::istringstream in = OpenInput(path);
    spectrum = ReadSpectrumExchangeRecords(in, path);
  }
  const EngineResults results = ComputeBeamQuality(table, ToEngineSpectrum(spectrum));
  SaveFileAtomically(ExchangePath(folder, kResultFile), [&](std::ostream& out) { WriteResultFile(out, results); });
  return results;
}

}  // namespace kestrix
