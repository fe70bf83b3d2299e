#include "model_command.h"

#include <cstdio>
#include <memory>

#include "ado/connection.h"
#include "components/qxhost/model_file.h"
#include "components/qxhost/model_tables.h"
#include "database/repository/embedded_repository.h"

namespace qxrepo {

namespace {
std::shared_ptr<qxvb::ado::Connection> openRepository(const std::string& path) {
  auto connection = std::make_shared<qxvb::ado::Connection>();
  connection->Open(qxvb::embeddedConnectionString(path));
  return connection;
}
}  // namespace

std::vector<std::string> createModelTables(const std::string& repository) {
  auto connection = openRepository(repository);
  qxvb::qxhost::createModelTables(*connection);
  connection->Close();
  return qxvb::qxhost::modelTableNames();
}

int loadModel(const std::string& repository, const std::string& model) {
  const qxvb::qxhost::ModelFile parsed = qxvb::qxhost::readModelFile(model);
  // A missing file or one that is no repository is refused before opening,
  // which would make an empty database.
  qxvb::describeEmbeddedRepository(repository);
  auto connection = openRepository(repository);
  const qxvb::qxhost::ImportReport report = qxvb::qxhost::importModel(*connection, parsed);
  connection->Close();
  std::printf("loaded %d diagrams, %d symbols, %d lines into %s", report.diagrams, report.symbols,
              report.lines, repository.c_str());
  if (report.replaced > 0) std::printf(" (%d diagrams replaced)", report.replaced);
  std::printf("\n");
  return 0;
}

}  // namespace qxrepo
