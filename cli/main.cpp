// kestrix-cli: the spectrum calculation and the half-value-layer engine on the command line.

#include <iostream>
#include <string>
#include <vector>

#include "cli_program.h"
#include "console.h"
#include "data_folder.h"

int main(int argc, char** argv) {
  kestrix::UseBinaryStandardStreams();
  const std::vector<std::string> arguments = kestrix::CommandLineArguments(argc, argv);
  const std::string dataFolder = kestrix::DeliveredDataFolder(kestrix::ProgramFilePath());
  const int status = kestrix::RunCommandLine(arguments, std::cout, std::cerr, dataFolder);
  std::cout.flush();
  // the run reports a failed output itself; this catches what is left (--help, --version)
  if (!std::cout && status == kestrix::kExitSuccess) {
    std::cerr << "kestrix-cli: the output could not be written\n";
    return kestrix::kExitFailure;
  }
  return status;
}
