// Transmission targets: the window materials by name, and what counts as a transmission target.

#include "transmission_target.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(TransmissionWindow, EachNameReadsBackAndNoOtherTextNamesAWindow) {
  ASSERT_EQ(TransmissionWindows().size(), 3u);
  for (const TransmissionWindow window : TransmissionWindows())
    EXPECT_EQ(TransmissionWindowFromName(TransmissionWindowName(window)), window);
  EXPECT_EQ(TransmissionWindowFromName("C"), TransmissionWindow::Diamond);
  EXPECT_EQ(TransmissionWindowFromName("Diamond"), TransmissionWindow::Diamond);
  EXPECT_EQ(TransmissionWindowFromName("be"), TransmissionWindow::Beryllium);
  EXPECT_EQ(TransmissionWindowFromName("AL"), TransmissionWindow::Aluminium);
  for (const char* other : {"", "W", "Cu", "beryllium ", " Al", "graphite", "Kapton.mix"})
    EXPECT_FALSE(TransmissionWindowFromName(other)) << other;
}

TEST(TransmissionTarget, OnlyALayerMakesATransmissionTargetAndEveryPartCountsInEquality) {
  const TransmissionTarget reflection;
  EXPECT_FALSE(reflection.IsTransmission());
  TransmissionTarget thin{1.0, TransmissionWindow::Diamond, 0.3};
  EXPECT_TRUE(thin.IsTransmission());
  EXPECT_NE(thin, reflection);
  TransmissionTarget other = thin;
  EXPECT_EQ(other, thin);
  other.window = TransmissionWindow::Beryllium;
  EXPECT_NE(other, thin);
  other = thin;
  other.windowMm = 0.25;
  EXPECT_NE(other, thin);
}

}  // namespace
}  // namespace kestrix
