#include "off_axis.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

namespace kestrix {
namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

std::string Degrees(double value) {
  std::ostringstream out;
  out.precision(10);
  out << value << " degrees";
  return out.str();
}

}  // namespace

std::optional<std::string> OffAxisRefusal(double targetAngleDegrees, double alongDegrees, double acrossDegrees) {
  for (const auto& [name, value] : {std::pair<const char*, double>{"along", alongDegrees}, {"across", acrossDegrees}}) {
    if (!std::isfinite(value) || std::fabs(value) > kLargestOffAxisAngle) {
      return std::string("the angle ") + name + " the axis must lie between -60 and 60 degrees, not " + Degrees(value);
    }
  }
  const double sine = std::cos(acrossDegrees * kRadiansPerDegree) *
                      std::sin((targetAngleDegrees + alongDegrees) * kRadiansPerDegree);
  if (!(sine > 1e-6) || !std::isfinite(1.0 / sine)) {
    return "the point lies behind the target surface: " + Degrees(alongDegrees) + " along the axis with a " +
           Degrees(targetAngleDegrees) + " target angle (along must be above minus the target angle)";
  }
  return std::nullopt;
}

OffAxisGeometry OffAxisGeometryOf(double targetAngleDegrees, double alongDegrees, double acrossDegrees) {
  if (const std::optional<std::string> refusal = OffAxisRefusal(targetAngleDegrees, alongDegrees, acrossDegrees)) {
    throw std::invalid_argument(*refusal);
  }
  const double cosAcross = std::cos(acrossDegrees * kRadiansPerDegree);
  OffAxisGeometry geometry;
  geometry.cosecTakeOff = 1.0 / (cosAcross * std::sin((targetAngleDegrees + alongDegrees) * kRadiansPerDegree));
  geometry.pathFactor = 1.0 / (cosAcross * std::cos(alongDegrees * kRadiansPerDegree));
  return geometry;
}

}  // namespace kestrix
