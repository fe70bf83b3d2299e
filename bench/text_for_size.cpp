// QXGetTextForSize on a 1,000-character text against the plain
// QFontMetrics loop doing the same work: candidates from the longest head
// down, each measured, until one fits.
#include <benchmark/benchmark.h>

#include <QFontMetrics>
#include <QString>
#include <string>

#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "support/x_server.h"
#include "ui/device_context/device_context.h"

namespace {

using qxvb::Variant;

constexpr int32_t kWidth = 240;

std::string sampleText() {
  std::string text;
  while (text.size() < 1000) text += "Customer order line with a rather long description; ";
  text.resize(1000);
  return text;
}

int32_t surface() {
  qxvb::test::sharedXServer();
  static const int32_t hdc = qxvb::gui::dc::createImageDC(400, 40);
  return hdc;
}

void GetTextForSize(benchmark::State& state) {
  const int32_t hdc = surface();
  auto utilities = qxvb::createObject("QXVBUtils.QXUtilities");
  const std::string text = sampleText();
  for (auto _ : state) {
    const Variant fitted = utilities->call(
        "QXGetTextForSize", {Variant(hdc), Variant(text), Variant(kWidth), Variant(true)});
    benchmark::DoNotOptimize(fitted);
  }
}
BENCHMARK(GetTextForSize)->Unit(benchmark::kMicrosecond);

void PlainFontMetricsLoop(benchmark::State& state) {
  const int32_t hdc = surface();
  const QFontMetrics metrics(*qxvb::gui::dc::fontOf(hdc));
  const QString text = QString::fromStdString(sampleText());
  for (auto _ : state) {
    QString result = text;
    if (metrics.horizontalAdvance(text) > kWidth) {
      for (qsizetype n = text.size(); n >= 2; --n) {
        result = text.left(n) + "...";
        if (metrics.horizontalAdvance(result) <= kWidth) break;
      }
    }
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(PlainFontMetricsLoop)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
