// Quillon: reads MUs_202202.data and B_SPCTL.temp in the working directory and writes HVL_S2.temp.

#include <exception>
#include <iostream>

#include "quillon_run.h"

int main() {
  try {
    kestrix::RunEngine();
  } catch (const std::exception& error) {
    std::cerr << "Quillon: " << error.what() << std::endl;
    return 1;
  }
  std::cout << "  ***" << std::endl;
  std::cout << "Stop - Program terminated." << std::endl;
  return 0;
}
