#pragma once
// Where a data file named on the command line (or in a program's arguments) is found: each file
// on its own, in the working folder first, then in the installation's delivered data.

#include <string>

namespace kestrix {

/// The material file that name stands for. A name with a folder or with the extension .ele or .mix
/// is found as WorkingOrDeliveredFile (data_folder.h) finds it. A bare material name ("Sn", "PMMA", "water") is a file of that
/// name in the working folder, else <name>.ele or <name>.mix there, else the delivered material file
/// whose name matches it in dataFolder (case ignored); else name as given.
std::string FindMaterialFile(const std::string& name, const std::string& dataFolder);

}  // namespace kestrix
