#include "monitor/geo.h"

#include <gtest/gtest.h>

namespace {

struct Way {
  double lat1, lon1, lat2, lon2, distance, bearing;
};

}  // namespace

TEST(BearingAndDistance, MatchesTheWorkedExamples) {
  const Way ways[] = {
      {0, 0, 0, 0, 0, 0},          {0, 0, 10, 0, 691, 0},
      {10, 0, 0, 0, 691, 180},     {0, 0, 0, 90, 6219, 90},
      {0, 0, 0, -90, 6219, 270},   {40, -105, 51.5, -0.12, 4673, 41},
      {47.6, -122.3, 35.7, 139.7, 4783, 301},
      {0, 0, 10, -0.05, 691, 360},  // 359.72 is folded before rounding, so 360, not 0
  };
  for (const Way& way : ways) {
    double distance = -1, bearing = -1;
    BearingAndDistance(way.lat1, way.lon1, way.lat2, way.lon2, distance, bearing);
    EXPECT_EQ(distance, way.distance) << way.lat1 << "," << way.lon1 << " to " << way.lat2 << "," << way.lon2;
    EXPECT_EQ(bearing, way.bearing) << way.lat1 << "," << way.lon1 << " to " << way.lat2 << "," << way.lon2;
  }
}

TEST(ArcTangent2, CoversEveryQuadrantAndAxis) {
  const double pi = 3.14159265358979;
  EXPECT_EQ(ArcTangent2(0, 0), 0);
  EXPECT_EQ(ArcTangent2(0, 1), pi / 2);
  EXPECT_EQ(ArcTangent2(0, -1), -pi / 2);
  EXPECT_EQ(ArcTangent2(1, 0), 0);
  EXPECT_EQ(ArcTangent2(-1, 0), pi);
  EXPECT_NEAR(ArcTangent2(1, 1), pi / 4, 1e-12);
  EXPECT_NEAR(ArcTangent2(-1, 1), 3 * pi / 4, 1e-12);
  EXPECT_NEAR(ArcTangent2(-1, -1), -3 * pi / 4, 1e-12);
}

TEST(BearingAndDistance, AntipodesGiveHalfTheCircumference) {
  double distance = 0, bearing = 0;
  BearingAndDistance(0, 0, 0, 180, distance, bearing);
  EXPECT_EQ(distance, 12438);
  BearingAndDistance(45, 10, -45, -170, distance, bearing);
  EXPECT_EQ(distance, 12438);
}

TEST(GridCentre, GivesTheSquaresCentre) {
  double latitude = 0, longitude = 0;
  ASSERT_TRUE(GridCentre("FN31", latitude, longitude));
  EXPECT_DOUBLE_EQ(latitude, 41.5);
  EXPECT_DOUBLE_EQ(longitude, -73);
  ASSERT_TRUE(GridCentre("FN31pr", latitude, longitude));
  EXPECT_NEAR(latitude, 41.729, 0.001);
  EXPECT_NEAR(longitude, -72.708, 0.001);
  ASSERT_TRUE(GridCentre("QF56", latitude, longitude));
  EXPECT_DOUBLE_EQ(latitude, -33.5);
  EXPECT_DOUBLE_EQ(longitude, 151);
  for (const char* bad : {"", "FN3", "SN31", "FNA1", "FN31zz", "RR73x"}) EXPECT_FALSE(GridCentre(bad, latitude, longitude)) << bad;
}
