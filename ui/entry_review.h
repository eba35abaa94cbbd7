#pragma once
// The main window's boxes read as the calculation reads them, with every correction the run makes
// named for the status line: full-width digits read as ASCII, a box that holds no number, a voltage
// outside the model's range for the target, an off-axis angle beyond the largest the model takes and
// the replaced inherent filtration; and the refusals that come before any correction (a negative
// thickness, a target angle that is not a number, a point behind the target surface).

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "calculation_run.h"
#include "emission_models.h"
#include "entry_texts.h"
#include "model_codes.h"
#include "target_material.h"
#include "transmission_target.h"

namespace kestrix {

/// The text with full-width digits, signs, decimal point, exponent letters and blanks (as a Japanese
/// input method types them) and the minus sign U+2212 in their ASCII forms; everything else kept.
QString AsciiNumberText(const QString& text);

/// Whether `text` starts, after blanks and tabs, with a number as the calculation reads one.
bool StartsWithNumber(const QString& text);

/// The main window's input boxes: the six of RunInputTexts in their order, then the two angles of
/// the point off the central ray.
enum class EntryBox {
  TubeVoltage,
  TargetAngle,
  Beryllium,
  AluminiumEquivalent,
  AddedAluminium,
  AddedCopper,
  OffAxisAlong,   /// along the anode-cathode axis, positive towards the cathode [degrees]
  OffAxisAcross,  /// across that axis [degrees]
  /// the transmission target's layer and window (the button that opens their dialog)
  TransmissionTarget,
};
constexpr std::size_t kEntryBoxCount = 6;
using EntryTexts = std::array<QString, kEntryBoxCount>;

/// The tube's choices beside the six boxes: the target, the characteristic lines and the two
/// off-axis boxes as typed.
struct TubeEntries {
  TargetMaterial target = TargetMaterial::Tungsten;
  bool characteristicLines = true;
  QString offAxisAlong = QStringLiteral("0");   /// [degrees]
  QString offAxisAcross = QStringLiteral("0");  /// [degrees]
  /// a transmission target (its dialog has checked the numbers); layerUm 0: the reflection target
  kestrix::TransmissionTarget transmission;
};

/// the box's name as the main window labels it: "アルミ付加フィルタ"
QString EntryBoxName(EntryBox box);

/// The review of one Graph Draw's boxes.
struct EntryReview {
  /// the box that is refused and why (Japanese); the boxes then stay as typed
  std::optional<EntryBox> refusedBox;
  QString refusal;
  /// what each box shows after the review: the value the calculation uses wherever it corrected one
  EntryTexts shown;
  /// the same for the off-axis boxes (along, across)
  std::array<QString, 2> shownOffAxis;
  /// one Japanese sentence per correction, for the status line
  QStringList corrections;
  /// the entries as numbers after the corrections (when not refused)
  RunInputs inputs;
};

/// Reads `typed` and `tube` for `model`: negative thicknesses are refused first, naming the box, then
/// an angle that is empty or not a number, then a point off the central ray that lies behind the
/// target surface (OffAxisRefusal of off_axis.h, after the correction below); a thickness or off-axis
/// angle that is not a number becomes 0, a voltage that is not one 30 kV, an off-axis angle beyond
/// kLargestOffAxisAngle that angle of its sign; the run's own corrections (CorrectRunEntries, the
/// voltage into DesktopVoltageRange(model, target, transmission)) follow. A transmission target has
/// no target angle (its box is neither read nor refused, and no point lies behind a surface); it is
/// refused last, naming EntryBox::TransmissionTarget, when TransmissionRefusal refuses it at the
/// voltage computed (a window thinner than the electrons' range in it).
EntryReview ReviewEntries(const EntryTexts& typed, SpectrumModel model, const TubeEntries& tube = TubeEntries());

/// Why a point at these angles [degrees] cannot be computed with this target angle [degrees], in the
/// main window's words (an angle beyond kLargestOffAxisAngle, a point behind the target surface);
/// nullopt when it can, or when the target angle itself is unusable (the run refuses that with its
/// own message).
std::optional<QString> OffAxisRefusalText(double targetAngleDegrees, double alongDegrees, double acrossDegrees);

/// Why this transmission target cannot be computed at kVp [kV] (TransmissionRefusal of
/// transmission_emission.h) in the main window's words: a window thinner than the electrons' range in
/// it names both thicknesses; nullopt when it can, and for the reflection target.
std::optional<QString> TransmissionRefusalText(SpectrumModel model, TargetMaterial target,
                                               const TransmissionTarget& transmission, double kVp);

/// The tube voltages the desktop computes for this model, target and transmission target [kV]:
/// ModelVoltageRange, its top held to kExchangeVoltageLimit because Quillon's files and the graph
/// hold 0.5 to 300 keV.
VoltageRange DesktopVoltageRange(SpectrumModel model, TargetMaterial target,
                                 const TransmissionTarget& transmission = TransmissionTarget());

/// the target's name for a note: "Mo ターゲット"
QString TargetName(TargetMaterial target);

/// the texts as RunInputTexts (UTF-8)
RunInputTexts ToRunInputTexts(const EntryTexts& texts);

}  // namespace kestrix
