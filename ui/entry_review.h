#pragma once
// The main window's six boxes read as the calculation reads them, with every correction the run
// makes named for the status line: full-width digits read as ASCII, a box that holds no number, a
// voltage outside 30..300 kV and the replaced inherent filtration; and the refusals that come before
// any correction (a negative thickness, a target angle that is not a number).

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "calculation_run.h"
#include "entry_texts.h"
#include "model_codes.h"

namespace kestrix {

/// The text with full-width digits, signs, decimal point, exponent letters and blanks (as a Japanese
/// input method types them) and the minus sign U+2212 in their ASCII forms; everything else kept.
QString AsciiNumberText(const QString& text);

/// Whether `text` starts, after blanks and tabs, with a number as the calculation reads one.
bool StartsWithNumber(const QString& text);

/// The main window's input boxes in the order of RunInputTexts.
enum class EntryBox { TubeVoltage, TargetAngle, Beryllium, AluminiumEquivalent, AddedAluminium, AddedCopper };
constexpr std::size_t kEntryBoxCount = 6;
using EntryTexts = std::array<QString, kEntryBoxCount>;

/// the box's name as the main window labels it: "アルミ付加フィルタ"
QString EntryBoxName(EntryBox box);

/// The review of one Graph Draw's boxes.
struct EntryReview {
  /// the box that is refused and why (Japanese); the boxes then stay as typed
  std::optional<EntryBox> refusedBox;
  QString refusal;
  /// what each box shows after the review: the value the calculation uses wherever it corrected one
  EntryTexts shown;
  /// one Japanese sentence per correction, for the status line
  QStringList corrections;
  /// the entries as numbers after the corrections (when not refused)
  RunInputs inputs;
};

/// Reads `typed` for `model`: negative thicknesses are refused first, naming the box, then an angle
/// that is empty or not a number; a thickness that is not a number becomes 0 mm, a voltage that is
/// not one 30 kV; the run's own corrections (CorrectRunEntries) follow.
EntryReview ReviewEntries(const EntryTexts& typed, SpectrumModel model);

/// the texts as RunInputTexts (UTF-8)
RunInputTexts ToRunInputTexts(const EntryTexts& texts);

}  // namespace kestrix
