#include "arbitrary_filter_set.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(ArbitraryFilterSet, ClearRemovesEveryFilterSoEachSlotTransmitsAll) {
  ArbitraryFilterSet filters;
  filters.count = 3;
  for (int slot = 1; slot <= 3; ++slot) {
    filters.coefficients[slot].fill(4.0 * slot);
    filters.thickness[slot] = 0.1 * slot;
  }
  filters.Clear();
  EXPECT_EQ(filters.count, 0);
  for (int slot = 1; slot <= 3; ++slot) {
    for (int i = 0; i <= kGridLast; ++i) ASSERT_EQ(filters.coefficients[slot][i], 0.0);
    EXPECT_EQ(filters.thickness[slot], 0.1 * slot);  // kept; the zero coefficients already give factor 1
  }
}

}  // namespace
}  // namespace kestrix
