// Explorer icons: the archive kept in the repository's file store is
// exported, unpacked and loaded on the first lookup only, again after a
// reset, and a hostile archive is refused with the unpacker's message.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>

#include "ado/connection.h"
#include "diagram/explorer_icons.h"
#include "diagram_fixture.h"
#include "filemanager/file_store.h"
#include "frame/vb_conversions.h"
#include "support/zip_builder.h"
#include "ui/picture/picture.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

std::string bitmapOf(int size, QColor colour) {
  QImage image(size, size, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return bytes.toStdString();
}

class ExplorerIcons : public DiagramTest {
 protected:
  void SetUp() override {
    DiagramTest::SetUp();
    openModel(oneDiagram(1, 100, 100));
  }

  // Stores an archive of the entries in the repository under the icons' name.
  void storeArchive(const std::vector<ZipEntry>& entries) {
    const fs::path zip = folder_ / "icons.zip";
    writeZip(zip, entries);
    storeFile(readFile(zip));
  }
  void storeFile(const std::string& bytes) {
    auto connection = std::make_shared<ado::Connection>();
    connection->Open("Provider=QXVB.SQLite;Data Source=" + repository_.string());
    filestore::StoreSetup setup;
    setup.connection = connection;
    filestore::FileStore store(setup);
    store.storeBytes(diagram::kIconArchive, ByteArray{0, {bytes.begin(), bytes.end()}});
    connection->Close();
  }

  struct Lookup {
    Object icon;
    Variant exists;
  };
  Lookup lookup(int32_t major, int32_t minor) {
    std::vector<Variant> args{Variant(major), Variant(minor), Variant(false)};
    Lookup out;
    out.icon = CObj(call("QX_GetUserSuppliedIconForExplorer", args));
    out.exists = args[2];
    return out;
  }
  std::string lastError() {
    std::vector<Variant> args{Variant("stale")};
    call("QX_GetLastIconForExplorerErrorMsg", args);
    return CStr(args[0]);
  }
  void reset() {
    std::vector<Variant> none;
    call("QX_ResetExplorerIconsForNewEncy", none);
  }
};

TEST(ExplorerIconKeys, MinorNumbersHaveAtLeastFourDigits) {
  EXPECT_EQ(diagram::iconKey(12, 7), "12_0007.bmp");
  EXPECT_EQ(diagram::iconKey(3, 25), "3_0025.bmp");
  EXPECT_EQ(diagram::iconKey(3, 12345), "3_12345.bmp");
  EXPECT_EQ(diagram::iconKey(3, 0), "3_0000.bmp");
  EXPECT_EQ(diagram::iconKey(3, -7), "3_-0007.bmp");
}

TEST_F(ExplorerIcons, IconsAreLookedUpByTypeAndLoadedOnce) {
  storeArchive({{"12_0007.bmp", bitmapOf(16, Qt::red)},
                {"3_0025.BMP", bitmapOf(32, Qt::blue)},
                {"readme.txt", "not an icon"}});
  Lookup found = lookup(12, 7);
  ASSERT_TRUE(found.icon) << lastError();
  EXPECT_EQ(found.exists, Variant(true));
  const auto picture = asPicture(found.icon);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->image().size(), QSize(16, 16));
  EXPECT_EQ(picture->image().pixelColor(8, 8), QColor(Qt::red));
  EXPECT_EQ(lastError(), "");
  // Keys are compared without regard to case; pictures are 16 by 16.
  found = lookup(3, 25);
  ASSERT_TRUE(found.icon);
  EXPECT_EQ(asPicture(found.icon)->image().size(), QSize(16, 16));
  // A key without a picture gives Nothing, but the icons exist.
  found = lookup(99, 1);
  EXPECT_FALSE(found.icon);
  EXPECT_EQ(found.exists, Variant(true));
  // The archive is not exported again: its removal goes unnoticed...
  storeArchive({{"1_0001.bmp", bitmapOf(16, Qt::green)}});
  EXPECT_TRUE(lookup(12, 7).icon);
  EXPECT_FALSE(lookup(1, 1).icon);
  // ...until a reset, after which the next lookup loads again.
  reset();
  EXPECT_FALSE(lookup(12, 7).icon);
  EXPECT_TRUE(lookup(1, 1).icon);
  // The unpacked files are gone once loaded.
  EXPECT_FALSE(fs::exists(temporaryFolder() / "Icons"));
}

TEST_F(ExplorerIcons, WithoutRepositoryOrArchiveLookupsGiveNothing) {
  open_.reset();
  Lookup none = lookup(12, 7);
  EXPECT_FALSE(none.icon);
  EXPECT_EQ(none.exists, Variant(false));
  EXPECT_EQ(lastError(), "No repository is open, so there are no explorer icons.");
  // A failed load is not retried; the message goes after the next lookup.
  none = lookup(12, 7);
  EXPECT_EQ(lastError(), "");
  reset();
  open_.emplace(repository_);
  none = lookup(12, 7);
  EXPECT_FALSE(none.icon);
  EXPECT_EQ(none.exists, Variant(false));
  EXPECT_EQ(lastError(),
            "The explorer icons could not be exported from the repository (status 2).");
}

TEST_F(ExplorerIcons, HostileArchivesAreRefusedWithTheUnpackersMessage) {
  const fs::path tmp = temporaryFolder();
  const struct {
    std::vector<ZipEntry> entries;
    std::string message;
  } cases[] = {
      {{{"12_0007.bmp", bitmapOf(16, Qt::red)}, {"../escaped.bmp", bitmapOf(16, Qt::red)}},
       "The archive entry ../escaped.bmp would be written outside the folder."},
      {{{"/tmp/absolute.bmp", bitmapOf(16, Qt::red)}},
       "The archive entry /tmp/absolute.bmp would be written outside the folder."},
      {{{"12_0007.bmp", "../../escaped.bmp", 0120777}},
       "The archive entry 12_0007.bmp is a link; links are not unpacked."},
      {{{"12_0007.bmp", std::string((64u << 20) + 1, '\0')}},
       "The archive would expand to more than 67108864 bytes."},
  };
  for (const auto& c : cases) {
    storeArchive(c.entries);
    reset();
    const Lookup refused = lookup(12, 7);
    EXPECT_FALSE(refused.icon) << c.message;
    EXPECT_EQ(refused.exists, Variant(false));
    EXPECT_EQ(lastError(), c.message);
    EXPECT_FALSE(fs::exists(tmp / "escaped.bmp"));
    EXPECT_FALSE(fs::exists(sandboxRoot() / "escaped.bmp"));
    EXPECT_FALSE(fs::exists(tmp / "Icons"));
  }
  storeFile("PK this is no archive");
  reset();
  EXPECT_FALSE(lookup(12, 7).icon);
  EXPECT_EQ(lastError().rfind("The file " + (tmp / "Icons" / diagram::kIconArchive).string() +
                                  " is not a usable zip archive: ",
                              0),
            0u)
      << lastError();
}

TEST_F(ExplorerIcons, WorkingFolderThatIsALinkIsNotFollowed) {
  storeArchive({{"12_0007.bmp", bitmapOf(16, Qt::red)}});
  const fs::path elsewhere = freshFolder("elsewhere");
  fs::create_directory_symlink(elsewhere, temporaryFolder() / "Icons");
  EXPECT_FALSE(lookup(12, 7).icon);
  EXPECT_EQ(lastError().rfind("The working folder for the explorer icons cannot be prepared: ", 0),
            0u);
  EXPECT_TRUE(fs::is_empty(elsewhere));
  fs::remove(temporaryFolder() / "Icons");
}

TEST_F(ExplorerIcons, BitmapThatIsNoPictureFailsTheLoadAndIsNamed) {
  storeArchive({{"12_0007.bmp", bitmapOf(16, Qt::red)}, {"12_0008.bmp", "BM but no picture"}});
  // A failed load leaves no icons: the good one is not found either, and
  // the flag stays as the caller had it.
  const Lookup found = lookup(12, 7);
  EXPECT_FALSE(found.icon);
  EXPECT_FALSE(CBool(found.exists));
  EXPECT_EQ(lastError(), "The explorer icon 12_0008.bmp cannot be loaded.");
}

}  // namespace
}  // namespace qxvb::test
