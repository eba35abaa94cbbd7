#pragma once
// A photon spectrum written as the source of a Monte Carlo code: EGSnrc, Geant4 (General Particle
// Source), GATE, MCNP, PENELOPE, TOPAS and PHITS, each in its own layout, bin convention and energy
// unit. The spectrum's 0.5 keV bins (centred on 0.5 i keV) become histogram bins of the same edges;
// the characteristic lines are taken out of their bins and written as discrete lines where the format
// has them beside a histogram (MCNP, TOPAS), else as bins 10 eV wide at the line's energy.

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch_run.h"
#include "exchange_files.h"
#include "model_codes.h"
#include "table_comment_lines.h"

namespace kestrix {

enum class SourceFormat { Egsnrc, Geant4, Gate, Mcnp, Penelope, Topas, Phits };

/// every format, in the order the front ends list them
const std::vector<SourceFormat>& SourceFormats();
/// "egsnrc", "geant4", "gate", "mcnp", "penelope", "topas", "phits"
const char* SourceFormatKeyword(SourceFormat format);
/// the format a word names, without regard to case; nullopt for any other word
std::optional<SourceFormat> SourceFormatOfKeyword(const std::string& word);
/// "egsnrc | geant4 | gate | mcnp | penelope | topas | phits", for a message
std::string SourceFormatKeywordList();

/// half the width of the bin that stands for a line in a format without discrete lines [keV]
constexpr double kLineBinHalfWidthKeV = 0.005;

/// A characteristic line taken out of its bin.
struct SourceLine {
  double energyKeV = 0;  /// the centre of its bin, the energy at which the spectrum holds it [keV]
  double photons = 0;    /// in the unit of the bins' photons [relative]
};

/// A photon spectrum as a source: the continuum by bin and the lines.
struct SourceSpectrum {
  /// photons in bin i (from 0.5 i - 0.25 to 0.5 i + 0.25 keV), the lines taken out, i = 1..600 [relative]
  ExchangeSpectrum continuum{};
  std::vector<SourceLine> lines;  /// by rising energy
};

/// A spectrum that cannot be a source: negative, not finite, or empty.
class SourceSpectrumError : public std::invalid_argument {
  using invalid_argument::invalid_argument;
};

/// Grid indices of the tungsten target's lines for the model at tube voltage kVp [kV]: the four K
/// lines of Tucker's and Birch's formulas above 70 kV; the K and L lines of the physics model whose
/// shell's edge lies below kVp. By rising index, each once.
std::vector<int> TungstenLineBins(SpectrumModel model, double kVp);

/// photonsPerBin (photons in bin i, i = 1..600, any positive scale) with the lines of lineBins taken
/// out: the continuum under a line bin is the straight line between the nearest bins on either side
/// that hold no line, and what the bin holds above it is the line (none when it holds no more). A
/// line bin at the spectrum's top end, or one without a filled bin above it, keeps all its photons
/// as continuum. Throws SourceSpectrumError for a negative or non-finite value or a spectrum
/// without photons.
SourceSpectrum SeparateLines(const ExchangeSpectrum& photonsPerBin, const std::vector<int>& lineBins);

/// The source of a run: its full-precision photon spectrum with the target's lines of the model
/// taken out.
SourceSpectrum SourceOf(const RunOutcome& outcome, SpectrumModel model);

/// One line naming the beam of description for a source file's title: "tucker model, 100 kV, target
/// angle 20 degrees, constant waveform; 3 mm Be, 5 mm Al eq., added 0 mm Al, 0 mm Cu; Sn 0.1 mm".
std::string SourceTitle(const SpectrumDescription& description);

/// Writes source in format, normalised to one photon in all: its comment lines name title (one
/// line naming the beam) and the format's convention.
void WriteSource(std::ostream& out, SourceFormat format, const SourceSpectrum& source, const std::string& title);

}  // namespace kestrix
