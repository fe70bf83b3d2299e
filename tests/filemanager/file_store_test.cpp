// The file store on an SQLite repository: import, listing, retrieval,
// export and deletion, and what it refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ado/field.h"
#include "filemanager/stored_names.h"
#include "frame/error_codes.h"
#include "repository_fixture.h"
#include "support/child_process.h"
#include "support/errors.h"

namespace qxvb::filestore {
namespace {

class FileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test::freshFolder("store");
    connection_ = test::newRepository(folder_);
  }
  std::filesystem::path disk(const std::string& relative, const std::string& text) {
    return test::writeDisk(folder_ / "disk" / relative, text);
  }
  std::filesystem::path folder_;
  std::shared_ptr<ado::Connection> connection_;
};

TEST_F(FileStoreTest, ImportingTwiceCountsVersionsAndMarksTheChange) {
  auto store = test::plainStore(connection_);
  const auto path = disk("settings.cfg", "first");
  EXPECT_EQ(store.importFiles({{path.string(), ""}}), std::vector<std::string>{"settings.cfg"});
  EXPECT_EQ(CLng(test::storedValue(*connection_, "settings.cfg", "Version")), 1);
  EXPECT_EQ(CStr(test::storedValue(*connection_, "settings.cfg", "Activity")), "A");
  EXPECT_FALSE(test::storedValue(*connection_, "settings.cfg", "Date").isNull());

  test::writeFile(path, "second");
  store.importFiles({{path.string(), ""}});
  EXPECT_EQ(test::rowCount(*connection_), 1);
  EXPECT_EQ(CLng(test::storedValue(*connection_, "settings.cfg", "Version")), 2);
  EXPECT_EQ(CStr(test::storedValue(*connection_, "settings.cfg", "Activity")), "C");
  const ByteArray bytes = store.readBytes("settings.cfg");
  EXPECT_EQ(std::string(bytes.data.begin(), bytes.data.end()), "second");
}

TEST_F(FileStoreTest, PicturesAndRenamedFilesAreStoredUnderTheirNames) {
  auto store = test::plainStore(connection_);
  const auto picture = disk("Images/pic.png", std::string("\x89PNG\0\x01", 6));
  const auto other = disk("notes.txt", "n");
  store.importFiles({{picture.string(), ""}, {other.string(), "Docs\\renamed.txt"}});
  auto rs = store.list();
  std::vector<std::string> names;
  for (; !rs->Eof(); rs->MoveNext()) names.push_back(CStr(rs->Collect(Variant("Name"))));
  EXPECT_EQ(names, (std::vector<std::string>{"Docs\\renamed.txt", "Images\\pic.png"}));
  EXPECT_EQ(store.readBytes("Images\\pic.png").data.size(), 6u);
  EXPECT_EQ(store.listQuery(), "SELECT Name, Date, Type FROM Files ORDER BY Name");
}

TEST_F(FileStoreTest, ListCanFindAndDeleteRows) {
  auto store = test::plainStore(connection_);
  store.importFiles({{disk("a.txt", "a").string(), ""}, {disk("b.txt", "b").string(), ""}});
  auto rs = store.list();
  EXPECT_EQ(rs->RecordCount(), 2);
  rs->Find("Name = 'b.txt'");
  ASSERT_FALSE(rs->Eof());
  rs->Delete();
  rs->Update();
  EXPECT_EQ(test::rowCount(*connection_), 1);
}

TEST_F(FileStoreTest, NamesWithQuotesAreStoredAndFoundAsNames) {
  auto store = test::plainStore(connection_);
  const std::string hostile = "'; DROP TABLE Files; --";
  const std::string quoted = "it's here.txt";
  store.importFiles(
      {{disk("x.txt", "one").string(), hostile}, {disk("y.txt", "two").string(), quoted}});
  EXPECT_EQ(test::rowCount(*connection_), 2);
  EXPECT_TRUE(store.exists(hostile));
  EXPECT_TRUE(store.exists(quoted));
  EXPECT_FALSE(store.exists("it"));
  const ByteArray bytes = store.readBytes(quoted);
  EXPECT_EQ(std::string(bytes.data.begin(), bytes.data.end()), "two");
  store.remove({hostile});
  EXPECT_FALSE(store.exists(hostile));
  EXPECT_TRUE(store.exists(quoted));
}

TEST_F(FileStoreTest, ExportWritesBelowTheFolderOnly) {
  auto store = test::plainStore(connection_);
  store.importFiles({{disk("Images/pic.png", "png").string(), ""}});
  const auto out = folder_ / "out";
  std::filesystem::create_directories(out);
  EXPECT_EQ(store.exportTo("Images\\pic.png", out), out / "Images" / "pic.png");
  EXPECT_EQ(test::readFile(out / "Images" / "pic.png"), "png");

  // Rows written by other programs may hold any name: none of them may
  // reach outside the target folder.
  for (const char* bad : {"..\\escaped.txt", "Images\\..\\..\\escaped.txt", "/tmp/escaped.txt",
                          "C:\\escaped.txt", "\\escaped.txt"}) {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(Variant("SELECT * FROM Files"), Variant(Object(connection_)), 1, 3, 1);
    rs->AddNew();
    rs->setCollect(Variant("Name"), Variant(bad));
    rs->setCollect(Variant("Data"), Variant(ByteArray{0, {'x'}}));
    rs->Update();
    EXPECT_EQ(test::errorNumber([&] { store.exportTo(bad, out); }), 5) << bad;
  }
  EXPECT_FALSE(std::filesystem::exists(folder_ / "escaped.txt"));
  EXPECT_FALSE(std::filesystem::exists("/tmp/escaped.txt"));
  size_t written = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(out)) {
    written += entry.is_regular_file() ? 1 : 0;
  }
  EXPECT_EQ(written, 1u);
}

TEST_F(FileStoreTest, NamesWithColonsAreOrdinaryFileNames) {
  auto store = test::plainStore(connection_);
  const auto path = disk("12:30 notes.txt", "lunch");
  EXPECT_EQ(store.importFiles({{path.string(), ""}}), std::vector<std::string>{"12:30 notes.txt"});
  store.importFiles({{path.string(), "Images\\a:b.png"}});
  const auto out = folder_ / "colon-out";
  std::filesystem::create_directories(out);
  EXPECT_EQ(store.exportTo("12:30 notes.txt", out), out / "12:30 notes.txt");
  EXPECT_EQ(test::readFile(out / "12:30 notes.txt"), "lunch");
  EXPECT_EQ(store.exportTo("Images\\a:b.png", out), out / "Images" / "a:b.png");
}

TEST_F(FileStoreTest, FifosAndDevicesAreRefusedWithoutBlocking) {
  const auto fifo = folder_ / "pipe.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto file = folder_ / "repository.db";
  const pid_t child = test::forkChild([&] {
    ::alarm(20);
    // A connection of the child's own: SQLite handles do not cross fork.
    auto own = std::make_shared<ado::Connection>();
    own->Open(test::sqliteConnectionString(file));
    auto store = test::plainStore(own);
    return test::errorNumber([&] {
             store.importFiles({{fifo.string(), ""}});
           }) != 0 &&
           test::errorNumber([&] {
             store.importFiles({{"/dev/zero", "zero.bin"}});
           }) != 0;
  });
  EXPECT_EQ(test::exitCodeOf(child), 0);
  EXPECT_EQ(test::rowCount(*connection_), 0);
}

TEST_F(FileStoreTest, RetrieveOverwritesTheTarget) {
  auto store = test::plainStore(connection_);
  store.importFiles({{disk("a.txt", "new contents").string(), ""}});
  const auto target = test::writeDisk(folder_ / "out" / "copy.bin", "old and longer contents");
  store.retrieve("a.txt", 1, target);
  EXPECT_EQ(test::readFile(target), "new contents");
  EXPECT_EQ(test::errorNumber([&] { store.retrieve("missing.txt", 1, target); }),
            enuUnableToFindRecord);
  EXPECT_EQ(test::readFile(target), "new contents");
}

TEST_F(FileStoreTest, UnsafeNamesAndMissingFilesImportNothing) {
  auto store = test::plainStore(connection_);
  const auto path = disk("a.txt", "a");
  EXPECT_EQ(test::errorNumber([&] { store.importFiles({{path.string(), "..\\a.txt"}}); }), 5);
  EXPECT_EQ(test::errorNumber([&] { store.importFiles({{path.string(), "C:\\a.txt"}}); }), 5);
  EXPECT_NE(test::errorNumber([&] {
              store.importFiles({{(folder_ / "none.txt").string(), ""}});
            }),
            0);
  EXPECT_EQ(test::rowCount(*connection_), 0);
  EXPECT_TRUE(store.importFiles({}).empty());
}

TEST_F(FileStoreTest, FailedImportLeavesTheRowAsItWas) {
  auto store = test::plainStore(connection_);
  const auto path = disk("locked.txt", "original");
  store.importFiles({{path.string(), ""}});
  connection_->Execute(
      "CREATE TRIGGER refuse BEFORE UPDATE OF Data ON Files WHEN NEW.Name = 'locked.txt' "
      "BEGIN SELECT RAISE(ABORT, 'locked'); END");
  test::writeFile(path, "changed");
  EXPECT_NE(test::errorNumber([&] { store.importFiles({{path.string(), ""}}); }), 0);
  EXPECT_EQ(CLng(test::storedValue(*connection_, "locked.txt", "Version")), 1);
  EXPECT_EQ(CStr(test::storedValue(*connection_, "locked.txt", "Activity")), "A");
  const ByteArray bytes = store.readBytes("locked.txt");
  EXPECT_EQ(std::string(bytes.data.begin(), bytes.data.end()), "original");
  // The connection is usable afterwards, outside any transaction.
  store.importFiles({{disk("other.txt", "o").string(), ""}});
  EXPECT_EQ(test::rowCount(*connection_), 2);
}

TEST_F(FileStoreTest, EmptyAndLargeFilesRoundTrip) {
  auto store = test::plainStore(connection_);
  std::string big(3 * 1024 * 1024 + 7, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 131) & 0xFF);
  store.importFiles({{disk("empty.bin", "").string(), ""}, {disk("big.bin", big).string(), ""}});
  const auto out = folder_ / "out";
  std::filesystem::create_directories(out);
  store.exportTo("big.bin", out);
  store.exportTo("empty.bin", out);
  EXPECT_EQ(test::readFile(out / "big.bin"), big);
  EXPECT_TRUE(std::filesystem::exists(out / "empty.bin"));
  EXPECT_EQ(std::filesystem::file_size(out / "empty.bin"), 0u);
}

}  // namespace
}  // namespace qxvb::filestore
