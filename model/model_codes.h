#pragma once
// The small integer codes that select the spectrum model, the tube waveform and the displayed quantity.

namespace kestrix {

/// spectrum model chosen on the start screen (any value other than Tucker runs Birch)
enum class SpectrumModel { Birch = 1, Tucker = 2, Physics = 3 };

/// tube voltage waveform
enum class RectificationType {
  ConstantPotential = 1,  // "定電圧"
  ThreePhase12Peak = 2,   // "三相12ピーク"
  SinglePhaseFullWave = 3 // "単相全波"
};

/// what the displayed spectrum holds per 0.5 keV bin
enum class DisplayQuantity {
  PhotonNumber = 1,  // relative photon number
  Exposure = 2,      // photon number x energy x air energy-absorption coefficient
  Energy = 3         // photon number x energy
};

}  // namespace kestrix
