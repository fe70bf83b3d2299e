// The arithmetic of a diagram bitmap: the margin around the drawing
// extent, the scale that keeps the bitmap within the caller's width, and
// the smaller sizes tried when the host cannot create a bitmap that large.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace qxvb::diagram {

inline constexpr int32_t kMargin = 50;
// The largest bitmap area tried after the host refused a larger one.
inline constexpr int64_t kAreaLimit = 4'194'200;
// Retries stop when the bitmap would have fewer pixels than this.
inline constexpr int64_t kSmallestArea = 1000;
inline constexpr double kRetryFactor = 0.95;

struct Extent {
  int64_t left = 0;
  int64_t top = 0;
  int64_t right = 0;
  int64_t bottom = 0;
  int64_t width() const { return right - left; }
  int64_t height() const { return bottom - top; }
};

struct PixelSize {
  int64_t width = 0;
  int64_t height = 0;
  int64_t area() const { return width * height; }
};

// The extent widened by the margin; left and top not below 0.
Extent widened(const Extent& drawing);

// 1.0 when the width fits maxPixelWidth, else maxPixelWidth / width.
double scaleFor(int64_t width, int32_t maxPixelWidth);

// Both sides times scale, rounded half to even.
PixelSize scaled(const Extent& extent, double scale);

// The size of the same proportion whose area is kAreaLimit, both sides cut
// to whole pixels.
PixelSize withinAreaLimit(const PixelSize& size);

// The host's answer when a bitmap is too large to create.
inline constexpr int32_t kTooLarge = 171;

struct Attempt {
  int32_t answer = 0;  // the host's answer to the last try
  PixelSize size;      // the size of the last try
  double scale = 1.0;  // the scale the last try's bitmap shows the extent at
};

// Asks create for the extent's bitmap at scale; while it answers kTooLarge,
// first once at the area limit (when the size was above it), then at 0.95
// of the scale again and again until the area would fall below
// kSmallestArea.
Attempt createWithRetries(const Extent& extent, double scale,
                          const std::function<int32_t(const PixelSize&)>& create);

// A value that fits a Long, or nothing.
std::optional<int32_t> asLong(int64_t value);

// Rounds half to even, as the run time's conversions do.
int64_t roundHalfEven(double value);

}  // namespace qxvb::diagram
