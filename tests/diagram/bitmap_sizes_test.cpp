// The arithmetic of diagram bitmaps: margin, scale and the sizes tried
// after the host refused a bitmap as too large.
#include <gtest/gtest.h>

#include <vector>

#include "diagram/bitmap_sizes.h"

namespace qxvb::diagram {
namespace {

TEST(BitmapSizes, MarginWidensTheExtentButNotBelowZero) {
  const Extent e = widened({30, 120, 780, 400});
  EXPECT_EQ(e.left, 0);
  EXPECT_EQ(e.top, 70);
  EXPECT_EQ(e.right, 830);
  EXPECT_EQ(e.bottom, 450);
}

TEST(BitmapSizes, WidthsWithinTheLimitKeepScaleOneAndWiderOnesShrinkToIt) {
  EXPECT_DOUBLE_EQ(scaleFor(800, 1024), 1.0);
  EXPECT_DOUBLE_EQ(scaleFor(1024, 1024), 1.0);
  EXPECT_DOUBLE_EQ(scaleFor(2048, 1024), 0.5);
  const PixelSize wide = scaled({0, 0, 2048, 1000}, scaleFor(2048, 1024));
  EXPECT_EQ(wide.width, 1024);
  EXPECT_EQ(wide.height, 500);
  // Halves round to even, as the run time's conversions do.
  EXPECT_EQ(scaled({0, 0, 5, 7}, 0.5).width, 2);
  EXPECT_EQ(scaled({0, 0, 5, 7}, 0.5).height, 4);
}

TEST(BitmapSizes, AreaLimitKeepsTheProportion) {
  const PixelSize square = withinAreaLimit({3000, 3000});
  EXPECT_EQ(square.width, 2047);
  EXPECT_EQ(square.height, 2047);
  const PixelSize wide = withinAreaLimit({6000, 1500});
  EXPECT_EQ(wide.width, 4095);
  EXPECT_EQ(wide.height, 1023);
  EXPECT_LE(wide.area(), kAreaLimit);
  // Height is width times height over width, in whole numbers.
  EXPECT_EQ(withinAreaLimit({2451, 2223}).height, 1950);
  EXPECT_EQ(withinAreaLimit({1296, 5160}).height, 4085);
}

struct Recorder {
  int64_t largestAccepted;
  std::vector<PixelSize> tried;
  int32_t operator()(const PixelSize& size) {
    tried.push_back(size);
    return size.area() > largestAccepted ? kTooLarge : 0;
  }
};

TEST(BitmapSizes, RefusedSquareIsRetriedAtTheAreaLimitThenAtShrinkingScales) {
  Recorder host{2000 * 2000, {}};
  const Attempt made =
      createWithRetries({0, 0, 3000, 3000}, 1.0, [&](const PixelSize& s) { return host(s); });
  const std::vector<int64_t> expected = {3000, 2047, 2850, 2708, 2572,
                                         2444, 2321, 2205, 2095, 1990};
  ASSERT_EQ(host.tried.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(host.tried[i].width, expected[i]) << "try " << i;
    EXPECT_EQ(host.tried[i].height, expected[i]) << "try " << i;
  }
  EXPECT_EQ(made.answer, 0);
  EXPECT_EQ(made.size.width, 1990);
  EXPECT_NEAR(made.scale, 0.6634204312890623, 1e-12);  // 0.95 to the 8th
}

TEST(BitmapSizes, BitmapMadeAtTheAreaLimitReportsItsOwnScale) {
  Recorder host{kAreaLimit, {}};
  const Attempt made =
      createWithRetries({0, 0, 3000, 3000}, 1.0, [&](const PixelSize& s) { return host(s); });
  ASSERT_EQ(host.tried.size(), 2u);
  EXPECT_EQ(made.answer, 0);
  EXPECT_EQ(made.size.width, 2047);
  EXPECT_DOUBLE_EQ(made.scale, 2047.0 / 3000.0);
}

TEST(BitmapSizes, RetriesStopBeforeTheAreaFallsBelowAThousandPixels) {
  Recorder host{0, {}};
  const Attempt made =
      createWithRetries({0, 0, 40, 40}, 1.0, [&](const PixelSize& s) { return host(s); });
  EXPECT_EQ(made.answer, kTooLarge);
  for (const PixelSize& s : host.tried) EXPECT_GE(s.area(), kSmallestArea);
  // 40 x 40 is under the area limit, so no try at the limit; 0.95 steps
  // down to 33 x 33 (1089 pixels): the next, 31 x 31, is not tried.
  EXPECT_EQ(host.tried.size(), 5u);
  EXPECT_EQ(host.tried.back().width, 33);
}

TEST(BitmapSizes, OtherAnswersEndTheRetries) {
  int calls = 0;
  const Attempt made = createWithRetries({0, 0, 100, 100}, 1.0, [&](const PixelSize&) {
    ++calls;
    return 87;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(made.answer, 87);
}

}  // namespace
}  // namespace qxvb::diagram
