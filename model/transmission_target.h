#pragma once
// A transmission target: a thin layer of tungsten deposited on the inside of the tube's exit window
// (micro- and nano-focus tubes). The electrons fall along the layer's normal, and the beam leaves
// through the layer's back and the window, in the electrons' direction. A layer thickness of zero
// is the thick reflection target at the target angle.

#include <optional>
#include <string>
#include <vector>

namespace kestrix {

/// the window material a transmission target's layer is deposited on
enum class TransmissionWindow { Diamond, Beryllium, Aluminium };

/// every window material, diamond first
const std::vector<TransmissionWindow>& TransmissionWindows();

/// the name a front end shows and reads: "diamond", "Be", "Al"
const char* TransmissionWindowName(TransmissionWindow window);

/// the window named by TransmissionWindowName's text, or by its element symbol in any case ("C",
/// "diamond", "be", "AL"); nullopt for any other text
std::optional<TransmissionWindow> TransmissionWindowFromName(const std::string& name);

/// the tube's target as a transmission target; layerUm 0: the thick reflection target
struct TransmissionTarget {
  double layerUm = 0;                                      /// thickness of the target layer [um]
  TransmissionWindow window = TransmissionWindow::Diamond;  /// material of the window under the layer
  double windowMm = 0;                                     /// thickness of that window [mm]

  bool IsTransmission() const { return layerUm > 0; }
  bool operator==(const TransmissionTarget& other) const {
    return layerUm == other.layerUm && window == other.window && windowMm == other.windowMm;
  }
  bool operator!=(const TransmissionTarget& other) const { return !(*this == other); }
};

}  // namespace kestrix
