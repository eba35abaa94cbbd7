#pragma once
// The entries as a person types them into the main window's boxes, read into numbers. This is the
// one place where typed text becomes a run's entries, for the desktop program and kestrix-cli alike.

#include <string>

#include "calculation_run.h"
#include "model_codes.h"

namespace kestrix {

/// the entries of the main window as typed (Text1, Text5, Text2, Text13, Text3, Text4)
struct RunInputTexts {
  std::string tubeVoltage;          /// Text1 [kV]
  std::string targetAngle;          /// Text5 [degrees]
  std::string beryllium;            /// Text2, inherent window [mm Be]
  std::string aluminiumEquivalent;  /// Text13, inherent aluminium equivalent [mm Al]
  std::string addedAluminium;       /// Text3 [mm Al]
  std::string addedCopper;          /// Text4 [mm Cu]
};

/// The number each box starts with (leading blanks skipped, whatever follows ignored, 0 when the
/// box does not start with a number; a magnitude beyond a double is an infinity of its sign).
RunEntries ParseRunEntries(const RunInputTexts& texts);

/// The typed entries with the run's corrections: CorrectRunEntries(ParseRunEntries(texts), model).
RunInputs ReadRunInputs(const RunInputTexts& texts, SpectrumModel model);

}  // namespace kestrix
