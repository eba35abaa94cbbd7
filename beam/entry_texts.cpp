#include "entry_texts.h"

#include "input_number.h"

namespace kestrix {

RunEntries ParseRunEntries(const RunInputTexts& texts) {
  RunEntries entries;
  entries.tubeVoltageKV = ParseLeadingNumber(texts.tubeVoltage);
  entries.targetAngleDegrees = ParseLeadingNumber(texts.targetAngle);
  entries.berylliumMm = ParseLeadingNumber(texts.beryllium);
  entries.aluminiumEquivalentMm = ParseLeadingNumber(texts.aluminiumEquivalent);
  entries.addedAluminiumMm = ParseLeadingNumber(texts.addedAluminium);
  entries.addedCopperMm = ParseLeadingNumber(texts.addedCopper);
  return entries;
}

RunInputs ReadRunInputs(const RunInputTexts& texts, SpectrumModel model) {
  return CorrectRunEntries(ParseRunEntries(texts), model);
}

}  // namespace kestrix
