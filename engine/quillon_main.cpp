// Quillon: reads MUs_202202.data and B_SPCTL.temp in the working directory and writes HVL_S2.temp.

#include <exception>
#include <iostream>

#include "message_text.h"
#include "quillon_run.h"

int main() {
  try {
    kestrix::RunEngine();
  } catch (const std::exception& error) {
    // the message may quote bytes of the input files
    std::cerr << "Quillon: " << kestrix::EscapedText(error.what()) << std::endl;
    return 1;
  }
  std::cout << "  ***" << std::endl;
  std::cout << "Stop - Program terminated." << std::endl;
  return 0;
}
