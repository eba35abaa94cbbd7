#pragma once
// The data files Kestrix reads: from the working folder when it holds them, otherwise from the
// installation's delivered data (<prefix>/share/kestrix beside the program's bin folder; in the build
// tree, its share/kestrix). The exchange files always stay in the working folder.

#include <QString>
#include <string>

namespace kestrix {

/// the delivered data's folder of the running program
QString DeliveredDataFolderOfProgram();

/// The file `name` (no folder) of the working folder, or of the delivered data when the working folder
/// lacks it and the delivered data has it; `name` itself otherwise, so that an error names it.
std::string DataFile(const char* name);

/// The folder whose material files (*.ele, *.mix) the filter dialog lists: the working folder when it
/// holds any, otherwise the delivered data when that holds any.
QString MaterialFolder();

}  // namespace kestrix
