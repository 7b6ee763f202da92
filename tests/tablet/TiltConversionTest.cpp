// SPDX-License-Identifier: MIT
#include "tablet/TiltConversion.h"

#include <gtest/gtest.h>

namespace {

TEST(TiltConversion, CardinalDirectionsDiagonalsAndUpright) {
  struct Case {
    const char* name;
    double tiltX, tiltY;  // degrees
    PenOrientation expected;
  };
  const Case cases[] = {{"upright", 0, 0, {0, 900}},
                        {"towards the top", 0, -30, {0, 600}},
                        {"right", 30, 0, {900, 600}},
                        {"towards the user", 0, 30, {1800, 600}},
                        {"left", -30, 0, {2700, 600}},
                        {"right and towards the top, 45 degrees each", 45, -45, {450, 353}},
                        {"left and towards the user", -45, 45, {2250, 353}},
                        {"past flat is held just short of it", 120, 0, {900, 10}},
                        {"a hair left of the top wraps to the end of the turn", -0.1, -30, {3598, 600}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TiltDegreesToOrientation(c.tiltX, c.tiltY), c.expected);
  }
}

}  // namespace
