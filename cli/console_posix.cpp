#include "console.h"

namespace kestrix {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

// POSIX streams never translate line ends.
void UseBinaryStandardStreams() {}

}  // namespace kestrix
