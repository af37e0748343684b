// Great-circle distance (statute miles) and initial bearing (degrees) between two positions.
#pragma once

#include <string>

// Point 1 is the operator, point 2 the station; results are whole numbers, halves to even.
void BearingAndDistance(const double& latitude1, const double& longitude1, const double& latitude2,
                        const double& longitude2, double& distance, double& bearing);
// Angle of the point (x, y) in radians, -pi to pi. Note the order: x first.
double ArcTangent2(const double& x, const double& y);
// The centre of a Maidenhead grid square, "FN31" or "FN31pr" (either case); false when the
// text is no grid square.
bool GridCentre(const std::string& grid, double& latitude, double& longitude);
