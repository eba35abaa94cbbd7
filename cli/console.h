#pragma once
// The command line and the standard streams as the program sees them on each system.

#include <string>
#include <vector>

namespace kestrix {

/// The program's arguments (without the program name) in UTF-8. On Windows they are taken from
/// the wide-character command line, so that file names outside the ANSI code page survive.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

/// Switches standard output and standard error to binary, so that "\n" is written as it stands
/// and the program's output is byte for byte the same on every system.
void UseBinaryStandardStreams();

}  // namespace kestrix
