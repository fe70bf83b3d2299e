// A repository with a model, opened in the process's host, and the checks
// the export tests share.
#pragma once

#include <gtest/gtest.h>

#include <QImageReader>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "components/qxhost/running_host.h"
#include "files/qx_file_utils.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "support/diagram_models.h"
#include "support/sandbox.h"

namespace qxvb::test {

// One diagram of type 1 with the page given and the symbols' markup.
inline std::string oneDiagram(int ddid, int right, int bottom, const std::string& symbols = {},
                              int left = 0, int top = 0) {
  return "<Model><DiagramType Number=\"1\" Name=\"Process Diagram\"/>"
         "<DiagramType Number=\"40\" Name=\"State Chart\" SecondNotation=\"true\"/>"
         "<Diagram DDID=\"" +
         std::to_string(ddid) + "\" Name=\"Plan\" Type=\"1\" Left=\"" + std::to_string(left) +
         "\" Top=\"" + std::to_string(top) + "\" Right=\"" + std::to_string(right) +
         "\" Bottom=\"" + std::to_string(bottom) + "\">" + symbols + "</Diagram></Model>";
}

inline std::string symbol(int ddid, const std::string& name, int l, int t, int r, int b,
                          const std::string& extra = {}, const std::string& inside = {}) {
  return "<Symbol DDID=\"" + std::to_string(ddid) + "\" Name=\"" + name + "\" Type=\"3\" Left=\"" +
         std::to_string(l) + "\" Top=\"" + std::to_string(t) + "\" Right=\"" + std::to_string(r) +
         "\" Bottom=\"" + std::to_string(b) + "\" " + extra + ">" + inside + "</Symbol>";
}

class DiagramTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = freshFolder("diagram"); }
  void TearDown() override {
    open_.reset();
    qxhost::setBitmapAreaLimit(0);
  }

  // Makes the repository and opens it in the host.
  void openModel(const std::string& model) {
    repository_ = makeDiagramRepository(folder_, model);
    open_.emplace(repository_);
  }
  void openSample() { openModel(readFile(sampleModelFile())); }

  std::string target(const std::string& name) const { return (folder_ / name).string(); }

  // Calls a member of QXUtilities late-bound; args hold the outputs after.
  Variant call(const char* member, std::vector<Variant>& args) {
    if (!utilities_) utilities_ = createObject("QXVBUtils.QXUtilities");
    return utilities_->invoke(member, kMethod, args);
  }

  // The product's temporary folder, where exports make their scratch files.
  static std::filesystem::path temporaryFolder() {
    return sharedFileUtils()->QX_File_GetFolderLocation(0, QXSF_TemporaryFolder);
  }
  static std::vector<std::string> temporaryFiles() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(temporaryFolder(), ec)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  std::filesystem::path folder_;
  std::filesystem::path repository_;
  std::optional<OpenRepository> open_;
  Object utilities_;
};

// The width and height a bitmap's header gives.
inline std::pair<int, int> bitmapHeaderSize(const std::string& path) {
  const std::string bytes = readFile(path);
  if (bytes.size() < 26) return {0, 0};
  const auto at = [&](size_t i) {
    return static_cast<int>(static_cast<unsigned char>(bytes[i]) |
                            static_cast<unsigned char>(bytes[i + 1]) << 8 |
                            static_cast<unsigned char>(bytes[i + 2]) << 16 |
                            static_cast<unsigned char>(bytes[i + 3]) << 24);
  };
  return {at(18), std::abs(at(22))};
}

// The size a decoder finds for a picture file of the format.
inline std::pair<int, int> decodedSize(const std::string& path, const char* format) {
  QImageReader reader(QString::fromStdString(path), format);
  reader.setAutoDetectImageFormat(false);
  const QImage image = reader.read();
  return {image.width(), image.height()};
}

}  // namespace qxvb::test
