#pragma once
// The delivered data of an installation: <prefix>/share/kestrix beside <prefix>/bin, where both an
// installation and the build tree keep the attenuation table, the material files and the table of
// radiation qualities. A program takes a data file from the working folder when it is there and from
// the delivered data otherwise; the exchange files always stay in the working folder.

#include <string>

namespace kestrix {

/// The full path (UTF-8) of the running program's file; empty when the system does not tell it.
std::string ProgramFilePath();

/// The folder of the delivered data for the program file programPath (UTF-8); empty for an empty path.
std::string DeliveredDataFolder(const std::string& programPath);

/// `path` (UTF-8) itself when it names a folder, exists, or dataFolder is empty; otherwise the file of
/// that name in dataFolder when there is one there, else `path` (so that an error names what was asked).
std::string WorkingOrDeliveredFile(const std::string& path, const std::string& dataFolder);

}  // namespace kestrix
