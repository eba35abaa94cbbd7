#include "exponential_integral.h"

#include <cmath>

namespace kestrix {

// its power series below 1, the continued fraction (evaluated by Lentz's method) above (Abramowitz &
// Stegun 5.1.11, 5.1.22)
double ExponentialIntegralE1(double x) {
  constexpr double kEulerGamma = 0.5772156649015329;
  if (x <= 1.0) {
    double sum = 0, term = 1;
    for (int k = 1; k < 60; ++k) {
      term *= -x / k;  // (-x)^k / k!
      sum -= term / k;
      if (std::fabs(term) < 1e-17) break;
    }
    return -kEulerGamma - std::log(x) + sum;
  }
  double b = x + 1.0, c = 1e300, d = 1.0 / b, h = d;
  for (int i = 1; i < 200; ++i) {
    const double a = -static_cast<double>(i) * i;
    b += 2.0;
    d = 1.0 / (a * d + b);
    c = b + a / c;
    const double step = c * d;
    h *= step;
    if (std::fabs(step - 1.0) < 1e-15) break;
  }
  return h * std::exp(-x);
}

double ExponentialIntegralE2(double x) {
  if (!(x > 0)) return 1;
  if (x > 700) return 0;
  return std::exp(-x) - x * ExponentialIntegralE1(x);
}

}  // namespace kestrix
