#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "components/qxdutils/qxdutils_component.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "settings/qxdutilsvb.h"
#include "support/child_process.h"
#include "support/sandbox.h"
#include "text/qxutilities.h"

namespace qxvb {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(qxdutils::defaultProfilePath());
    unloadThread();
  }
  void TearDown() override { unloadThread(); }

  std::shared_ptr<QXUtilities> utilities() {
    return std::static_pointer_cast<QXUtilities>(createObject("QXVBUtils.QXUtilities"));
  }
};

TEST_F(SettingsTest, GetSettingCutsToTheWantedLength) {
  auto u = utilities();
  std::string name = "k";
  std::string value = "abcdef";
  ASSERT_TRUE(u->QXSetSetting(name, value));
  std::string out;
  int32_t len = 3;
  EXPECT_TRUE(u->QXGetSetting(name, out, len));
  EXPECT_EQ(out, "abc");
  len = 255;
  EXPECT_TRUE(u->QXGetSetting(name, out, len));
  EXPECT_EQ(out, "abcdef");
  std::string missing = "nope";
  out = "stale";
  EXPECT_FALSE(u->QXGetSetting(missing, out, len));
  EXPECT_EQ(out, "");
}

TEST_F(SettingsTest, DefaultSectionIsWizardAndTheFileIsPlainIni) {
  auto u = utilities();
  std::string name = "Greeting";
  std::string value = "hello";
  ASSERT_TRUE(u->QXSetSetting(name, value));
  const std::string text = test::readFile(qxdutils::defaultProfilePath());
  EXPECT_NE(text.find("[Wizard]"), std::string::npos);
  EXPECT_NE(text.find("Greeting=hello"), std::string::npos);
  std::string out;
  int32_t len = 100;
  std::string lower = "greeting";
  EXPECT_TRUE(u->QXGetSetting(lower, out, len, "WIZARD"));
  EXPECT_EQ(out, "hello");
  EXPECT_FALSE(u->QXGetSetting(name, out, len, "Other"));
}

TEST_F(SettingsTest, ValueEqualToTheSentinelReadsAsMissing) {
  auto u = utilities();
  std::string name = "odd";
  std::string value = "*?&NOTFOUND&?*";
  u->QXSetSetting(name, value);
  std::string out = "x";
  int32_t len = 50;
  EXPECT_FALSE(u->QXGetSetting(name, out, len));
  EXPECT_EQ(out, "");
}

TEST_F(SettingsTest, LateBoundGetSettingFillsTheByRefArguments) {
  Object u = createObject("QXVBUtils.QXUtilities");
  u->call("QXSetSetting", {Variant("k"), Variant("hello")});
  std::vector<Variant> args{Variant("k"), Variant(""), Variant(int32_t{3})};
  EXPECT_EQ(u->invoke("qxgetsetting", kMethod, args), Variant(true));
  EXPECT_EQ(args[1], Variant("hel"));
}

TEST_F(SettingsTest, SectionReaderGrowsItsBuffer) {
  auto vb = std::make_shared<QXDUtilsVB>();
  // Entries of 40 characters in all: a=123456789, b=123456789, c=12345678 plus NULs.
  vb->QXDUtilsVB_WriteSettingSection(
      Variant("S"), Variant(std::string("a=123456789\0b=123456789\0c=12345678\0", 36)),
      Variant(""));
  std::string value;
  EXPECT_EQ(vb->QXDUtilsVB_ReadSettingSectionNTS2("S", value, 16, 16, ""), 0);
  EXPECT_EQ(value.size(), 48U);
  EXPECT_EQ(value.substr(0, 36), std::string("a=123456789\0b=123456789\0c=12345678\0", 36));
  std::string untouched = "keep";
  EXPECT_EQ(vb->QXDUtilsVB_ReadSettingSectionNTS2("S", untouched, 16, 0, ""), 0);
  EXPECT_EQ(untouched, "keep");
}

TEST_F(SettingsTest, ForwardedMembersReachTheComponent) {
  auto vb = std::make_shared<QXDUtilsVB>();
  EXPECT_TRUE(vb->QXDUtilsVB_WriteSetting(Variant("Sec"), Variant("n"), Variant("7"),
                                          Variant("other.ini")));
  EXPECT_EQ(
      vb->QXDUtilsVB_ReadSetting(Variant("other.ini"), Variant("sec"), Variant("N"), Variant("d")),
      "7");
  EXPECT_EQ(vb->QXDUtilsVB_ReadSettingInt(Variant("Sec"), Variant("n"), Variant(int32_t{0}),
                                          Variant("other.ini")),
            7);
  EXPECT_EQ(vb->QXDUtilsVB_ReadSetting(Variant(""), Variant("Sec"), Variant("n"), Variant("d")),
            "d");
  std::string v1 = "1.10";
  std::string v2 = "1.9";
  EXPECT_EQ(vb->QXDUTILSVB_QXVersionCheck(v1, v2), 1);
  EXPECT_FALSE(vb->QXDUtilsVB_EncyFileExists(Variant("x")));
  EXPECT_TRUE(vb->QXDUtilsVB_SetUtilSetting(Variant("FolderGUID"), Variant("G1")));
  EXPECT_EQ(vb->QXDUtilsVB_GetUtilSetting(Variant("folderguid")), "G1");
  EXPECT_EQ(vb->QXDUTILSVB_ReadOrvixProfilePath(), qxdutils::defaultProfilePath().string());
  EXPECT_TRUE(vb->IsReservedFile("/x/QUILLANE.INI"));
  EXPECT_FALSE(vb->IsReservedFile("notes.txt"));
}

TEST_F(SettingsTest, TemporaryDataIsDeletedWhenTheLibraryUnloads) {
  const auto dir = test::freshFolder("tempdata");
  std::filesystem::create_directories(dir / "sub");
  test::writeFile(dir / "f.tmp", "x");
  {
    auto vb = sharedQXDUtilsVB();
    vb->TempDataFileToDelete((dir / "f.tmp").string());
    vb->TempDataFolderToDelete((dir / "sub").string());
  }
  EXPECT_TRUE(std::filesystem::exists(dir / "f.tmp"));
  unloadThread();
  EXPECT_FALSE(std::filesystem::exists(dir / "f.tmp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "sub"));
}

TEST_F(SettingsTest, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kPerProcess = 100;
  pid_t children[2];
  for (int p = 0; p < 2; ++p) {
    children[p] = test::forkChild([&] {
      auto u = std::make_shared<QXUtilities>();
      for (int i = 0; i < kPerProcess; ++i) {
        std::string name = "p" + std::to_string(p) + "_" + std::to_string(i);
        std::string value = std::to_string(i);
        u->QXSetSetting(name, value, "Race");
      }
      return true;
    });
    ASSERT_GE(children[p], 0);
  }
  for (pid_t c : children) EXPECT_EQ(test::exitCodeOf(c), 0);
  auto u = utilities();
  for (int p = 0; p < 2; ++p) {
    for (int i = 0; i < kPerProcess; ++i) {
      std::string name = "p" + std::to_string(p) + "_" + std::to_string(i);
      std::string out;
      int32_t len = 20;
      ASSERT_TRUE(u->QXGetSetting(name, out, len, "Race")) << name;
      EXPECT_EQ(out, std::to_string(i));
    }
  }
}

}  // namespace
}  // namespace qxvb
