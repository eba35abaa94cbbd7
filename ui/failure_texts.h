#pragma once
// Japanese wording of the failures that the model and engine code, shared with the console
// programs, reports in English: the reason as a sentence, worded from the error's kind and
// fields, never from its English text.

#include <QString>
#include <exception>

namespace kestrix {

class RunError;

/// why a calculation run was refused (angle, everything absorbed, not finite, ...)
QString RunRefusalText(const RunError& error);
/// why a file could not be read (table, material, exchange or result file, or a table that
/// cannot be normalised), given any exception its reader throws
QString ReadFailureText(const std::exception& error);
/// why a save failed, from the system's error number (errno) carried by a save error
QString SaveFailureText(const std::exception& error);
/// the system's reason for error number `errorNumber` (errno)
QString SystemErrorText(int errorNumber);

/// the line of its file that a table, material or exchange file error names, 0 when none
int FailureLine(const std::exception& error);

/// the detail line naming a file and, when known (> 0), a line of it: "Al.ele  3 行目"
QString FilePlace(const QString& fileName, int line = 0);

}  // namespace kestrix
