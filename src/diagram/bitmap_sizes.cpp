#include "diagram/bitmap_sizes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qxvb::diagram {

Extent widened(const Extent& drawing) {
  return {std::max<int64_t>(0, drawing.left - kMargin), std::max<int64_t>(0, drawing.top - kMargin),
          drawing.right + kMargin, drawing.bottom + kMargin};
}

double scaleFor(int64_t width, int32_t maxPixelWidth) {
  if (width <= maxPixelWidth) return 1.0;
  return static_cast<double>(maxPixelWidth) / static_cast<double>(width);
}

int64_t roundHalfEven(double value) {
  // Values beyond the 64-bit range only arise from absurd scales; they are
  // pinned so the caller's range check refuses them.
  if (!(std::abs(value) < 9.0e18))
    return value < 0 ? std::numeric_limits<int64_t>::min() / 2
                     : std::numeric_limits<int64_t>::max() / 2;
  return static_cast<int64_t>(std::nearbyint(value));
}

PixelSize scaled(const Extent& extent, double scale) {
  return {roundHalfEven(static_cast<double>(extent.width()) * scale),
          roundHalfEven(static_cast<double>(extent.height()) * scale)};
}

PixelSize withinAreaLimit(const PixelSize& size) {
  if (size.width <= 0 || size.height <= 0) return size;
  const double ratio = static_cast<double>(size.width) / static_cast<double>(size.height);
  const auto width = static_cast<int64_t>(std::sqrt(static_cast<double>(kAreaLimit) * ratio));
  // In whole numbers: a division by the ratio can come out one short.
  const int64_t height = width * size.height / size.width;
  return {width, height};
}

Attempt createWithRetries(const Extent& extent, double scale,
                          const std::function<int32_t(const PixelSize&)>& create) {
  Attempt attempt{0, scaled(extent, scale), scale};
  attempt.answer = create(attempt.size);
  if (attempt.answer != kTooLarge) return attempt;
  if (attempt.size.area() > kAreaLimit) {
    attempt.size = withinAreaLimit(attempt.size);
    // That bitmap shows the extent at its own, smaller scale, the one its
    // hotspot map must use.
    if (extent.width() > 0) {
      attempt.scale = static_cast<double>(attempt.size.width) / static_cast<double>(extent.width());
    }
    attempt.answer = create(attempt.size);
  }
  while (attempt.answer == kTooLarge) {
    scale *= kRetryFactor;
    const PixelSize next = scaled(extent, scale);
    if (next.area() < kSmallestArea) break;
    attempt = {create(next), next, scale};
  }
  return attempt;
}

std::optional<int32_t> asLong(int64_t value) {
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

}  // namespace qxvb::diagram
