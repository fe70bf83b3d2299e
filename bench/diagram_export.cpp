// Diagram export against Qt drawing the same scene straight to PNG, in the
// same run: one diagram of 500 symbols through QX_DiagramToPNG (bitmap by
// the host, conversion, hotspot map) and all diagrams of a 200-diagram
// repository through qxdiagram, reported per diagram. The ratio counters
// are export time over Qt time for the same pictures, in wall-clock time
// and in CPU time (the latter steadier on a busy machine).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "common/run.h"
#include "components/qxhost/gui/diagram_painter.h"
#include "components/qxhost/model_tables.h"
#include "components/qxhost/running_host.h"
#include "database/repository/embedded_repository.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "support/diagram_models.h"
#include "ui/picture/gui_application.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kBigDiagramSymbols = 500;
constexpr int kRepositoryDiagrams = 200;
constexpr int kSymbolsPerDiagram = 20;
constexpr int32_t kMaxWidth = 1024;

fs::path runFolder;

struct Repository {
  fs::path file;
  std::vector<qxvb::qxhost::DiagramModel> diagrams;
};

// A repository of the generated model and its diagrams as the host reads
// them, made once per kind.
const Repository& repository(int diagrams, int symbols) {
  static std::map<int, Repository> made;
  Repository& r = made[diagrams];
  if (!r.file.empty()) return r;
  const fs::path folder = runFolder / ("repository-" + std::to_string(diagrams));
  fs::create_directories(folder);
  r.file = qxvb::test::makeDiagramRepository(folder, qxvb::test::generatedModel(diagrams, symbols));
  auto connection = std::make_shared<qxvb::ado::Connection>();
  connection->Open(qxvb::embeddedConnectionString(r.file.string()));
  for (int d = 1; d <= diagrams; ++d)
    r.diagrams.push_back(*qxvb::qxhost::readDiagram(*connection, d));
  connection->Close();
  return r;
}

// The anchor: the same scene, at the size the export makes, drawn by Qt
// into an image and written as PNG.
void qtStraightToPng(const qxvb::qxhost::DiagramModel& diagram, const fs::path& file) {
  const qxvb::qxhost::Rect extent = diagram.extent();
  const QRectF region(QPointF(std::max(0, extent.left - 50), std::max(0, extent.top - 50)),
                      QPointF(extent.right + 50, extent.bottom + 50));
  const double scale = region.width() > kMaxWidth ? kMaxWidth / region.width() : 1.0;
  const QSize size(qRound(region.width() * scale), qRound(region.height() * scale));
  QImage image(size, QImage::Format_RGB32);
  {
    QPainter painter(&image);
    qxvb::qxhost::paintDiagram(painter, diagram, region, QSizeF(size));
  }
  QImageWriter writer(QString::fromStdString(file.string()), "png");
  if (!writer.write(image)) std::abort();
}

int32_t exportPng(const qxvb::Object& utilities, int32_t ddid, const fs::path& file) {
  std::vector<qxvb::Variant> args{qxvb::Variant(ddid), qxvb::Variant(file.string()),
                                  qxvb::Variant(int32_t{0}), qxvb::Variant(int32_t{0}),
                                  qxvb::Variant(kMaxWidth)};
  fs::remove(file.parent_path() / (file.stem().string() + ".HSP"));
  return qxvb::CLng(utilities->invoke("QX_DiagramToPNG", qxvb::kMethod, args));
}

// CPU time of the finished child processes, user and system.
double childCpu() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double cpuNow() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void BM_FiveHundredSymbolsToPng(benchmark::State& state) {
  const Repository& r = repository(1, kBigDiagramSymbols);
  qxvb::qxhost::openRepository(r.file.string());
  qxvb::gui::ensureGuiApplication();
  const qxvb::Object utilities = qxvb::createObject("QXVBUtils.QXUtilities");
  const fs::path exported = runFolder / "big-export.png";
  const fs::path anchored = runFolder / "big-qt.png";
  double exportTime = 0;
  double qtTime = 0;
  double exportCpu = 0;
  double qtCpu = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const double c0 = cpuNow();
    if (exportPng(utilities, 1, exported) != 0) state.SkipWithError("the export failed");
    const auto middle = Clock::now();
    const double c1 = cpuNow();
    qtStraightToPng(r.diagrams.front(), anchored);
    const auto end = Clock::now();
    exportCpu += c1 - c0;
    qtCpu += cpuNow() - c1;
    exportTime += seconds(middle - start);
    qtTime += seconds(end - middle);
    state.SetIterationTime(seconds(middle - start));
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["export_ms"] = exportTime / n * 1000;
  state.counters["qt_png_ms"] = qtTime / n * 1000;
  state.counters["ratio"] = exportTime / qtTime;
  state.counters["export_cpu_ms"] = exportCpu / n * 1000;
  state.counters["qt_cpu_ms"] = qtCpu / n * 1000;
  state.counters["cpu_ratio"] = exportCpu / qtCpu;
  qxvb::qxhost::closeRepository();
}
BENCHMARK(BM_FiveHundredSymbolsToPng)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_RepositoryThroughQxdiagram(benchmark::State& state) {
  const Repository& r = repository(kRepositoryDiagrams, kSymbolsPerDiagram);
  qxvb::gui::ensureGuiApplication();
  const fs::path out = runFolder / "site";
  const std::string command = std::string(QXVB_BIN_DIR) + "/qxdiagram -q -o " + out.string() + " " +
                              r.file.string() + " >/dev/null 2>&1";
  double toolTime = 0;
  double qtTime = 0;
  double toolCpu = 0;
  double qtCpu = 0;
  for (auto _ : state) {
    fs::remove_all(out);
    const auto start = Clock::now();
    const double c0 = childCpu();
    if (std::system(command.c_str()) != 0) state.SkipWithError("qxdiagram failed");
    const auto middle = Clock::now();
    toolCpu += childCpu() - c0;
    const double c1 = cpuNow();
    fs::create_directories(runFolder / "qt");
    for (const auto& d : r.diagrams) {
      qtStraightToPng(d, runFolder / "qt" / ("diagram-" + std::to_string(d.id) + ".png"));
    }
    const auto end = Clock::now();
    qtCpu += cpuNow() - c1;
    toolTime += seconds(middle - start);
    qtTime += seconds(end - middle);
    state.SetIterationTime(seconds(middle - start));
  }
  const double n = static_cast<double>(state.iterations()) * kRepositoryDiagrams;
  state.counters["tool_ms_per_diagram"] = toolTime / n * 1000;
  state.counters["qt_png_ms_per_diagram"] = qtTime / n * 1000;
  state.counters["ratio"] = toolTime / qtTime;
  state.counters["tool_cpu_ms_per_diagram"] = toolCpu / n * 1000;
  state.counters["qt_cpu_ms_per_diagram"] = qtCpu / n * 1000;
  state.counters["cpu_ratio"] = toolCpu / qtCpu;
}
BENCHMARK(BM_RepositoryThroughQxdiagram)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  return qxvb::bench::runBenchmarksInSandbox(runFolder, argc, argv);
}
