#pragma once
// The whole command-line program behind main(), with its streams passed in so tests can run it.

#include <ostream>
#include <string>
#include <vector>

namespace kestrix {

/// exit statuses of kestrix-cli
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  /// a file or calculation error
constexpr int kExitUsage = 2;    /// a bad command line

/// Runs kestrix-cli with the arguments after the program name: results to out, corrections and
/// errors to err. Nothing is printed or left saved when the calculation, the engine's figures or
/// any output file fails; files are saved before the report is printed. Returns the exit status.
/// The attenuation table, and a material file named without a folder, are looked for in the working
/// folder first, then in dataFolder (when not empty).
int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   const std::string& dataFolder = "");

}  // namespace kestrix
