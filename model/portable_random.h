#pragma once
// Pseudo-random numbers that are the same on every system and standard library: xoshiro256** seeded
// by splitmix64, and normal deviates by the inverse of the normal distribution with a logarithm of
// IEEE arithmetic alone (std::normal_distribution and std::log differ between libraries).

#include <array>
#include <cstdint>

namespace kestrix {

class PortableRandom {
 public:
  explicit PortableRandom(std::uint64_t seed);
  /// the next 64 random bits
  std::uint64_t Next();
  /// uniform in (0, 1), never 0 or 1
  double Uniform();
  /// standard normal (mean 0, standard deviation 1), to a relative 1.2e-9 of the exact quantile
  double Normal();

 private:
  std::array<std::uint64_t, 4> state_{};
};

/// the natural logarithm of x > 0 by its exponent and an atanh series: the same bits on every system
double PortableLog(double x);

/// the quantile of the standard normal distribution at p in (0, 1) (Acklam's rational approximation)
double NormalQuantile(double p);

}  // namespace kestrix
