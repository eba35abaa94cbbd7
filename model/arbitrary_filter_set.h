#pragma once
// Up to three filters of any material, applied by every calculation.

#include <array>

#include "energy_grid.h"

namespace kestrix {

/// highest arbitrary filter slot; slots are numbered 1..3, index 0 is unused
constexpr int kArbitraryFilterSlots = 3;

struct ArbitraryFilterSet {
  /// slots in use, 0..3
  int count = 0;
  /// linear attenuation coefficient by slot 1..3 and grid index; 0 means no attenuation [1/cm]
  std::array<GridArray, kArbitraryFilterSlots + 1> coefficients{};
  /// thickness by slot 1..3 [cm]
  std::array<double, kArbitraryFilterSlots + 1> thickness{};

  /// Removes every filter: count 0 and zero coefficients in slots 1..3 (thicknesses are kept,
  /// since a zero coefficient already makes a slot's factor exactly 1).
  void Clear();
};

}  // namespace kestrix
