#pragma once
// The exponential integrals of orders 1 and 2, which the escape of photons from a slab or a half-space
// of isotropic sources reduces to.

namespace kestrix {

/// E1(x), the exponential integral of order 1, the integral from x to infinity of exp(-t) / t dt, for x > 0
double ExponentialIntegralE1(double x);

/// E2(x) = exp(-x) - x E1(x), the exponential integral of order 2: the share of isotropic photons made at
/// optical depth x below a face that leave through it is E2(x) / 2 [1]; 1 at x <= 0, 0 beyond x = 700
double ExponentialIntegralE2(double x);

}  // namespace kestrix
