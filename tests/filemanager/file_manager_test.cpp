// QXFileManager: binding to a repository, importing without a window, its
// events, its per-thread flag, and every member reached late-bound.
#include <gtest/gtest.h>

#include <thread>

#include "filemanager/file_manager.h"
#include "filemanager/gui/file_manager_form.h"
#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/string_table.h"
#include "repository_fixture.h"
#include "support/errors.h"

namespace qxvb {
namespace {

struct Heard {
  std::string name;
  std::vector<Variant> args;
};

class FileManagerTest : public ::testing::Test {
 protected:
  // These tests meet the object without its window; the window's own
  // tests are in gui/.
  void SetUp() override {
    setFileManagerWindowFactory({});
    folder_ = test::freshFolder("manager");
    connection_ = test::newRepository(folder_);
  }
  void TearDown() override { filestore::registerFileManagerWindow(); }

  std::shared_ptr<QXFileManager> bound() {
    auto manager = std::make_shared<QXFileManager>();
    Object connection = connection_;
    manager->Init("Test", connection, "", 0);
    return manager;
  }
  void listen(QXFileManager& manager) {
    manager.events()->advise(
        std::make_shared<FunctionSink>([this](std::string_view name, std::vector<Variant>& args) {
          heard_.push_back({std::string(name), args});
        }));
  }
  std::shared_ptr<Collection> paths(const std::vector<std::string>& names) {
    auto collection = std::make_shared<Collection>();
    for (const auto& name : names) {
      collection->Add(Variant(test::writeDisk(folder_ / "disk" / name, name).string()));
    }
    return collection;
  }

  std::filesystem::path folder_;
  std::shared_ptr<ado::Connection> connection_;
  std::vector<Heard> heard_;
};

TEST_F(FileManagerTest, InitWithWorkspaceZeroUsesWorkspaceOneWithoutWorkspaces) {
  auto manager = bound();
  EXPECT_TRUE(manager->initialised());
  EXPECT_EQ(manager->binding().setup.wid, 1);
  EXPECT_FALSE(manager->binding().setup.workspaces);
  EXPECT_FALSE(manager->binding().setup.oracle);
  EXPECT_EQ(manager->binding().setup.parameterBase, 1);
  EXPECT_EQ(manager->binding().settingsAppName, "Tembra");
  EXPECT_EQ(manager->binding().setup.connection, connection_);
  EXPECT_FALSE(manager->binding().ownsConnection);
}

TEST_F(FileManagerTest, ImportFilesRaisesProgressEventsInOrder) {
  auto manager = bound();
  listen(*manager);
  manager->ImportFiles(paths({"a.txt", "b.txt"}));
  EXPECT_EQ(test::rowCount(*connection_), 2);
  ASSERT_EQ(heard_.size(), 4u);
  EXPECT_EQ(heard_[0].name, "ProgressBarInit");
  EXPECT_EQ(heard_[0].args, (std::vector<Variant>{Variant(int32_t{0}), Variant(int32_t{2})}));
  EXPECT_EQ(heard_[1].name, "ProgressBar");
  EXPECT_EQ(heard_[2].args, std::vector<Variant>{Variant(int32_t{2})});
  EXPECT_EQ(heard_[3].name, "ResetProgressBar");
  EXPECT_TRUE(heard_[3].args.empty());
}

TEST_F(FileManagerTest, EmptyCollectionDoesNothing) {
  auto manager = std::make_shared<QXFileManager>();
  listen(*manager);
  EXPECT_EQ(test::errorNumber([&] { manager->ImportFiles(std::make_shared<Collection>()); }), 0);
  manager = bound();
  listen(*manager);
  manager->ImportFiles(std::make_shared<Collection>());
  EXPECT_TRUE(heard_.empty());
  EXPECT_EQ(test::rowCount(*connection_), 0);
}

TEST_F(FileManagerTest, ImportBeforeInitIsRefused) {
  QXFileManager manager;
  EXPECT_EQ(test::errorNumber([&] { manager.ImportFiles(paths({"a.txt"})); }), 91);
  EXPECT_EQ(test::errorNumber([&] { manager.ImportFiles(Object()); }), 91);
}

// A sink whose handlers are members of an automation object, as late-bound
// event handlers are; the Status text arrives by reference.
class StatusHandler : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table = [] {
      DispatchTable t("StatusHandler");
      Members<StatusHandler>(t).method("Status", {ref("v_strStatusText")},
                                       [](StatusHandler& h, CallArgs& a) {
                                         h.texts.push_back(a.str(0));
                                         a.set(0, Variant("seen"));
                                         return Variant();
                                       });
      return t;
    }();
    return table;
  }
  std::vector<std::string> texts;
};

TEST_F(FileManagerTest, StatusReachesSinksWithItsTextByReference) {
  auto manager = bound();
  auto handler = std::make_shared<StatusHandler>();
  manager->events()->advise(std::make_shared<DispatchSink>(handler));
  std::vector<Variant> afterwards;
  manager->events()->advise(
      std::make_shared<FunctionSink>([&](std::string_view name, std::vector<Variant>& args) {
        if (name == "Status") afterwards = args;
      }));
  manager->report("hello", false);
  EXPECT_EQ(handler->texts, std::vector<std::string>{"hello"});
  EXPECT_EQ(afterwards, std::vector<Variant>{Variant("seen")});
  EXPECT_EQ(manager->events()->interfaceId(), "{F99DACB1-4EF3-4A8A-8E35-9BBA9D88B51D}");
}

TEST_F(FileManagerTest, FromBrowseInternalIsSharedWithinAThreadOnly) {
  QXFileManager one;
  QXFileManager two;
  one.setFromBrowseInternal(true);
  EXPECT_TRUE(two.FromBrowseInternal());
  bool elsewhere = true;
  std::thread([&] { elsewhere = QXFileManager().FromBrowseInternal(); }).join();
  EXPECT_FALSE(elsewhere);
  two.setFromBrowseInternal(false);
  EXPECT_FALSE(one.FromBrowseInternal());
}

TEST_F(FileManagerTest, InitNewSetsTheNewStyleFlagForTheThread) {
  bool before = true;
  bool after = false;
  std::thread([&] {
    before = fileManagerNewStyle();
    QXFileManager manager;
    manager.Init_New_noADO("Test", test::sqliteConnectionString(folder_ / "repository.db"), 3);
    after = fileManagerNewStyle();
    EXPECT_TRUE(manager.binding().ownsConnection);
    EXPECT_EQ(manager.binding().setup.wid, 3);
  }).join();
  EXPECT_FALSE(before);
  EXPECT_TRUE(after);
}

class FakeWindow : public FileManagerWindow {
 public:
  explicit FakeWindow(std::vector<std::string>& log) : log_(log) {}
  void setImagesOnly(bool v) override { log_.push_back(v ? "images" : "all"); }
  void show(bool modal) override {
    visible_ = true;
    log_.push_back(modal ? "modal" : "modeless");
  }
  bool isVisible() const override { return visible_; }
  void showMessage(const std::string& text, bool isError) override {
    log_.push_back((isError ? "error:" : "status:") + text);
  }
  void filesImported(const std::vector<std::string>& paths) override {
    log_.push_back("imported " + std::to_string(paths.size()));
  }

 private:
  std::vector<std::string>& log_;
  bool visible_ = false;
};

TEST_F(FileManagerTest, TheWindowGetsMessagesOnlyWhileVisible) {
  std::vector<std::string> log;
  setFileManagerWindowFactory([&](QXFileManager&) { return std::make_unique<FakeWindow>(log); });
  QXFileManager before;
  before.SetForImagesOnly(true);
  EXPECT_FALSE(before.imagesOnly());
  auto manager = bound();
  listen(*manager);
  manager->SetForImagesOnly(true);
  manager->report("hidden", false);
  manager->ImportFiles(paths({"a.txt"}));
  manager->Show(false);
  manager->report("shown", true);
  // A deletion that succeeds is news, not an error.
  manager->store().remove({"a.txt"}, manager->storeReport());
  EXPECT_EQ(log, (std::vector<std::string>{"images", "imported 1", "modeless", "error:shown",
                                           "status:" + localString(34944)}));
  ASSERT_FALSE(heard_.empty());
  EXPECT_EQ(heard_[0].name, "Status");
  EXPECT_EQ(heard_[0].args, std::vector<Variant>{Variant("hidden")});
}

TEST_F(FileManagerTest, ShowNeedsInitAndAWindow) {
  QXFileManager manager;
  EXPECT_EQ(test::errorNumber([&] { manager.Show(true); }), 91);
  auto initialised = bound();
  EXPECT_EQ(test::errorNumber([&] { initialised->Show(true); }), 5);
}

TEST_F(FileManagerTest, EveryMemberLateBound) {
  Object manager = createObject("QXVBUtils.QXFileManager");
  ASSERT_TRUE(manager);
  manager->putProperty("SelectedFileName", Variant("a.txt\rb.txt\r"));
  EXPECT_EQ(manager->getProperty("SelectedFileName"), Variant("a.txt\rb.txt\r"));
  manager->putProperty("FromBrowseInternal", Variant(true));
  EXPECT_EQ(manager->getProperty("FromBrowseInternal"), Variant(true));
  manager->putProperty("FromBrowseInternal", Variant(false));

  std::vector<Variant> init{Variant("App"), Variant(Object(connection_))};
  manager->invoke("Init", kMethod, init);
  EXPECT_EQ(CObj(init[1]), Object(connection_));
  manager->call("SetForImagesOnly", {Variant(true)});
  std::vector<Variant> import{Variant(Object(paths({"late.txt"})))};
  manager->invoke("ImportFiles", kMethod, import);
  EXPECT_EQ(test::rowCount(*connection_), 1);
  EXPECT_EQ(test::errorNumber([&] { manager->call("Show"); }), 5);

  std::vector<Variant> initNew{Variant("App"), Variant(Object(connection_)), Variant(""),
                               Variant(int32_t{2})};
  manager->invoke("Init_New", kMethod, initNew);
  auto* typed = dynamic_cast<QXFileManager*>(manager.get());
  ASSERT_NE(typed, nullptr);
  EXPECT_EQ(typed->binding().setup.wid, 2);
  manager->call("Init_New_noADO",
                {Variant("App"), Variant(test::sqliteConnectionString(folder_ / "repository.db"))});
  EXPECT_EQ(typed->binding().setup.wid, 1);
  EXPECT_TRUE(typed->binding().ownsConnection);
  EXPECT_EQ(test::errorNumber([&] { manager->call("Init_New_noADO"); }), 449);
}

TEST_F(FileManagerTest, ACatalogueEntryWithEvents) {
  const ClassInfo* info = Catalogue::instance().find("QXVBUtils.QXFileManager");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->eventIid, kFileManagerEventsIid);
  Object one = createObject("QXVBUtils.QXFileManager");
  Object two = createObject("QXVBUtils.QXFileManager");
  EXPECT_NE(one, two);
  ASSERT_NE(one->events(), nullptr);
}

}  // namespace
}  // namespace qxvb
