// Quillon: reads MUs_202202.data and B_SPCTL.temp in the working directory and writes HVL_S2.temp;
// without a table in the working directory it reads the installation's delivered one.
// "Quillon --version" prints the version instead; any other argument is refused untouched.

#include <cstring>
#include <exception>
#include <iostream>

#include "data_folder.h"
#include "kestrix_version.h"
#include "message_text.h"
#include "quillon_run.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::cout << "Quillon " << kestrix::kKestrixVersion << std::endl;
      return 0;
    }
    std::cerr << "Quillon: it takes no arguments (only --version); it reads MUs_202202.data and B_SPCTL.temp "
                 "in the working folder and writes HVL_S2.temp there"
              << std::endl;
    return 2;
  }
  try {
    kestrix::RunEngine("", kestrix::DeliveredDataFolder(kestrix::ProgramFilePath()));
  } catch (const std::exception& error) {
    // the message may quote bytes of the input files
    std::cerr << "Quillon: " << kestrix::EscapedText(error.what()) << std::endl;
    return 1;
  }
  std::cout << "  ***" << std::endl;
  std::cout << "Stop - Program terminated." << std::endl;
  return 0;
}
