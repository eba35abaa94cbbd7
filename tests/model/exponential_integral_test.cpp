#include "exponential_integral.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

// reference values of Abramowitz & Stegun, table 5.1
TEST(ExponentialIntegral, OrdersOneAndTwoHaveTheirTabulatedValues) {
  EXPECT_NEAR(ExponentialIntegralE1(0.1), 1.822923958, 1e-9);
  EXPECT_NEAR(ExponentialIntegralE1(1), 0.219383934, 1e-9);
  EXPECT_NEAR(ExponentialIntegralE1(5), 0.001148296, 1e-9);
  EXPECT_EQ(ExponentialIntegralE2(0), 1);
  EXPECT_NEAR(ExponentialIntegralE2(0.1), 0.722545022194, 1e-11);
  EXPECT_NEAR(ExponentialIntegralE2(1), 0.148495506776, 1e-11);
  EXPECT_NEAR(ExponentialIntegralE2(5), 0.000996469043, 1e-12);
  EXPECT_EQ(ExponentialIntegralE2(800), 0);
}

}  // namespace
}  // namespace kestrix
