#pragma once
// Relative-tolerance comparison shared by every test suite.

#include <cmath>
#include <sstream>

#include <gtest/gtest.h>

namespace kestrix::test {

/// True when |actual - expected| <= relTol * |expected| (or both are exactly zero).
inline ::testing::AssertionResult RelativelyNear(double actual, double expected, double relTol) {
  const double diff = std::fabs(actual - expected);
  if (diff <= relTol * std::fabs(expected) || (actual == 0.0 && expected == 0.0)) {
    return ::testing::AssertionSuccess();
  }
  std::ostringstream out;
  out.precision(17);
  out << actual << " differs from " << expected << " by " << diff / std::fabs(expected)
      << " relative (allowed " << relTol << ")";
  return ::testing::AssertionFailure() << out.str();
}

}  // namespace kestrix::test

#define EXPECT_REL_NEAR(actual, expected, relTol) \
  EXPECT_TRUE(::kestrix::test::RelativelyNear((actual), (expected), (relTol)))
#define ASSERT_REL_NEAR(actual, expected, relTol) \
  ASSERT_TRUE(::kestrix::test::RelativelyNear((actual), (expected), (relTol)))
