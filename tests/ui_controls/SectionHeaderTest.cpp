// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <tuple>

#include "ui/controls/CSectionHeader.h"

namespace {

TEST(SectionHeader, SetAlignmentRefusesContradictions) {
  const std::pair<int, bool> cases[] = {{0x05, true},  {0x06, false}, {0x03, true},  {0x0C, false},
                                        {0x30, false}, {0x11, false}, {0x21, false}, {0x0A, false},
                                        {0x18, true},  {0x24, true},  {0x12, true},  {0x00, true}};
  for (auto [flags, accepted] : cases) {
    SCOPED_TRACE(flags);
    CSectionHeader header;
    ASSERT_EQ(header.SetAlignment(0x28), 0x03);  // the initial flags come back
    EXPECT_EQ(header.SetAlignment(flags), accepted ? 0x28 : -1);
    EXPECT_EQ(header.Alignment(), accepted ? flags : 0x28);
  }
}

TEST(SectionHeader, CaptionPositionFollowsTheFlags) {
  const std::tuple<int, QSize, QPoint> cases[] = {
      {0x03, {40, 10}, {30, 5}}, {0x03, {41, 11}, {29, 4}},  // halves round toward zero
      {0x05, {40, 10}, {30, 0}}, {0x12, {40, 10}, {0, 5}},    {0x28, {40, 10}, {60, 10}},
      {0x00, {40, 10}, {0, 0}},  {0x03, {120, 10}, {-10, 5}},  // wider than the header: both ends cut
  };
  for (auto [flags, caption, expected] : cases) {
    SCOPED_TRACE(flags);
    CSectionHeader h;
    ASSERT_NE(h.SetAlignment(flags), -1);
    EXPECT_EQ(h.CaptionPosition(QSize(100, 20), caption), expected);
  }
}

}  // namespace
