// The file manager window on an embedded repository of 10,000 stored
// files: opening it (binding, the list query, the filled grid) and
// refiltering it by name, each against a plain SELECT of the same rows
// into a QStandardItemModel in the same run (counter "ratio"). The longest
// time the window thread's event loop stood still while the window filled
// is counter "max_stall_ms" (a timer ticks as often as the loop lets it).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/run.h"
#include "common/sandbox.h"
#include "database/repository/embedded_repository.h"
#include "filemanager/file_manager.h"
#include "filemanager/gui/file_manager_form.h"
#include "ui/app/gui_thread.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using qxvb::filestore::FileManagerForm;

constexpr int kFiles = 10000;
fs::path runFolder;

// The repository, made once: 10,000 rows as the store writes them.
const fs::path& repository() {
  static fs::path file;
  if (!file.empty()) return file;
  file = runFolder / "model.qxr";
  qxvb::createEmbeddedRepository(file.string());
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO Files (Name, WID, Data, Version, Activity, Date) "
                     "VALUES (?, 1, ?, 1, 'A', '2024-05-17 09:30:00')",
                     -1, &insert, nullptr);
  const char* extensions[] = {"txt", "cfg", "png", "svg", "xml", "doc"};
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = (i % 7 == 0 ? "Images\\picture " : "settings file ") +
                             std::to_string(i) + "." + extensions[i % 6];
    sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 2, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return file;
}

// The anchor: the same rows by a plain SELECT into a QStandardItemModel.
double plainSelectMs(const std::string& where) {
  const auto start = Clock::now();
  sqlite3* db = nullptr;
  sqlite3_open_v2(repository().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* select = nullptr;
  const std::string sql = "SELECT Name, Date, Type FROM Files " + where + " ORDER BY Name";
  sqlite3_prepare_v2(db, sql.c_str(), -1, &select, nullptr);
  QStandardItemModel model(0, 3);
  while (sqlite3_step(select) == SQLITE_ROW) {
    QList<QStandardItem*> row;
    for (int c = 0; c < 3; ++c) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, c));
      row.append(new QStandardItem(QString::fromUtf8(text != nullptr ? text : "")));
    }
    model.appendRow(row);
  }
  sqlite3_finalize(select);
  sqlite3_close(db);
  benchmark::DoNotOptimize(model.rowCount());
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Ticks of the window thread's event loop: the longest gap between two is
// how long the loop stood still.
class Heartbeat {
 public:
  Heartbeat() {
    last_.start();
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { beat(); });
    timer_.start();
  }
  void beat() {
    longest_ = std::max(longest_, last_.nsecsElapsed() / 1e6);
    last_.restart();
  }
  double longestMs() {
    beat();
    return longest_;
  }

 private:
  QTimer timer_;
  QElapsedTimer last_;
  double longest_ = 0;
};

qxvb::Object none;

void BM_OpenFileManagerWindow(benchmark::State& state) {
  const std::string connection = qxvb::embeddedConnectionString(repository().string());
  double anchorMs = 0, windowMs = 0, stall = 0;
  for (auto _ : state) {
    state.PauseTiming();
    anchorMs += plainSelectMs("");
    auto manager = std::make_shared<qxvb::QXFileManager>();
    Heartbeat heartbeat;
    QApplication::processEvents();
    state.ResumeTiming();
    const auto start = Clock::now();
    manager->Init("Bench", none, connection, 0);
    manager->Show(false);
    FileManagerForm* form = qxvb::filestore::formOf(*manager);
    while (form->model().rowCount() < kFiles) QApplication::processEvents();
    windowMs += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    state.PauseTiming();
    stall = std::max(stall, heartbeat.longestMs());
    form->close();
    manager.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["plain_select_ms"] = anchorMs / static_cast<double>(state.iterations());
  state.counters["ratio"] = windowMs / anchorMs;
  state.counters["max_stall_ms"] = stall;
}

void BM_RefilterByName(benchmark::State& state) {
  const std::string connection = qxvb::embeddedConnectionString(repository().string());
  auto manager = std::make_shared<qxvb::QXFileManager>();
  manager->Init("Bench", none, connection, 0);
  manager->Show(false);
  FileManagerForm* form = qxvb::filestore::formOf(*manager);
  form->runCommand(qxvb::filestore::cmd::Filter);
  double anchorMs = 0, windowMs = 0, stall = 0;
  int round = 0;
  for (auto _ : state) {
    const std::string text = round++ % 2 == 0 ? "file 7" : "picture 1";
    state.PauseTiming();
    anchorMs += plainSelectMs("WHERE Name LIKE '%" + text + "%'");
    Heartbeat heartbeat;
    QApplication::processEvents();
    state.ResumeTiming();
    const auto start = Clock::now();
    form->nameFilterEdit()->setText(QString::fromStdString(text));
    form->refill();
    QApplication::processEvents();
    windowMs += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    state.PauseTiming();
    stall = std::max(stall, heartbeat.longestMs());
    state.ResumeTiming();
  }
  form->close();
  state.counters["plain_select_ms"] = anchorMs / static_cast<double>(state.iterations());
  state.counters["ratio"] = windowMs / anchorMs;
  state.counters["max_stall_ms"] = stall;
}

BENCHMARK(BM_OpenFileManagerWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RefilterByName)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  // The window is measured, not looked at: no X server needed.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  runFolder = qxvb::bench::makeSandbox();
  if (!qxvb::gui::onWindowThread()) return 1;
  qxvb::bench::runBenchmarks(argc, argv);
  qxvb::bench::removeSandbox(runFolder);
  return 0;
}
