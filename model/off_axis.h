#pragma once
// A point off the central ray: its direction given by an angle along the anode-cathode axis
// (positive towards the cathode) and one across it. The electrons fall along the target's normal and
// their distribution is symmetric about it, so the emission towards any direction depends only on
// the cosine between that direction and the target's outward normal: the ray leaves the surface at
// the effective angle theta with
//     sin(theta) = cos(across) sin(target angle + along),
// which is the heel effect (towards the anode the ray grazes the surface and the target absorbs
// more). Filters are flat and perpendicular to the central ray, so the ray crosses each over the
// path thickness / cos(psi), cos(psi) = cos(along) cos(across) the cosine to the central ray.

#include <optional>
#include <string>

namespace kestrix {

/// the largest off-axis angle, along or across [degrees]
constexpr double kLargestOffAxisAngle = 60;

struct OffAxisGeometry {
  double cosecTakeOff = 1;  /// 1 / sin(effective angle of the ray to the target surface) [1]
  double pathFactor = 1;    /// path through a flat filter over its thickness, 1 / cos(psi) [1]
};

/// Why a point at these angles [degrees] cannot be computed with this target angle [degrees]
/// ("the point lies behind the target surface ..."), nullopt when it can: each angle finite and at
/// most kLargestOffAxisAngle in size, and the ray in front of the surface (target angle + along above 0).
std::optional<std::string> OffAxisRefusal(double targetAngleDegrees, double alongDegrees, double acrossDegrees);

/// the geometry of the ray; throws std::invalid_argument with OffAxisRefusal's reason
OffAxisGeometry OffAxisGeometryOf(double targetAngleDegrees, double alongDegrees, double acrossDegrees);

}  // namespace kestrix
