#include "support/diagram_models.h"

#include <memory>

#include "ado/connection.h"
#include "components/qxhost/model_file.h"
#include "components/qxhost/running_host.h"
#include "database/repository/embedded_repository.h"

namespace qxvb::test {

std::filesystem::path sampleModelFile() {
  return std::filesystem::path(QXVB_SOURCE_DIR) / "data" / "diagrams" / "sample-model.xml";
}

std::string generatedModel(int diagrams, int symbolsPerDiagram) {
  constexpr int kPerRow = 20;
  std::string model =
      "<Model>\n <DiagramType Number=\"1\" Name=\"Process Diagram\"/>\n"
      " <SymbolType Number=\"3\" Name=\"Process\"/>\n";
  int symbol = 100001;
  for (int d = 1; d <= diagrams; ++d) {
    const int rows = (symbolsPerDiagram + kPerRow - 1) / kPerRow;
    model += " <Diagram DDID=\"" + std::to_string(d) + "\" Name=\"Diagram " + std::to_string(d) +
             "\" Type=\"1\" Left=\"0\" Top=\"0\" Right=\"" + std::to_string(kPerRow * 160) +
             "\" Bottom=\"" + std::to_string(rows * 110 + 40) + "\">\n";
    const int first = symbol;
    for (int s = 0; s < symbolsPerDiagram; ++s, ++symbol) {
      const int x = 20 + (s % kPerRow) * 160;
      const int y = 20 + (s / kPerRow) * 110;
      model += "  <Symbol DDID=\"" + std::to_string(symbol) + "\" Name=\"Step " +
               std::to_string(s + 1) + "\" Type=\"3\" Left=\"" + std::to_string(x) + "\" Top=\"" +
               std::to_string(y) + "\" Right=\"" + std::to_string(x + 120) + "\" Bottom=\"" +
               std::to_string(y + 70) + "\"" +
               (s % 10 == 9 ? " Problem=\"Step " + std::to_string(s + 1) + " is unfinished.\""
                            : std::string()) +
               ">";
      if (diagrams > 1) model += "<Related DDID=\"" + std::to_string(d % diagrams + 1) + "\"/>";
      model += "</Symbol>\n";
    }
    for (int s = first + 1; s < symbol; ++s) {
      model +=
          "  <Line From=\"" + std::to_string(s - 1) + "\" To=\"" + std::to_string(s) + "\"/>\n";
    }
    model += " </Diagram>\n";
  }
  return model + "</Model>\n";
}

std::filesystem::path makeDiagramRepository(const std::filesystem::path& folder,
                                            const std::string& modelText) {
  const std::filesystem::path path = folder / "diagrams.qxr";
  createEmbeddedRepository(path.string());
  const qxhost::ModelFile model = qxhost::parseModel(modelText, "model.xml");
  const auto connection = std::make_shared<ado::Connection>();
  connection->Open(embeddedConnectionString(path.string()));
  qxhost::importModel(*connection, model);
  connection->Close();
  return path;
}

OpenRepository::OpenRepository(const std::filesystem::path& repository) {
  qxhost::openRepository(repository.string());
}

OpenRepository::~OpenRepository() {
  qxhost::closeRepository();
}

}  // namespace qxvb::test
