// qxrepo: creates and describes embedded repository files.
#include <cstdio>
#include <exception>
#include <string>

#include "database/repository/embedded_repository.h"
#include "frame/automation_error.h"

namespace {

constexpr const char* kUsage =
    "usage: qxrepo create FILE   create an embedded repository in FILE (never overwritten)\n"
    "       qxrepo info FILE     show the repository's version code and tables\n"
    "       qxrepo --help\n";

int create(const std::string& path) {
  const qxvb::EmbeddedRepositoryReport report = qxvb::createEmbeddedRepository(path);
  std::printf("created %s\n", path.c_str());
  for (const std::string& table : report.tables) std::printf("  table %s\n", table.c_str());
  for (const std::string& skipped : report.skipped) {
    std::fprintf(stderr, "qxrepo: table not created: %s\n", skipped.c_str());
  }
  return 0;
}

int info(const std::string& path) {
  const qxvb::EmbeddedRepositoryInfo info = qxvb::describeEmbeddedRepository(path);
  std::printf("file %s\nversion %d\n", path.c_str(), info.version);
  for (const auto& table : info.tables) {
    std::printf("  table %s: %lld rows\n", table.name.c_str(), static_cast<long long>(table.rows));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 3 || (command != "create" && command != "info")) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  try {
    return command == "create" ? create(argv[2]) : info(argv[2]);
  } catch (const qxvb::AutomationError& e) {
    std::fprintf(stderr, "qxrepo: %s (%d)\n", e.description().c_str(), e.number());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qxrepo: %s\n", e.what());
  }
  return 1;
}
