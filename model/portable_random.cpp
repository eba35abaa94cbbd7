#include "portable_random.h"

#include <cmath>

namespace kestrix {
namespace {

std::uint64_t Rotated(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

std::uint64_t SplitMix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

}  // namespace

PortableRandom::PortableRandom(std::uint64_t seed) {
  for (std::uint64_t& word : state_) word = SplitMix(seed);
}

std::uint64_t PortableRandom::Next() {
  const std::uint64_t result = Rotated(state_[1] * 5, 7) * 9;
  const std::uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = Rotated(state_[3], 45);
  return result;
}

double PortableRandom::Uniform() {
  // 53 random bits, shifted by half a step off 0 and 1
  return (static_cast<double>(Next() >> 11) + 0.5) * (1.0 / 9007199254740992.0);
}

double PortableRandom::Normal() { return NormalQuantile(Uniform()); }

double PortableLog(double x) {
  int exponent = 0;
  double m = std::frexp(x, &exponent);  // exact: x = m 2^exponent, 0.5 <= m < 1
  if (m < 0.70710678118654752) {
    m *= 2;
    --exponent;
  }
  const double s = (m - 1) / (m + 1);  // |s| < 0.172
  const double s2 = s * s;
  double term = s;
  double sum = 0;
  for (int k = 0; k < 30; ++k) {
    sum += term / (2 * k + 1);
    term *= s2;
  }
  return exponent * 0.69314718055994531 + 2 * sum;
}

double NormalQuantile(double p) {
  static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02, -2.759285104469687e+02,
                                 1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
  static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                                 6.680131188771972e+01,  -1.328068155288572e+01};
  static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                                 -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
  static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                                 3.754408661907416e+00};
  constexpr double low = 0.02425;
  const auto tail = [&](double q) {
    return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
           ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
  };
  if (p < low) return tail(std::sqrt(-2 * PortableLog(p)));
  if (p > 1 - low) return -tail(std::sqrt(-2 * PortableLog(1 - p)));
  const double q = p - 0.5;
  const double r = q * q;
  return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
         (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
}

}  // namespace kestrix
