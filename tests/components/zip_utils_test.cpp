// The zip utility: archives unpack below their folder and nowhere else;
// whatever it refuses, the folder is left as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "components/zip_utils/zip_utils.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"
#include "support/sandbox.h"
#include "support/zip_builder.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

class ZipUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = freshFolder("zip");
    target_ = root_ / "target";
    fs::create_directory(target_);
  }
  std::string extract(const std::vector<ZipEntry>& entries, zip::ExtractLimits limits = {}) {
    writeZip(root_ / "a.zip", entries);
    return zip::extractArchive((root_ / "a.zip").string(), target_.string(), limits);
  }
  std::vector<std::string> targetContents() const {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(target_)) {
      names.push_back(fs::relative(e.path(), target_).string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path root_;
  fs::path target_;
};

TEST_F(ZipUtilsTest, FilesAndFoldersUnpackBelowTheFolder) {
  writeFile(target_ / "old.bmp", "old");
  EXPECT_EQ(extract({{"a.bmp", "A"},
                     {"sub/", "", 040755},
                     {"sub/b.bmp", "B"},
                     {"deep/er/c.bmp", "C"},
                     {"win\\d.bmp", "D"},
                     {"./e.bmp", "E"},
                     {"old.bmp", "new"}}),
            "");
  EXPECT_EQ(targetContents(),
            (std::vector<std::string>{"a.bmp", "deep", "deep/er", "deep/er/c.bmp", "e.bmp",
                                      "old.bmp", "sub", "sub/b.bmp", "win", "win/d.bmp"}));
  EXPECT_EQ(readFile(target_ / "deep/er/c.bmp"), "C");
  EXPECT_EQ(readFile(target_ / "old.bmp"), "new");
}

TEST_F(ZipUtilsTest, EntriesReachingOutsideAreRefusedAndNothingIsWritten) {
  const std::pair<std::string, std::string> escapes[] = {
      {"../up.bmp", "../up.bmp"},       {"a/../../up.bmp", "a/../../up.bmp"},
      {"..\\up.bmp", "..\\up.bmp"},     {"/abs.bmp", "/abs.bmp"},
      {"C:/drive.bmp", "C:/drive.bmp"},
  };
  for (const auto& [name, shown] : escapes) {
    EXPECT_EQ(extract({{"first.bmp", "1"}, {name, "x"}}),
              "The archive entry " + shown + " would be written outside the folder.");
    EXPECT_TRUE(targetContents().empty()) << name;
    EXPECT_FALSE(fs::exists(root_ / "up.bmp"));
  }
}

TEST_F(ZipUtilsTest, LinksAndSpecialFilesAreRefused) {
  EXPECT_EQ(extract({{"link", "/etc/passwd", 0120777}}),
            "The archive entry link is a link; links are not unpacked.");
  EXPECT_EQ(extract({{"fifo", "", 010644}}), "The archive entry fifo is not a file or folder.");
  EXPECT_TRUE(targetContents().empty());
}

TEST_F(ZipUtilsTest, ExistingLinkInTheFolderIsNotFollowed) {
  const fs::path outside = root_ / "outside";
  fs::create_directory(outside);
  fs::create_directory_symlink(outside, target_ / "sub");
  const std::string message = extract({{"sub/x.bmp", "x"}});
  EXPECT_EQ(message, "The archive entry sub would be written outside the folder.");
  EXPECT_TRUE(fs::is_empty(outside));
}

TEST_F(ZipUtilsTest, ArchivesExpandingTooFarAreRefused) {
  // Declared sizes beyond the limit.
  EXPECT_EQ(
      extract({{"a.bmp", std::string(3000, 'a')}, {"b.bmp", std::string(3000, 'b')}}, {5000, 100}),
      "The archive would expand to more than 5000 bytes.");
  // Declared sizes that lie: the data expands further than the headers say.
  writeZip(root_ / "liar.zip", {{"big.bmp", std::string(200000, 'z')}});
  declareUncompressedSize(root_ / "liar.zip", 10);
  const std::string message =
      zip::extractArchive((root_ / "liar.zip").string(), target_.string(), {1000, 100});
  EXPECT_FALSE(message.empty());
  // Too many entries.
  std::vector<ZipEntry> many;
  for (int i = 0; i < 12; ++i) many.push_back({"f" + std::to_string(i), "x"});
  EXPECT_EQ(extract(many, {1000, 10}), "The archive holds more than 10 entries.");
  EXPECT_TRUE(targetContents().empty());
}

TEST_F(ZipUtilsTest, FilesThatAreNoArchivesAreRefused) {
  writeFile(root_ / "text.zip", "no archive here");
  EXPECT_EQ(
      zip::extractArchive((root_ / "text.zip").string(), target_.string())
          .rfind("The file " + (root_ / "text.zip").string() + " is not a usable zip archive", 0),
      0u);
  ASSERT_EQ(::mkfifo((root_ / "fifo.zip").c_str(), 0600), 0);
  EXPECT_EQ(zip::extractArchive((root_ / "fifo.zip").string(), target_.string()),
            "The archive " + (root_ / "fifo.zip").string() + " is not a regular file.");
  writeZip(root_ / "ok.zip", {{"a", "a"}});
  EXPECT_EQ(zip::extractArchive((root_ / "ok.zip").string(), (root_ / "missing").string())
                .rfind("The folder ", 0),
            0u);
}

TEST_F(ZipUtilsTest, ComponentReportsThroughErrorMessage) {
  writeZip(root_ / "bad.zip", {{"../x", "x"}});
  const Object zip = createObject("QX.NET.Utils.ZipUtils");
  EXPECT_EQ(zip->call("ExtractZipFile",
                      {Variant((root_ / "bad.zip").string()), Variant(target_.string())}),
            Variant(false));
  EXPECT_EQ(CStr(zip->getProperty("ErrorMessage")),
            "The archive entry ../x would be written outside the folder.");
  writeZip(root_ / "good.zip", {{"x", "x"}});
  EXPECT_EQ(zip->call("ExtractZipFile",
                      {Variant((root_ / "good.zip").string()), Variant(target_.string())}),
            Variant(true));
  EXPECT_EQ(CStr(zip->getProperty("ErrorMessage")), "");
  zip->putProperty("MaxExpandedSize", Variant(1.0));
  EXPECT_EQ(zip->call("ExtractZipFile",
                      {Variant((root_ / "good.zip").string()), Variant(target_.string())}),
            Variant(true));
  zip->putProperty("MaxExpandedSize", Variant(0.0));
  EXPECT_EQ(zip->call("ExtractZipFile",
                      {Variant((root_ / "good.zip").string()), Variant(target_.string())}),
            Variant(false));
}

}  // namespace
}  // namespace qxvb::test
