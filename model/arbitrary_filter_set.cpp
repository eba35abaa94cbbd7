#include "arbitrary_filter_set.h"

namespace kestrix {

void ArbitraryFilterSet::Clear() {
  count = 0;
  for (int slot = 1; slot <= kArbitraryFilterSlots; ++slot) coefficients[slot].fill(0.0);
}

}  // namespace kestrix
