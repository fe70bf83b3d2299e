// Several processes storing files into one embedded repository at once:
// each writer waits its turn within the connection's time-outs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/repository/embedded_repository.h"
#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "repository_fixture.h"
#include "support/child_process.h"

namespace qxvb {
namespace {

namespace fs = std::filesystem;

constexpr int kProcesses = 8;
constexpr int kFilesEach = 4;

bool importAndWriteEncyFiles(const std::string& connectionString, const fs::path& disk,
                             int writer) {
  auto connection = std::make_shared<ado::Connection>();
  connection->Open(connectionString);
  auto store = test::plainStore(connection);
  std::vector<filestore::Import_File> files;
  for (int f = 0; f < kFilesEach; ++f) {
    const std::string name = "w" + std::to_string(writer) + "f" + std::to_string(f) + ".txt";
    files.push_back({test::writeDisk(disk / name, std::string(20000, 'a' + f)).string(), ""});
  }
  // Twice: the second round replaces rows the others are reading and writing.
  for (int round = 0; round < 2; ++round) {
    if (store.importFiles(files).size() != files.size()) return false;
  }
  Object utils = createObject("QXDUTILS.Utils");
  utils->call("SetEncyConnection", {Variant(Object(connection))});
  utils->call("SetEncyOpenStatus", {Variant(true)});
  for (int e = 0; e < kFilesEach; ++e) {
    const std::string name = "ency" + std::to_string(writer) + "_" + std::to_string(e) + ".cfg";
    if (utils->call("WriteEncyFile", {Variant(name), Variant("[S]\r\nw=" + name + "\r\n")}) !=
        Variant(true)) {
      return false;
    }
  }
  utils.reset();
  connection->Close();
  unloadThread();
  return true;
}

TEST(ConcurrentWriters, EightProcessesImportAndWriteEncyFilesIntoOneRepository) {
  const fs::path folder = test::freshFolder("concurrent-repository");
  const std::string file = (folder / "shared.qxr").string();
  createEmbeddedRepository(file);
  const std::string cs = embeddedConnectionString(file);
  std::vector<pid_t> writers;
  for (int w = 0; w < kProcesses; ++w) {
    const fs::path disk = folder / ("disk" + std::to_string(w));
    writers.push_back(
        test::forkChild([&, w, disk] { return importAndWriteEncyFiles(cs, disk, w); }));
    ASSERT_GT(writers.back(), 0);
  }
  for (const pid_t pid : writers) EXPECT_EQ(test::exitCodeOf(pid), 0) << "writer " << pid;

  auto connection = std::make_shared<ado::Connection>();
  connection->Open(cs);
  EXPECT_EQ(test::rowCount(*connection), kProcesses * kFilesEach * 2);
  for (int w = 0; w < kProcesses; ++w) {
    for (int f = 0; f < kFilesEach; ++f) {
      const std::string name = "w" + std::to_string(w) + "f" + std::to_string(f) + ".txt";
      EXPECT_EQ(CLng(test::storedValue(*connection, name, "Version")), 2) << name;
      const std::string ency = "ency" + std::to_string(w) + "_" + std::to_string(f) + ".cfg";
      EXPECT_FALSE(test::storedValue(*connection, ency, "Name").isNull()) << ency;
    }
  }
  connection->Close();
}

}  // namespace
}  // namespace qxvb
