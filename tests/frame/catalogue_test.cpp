#include <gtest/gtest.h>

#include "support/errors.h"

#include <thread>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/err_object.h"
#include "frame/error_codes.h"
#include "frame/module_state.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "text/qxutilities.h"

namespace qxvb {
namespace {

using test::errorNumber;

TEST(Catalogue, EveryPublicClassHasItsIdentifiersAndInstancing) {
  const auto& classes = Catalogue::instance().classes();
  int library = 0;
  for (const auto& c : classes) {
    if (!c.partOfLibrary) continue;
    ++library;
    EXPECT_EQ(c.progId, "QXVBUtils." + c.name);
    EXPECT_EQ(c.clsid.size(), 38U) << c.name;
    EXPECT_EQ(c.iid.size(), 38U) << c.name;
  }
  EXPECT_EQ(library, 22);
  const ClassInfo* u = Catalogue::instance().find("{72fd17f3-5b74-4eda-b97c-c777d234b264}");
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->name, "QXUtilities");
  EXPECT_EQ(u->instancing, Instancing::GlobalMultiUse);
  EXPECT_EQ(Catalogue::instance().findByInterface("{17128178-A59C-428A-8D30-9D1A2EC19FAA}"), u);
  EXPECT_EQ(Catalogue::instance().find("QXVBUtils.ShOpenDirTV")->eventIid,
            "{E32C8D2C-8DAD-4DAA-8C64-61DC1BCE8B94}");
}

TEST(Catalogue, CreationFollowsInstancing) {
  EXPECT_NE(createObject("qxvbutils.qxutilities"), nullptr);
  EXPECT_NE(createObject("QXVBUtils.QXCommonDlg"), nullptr);
  EXPECT_EQ(errorNumber([] { createObject("QXVBUtils.QXOpenFileName"); }), 429);
  EXPECT_EQ(errorNumber([] { createObject("QXVBUtils.QX_RegistryKey"); }), 429);
  EXPECT_EQ(errorNumber([] { createObject("No.SuchClass"); }), 429);
  EXPECT_NE(createInternal("QXOpenFileName"), nullptr);
}

TEST(Catalogue, GlobalInstancesAreOnePerThread) {
  Object a = globalInstance("QXUtilities");
  EXPECT_EQ(a, globalInstance("QXUtilities"));
  Object other;
  std::thread t([&] {
    other = globalInstance("QXUtilities");
    unloadThread();
  });
  t.join();
  EXPECT_NE(a, other);
  EXPECT_EQ(errorNumber([] { globalInstance("QXCommonDlg"); }), 429);
}

TEST(ErrorCodes, ValuesAsPublished) {
  EXPECT_EQ(enuErrorUnknownLogFile, static_cast<int32_t>(0x80040001));
  EXPECT_EQ(enuUnableToOpenFile, enuUnableToOpenConnection);
  EXPECT_EQ(enuErrorBlankAuditIDNotAllowed, static_cast<int32_t>(0x8004000B));
  EXPECT_EQ(QX_MAX_SERVERNANE, 32);
  EXPECT_EQ(QX_MAX_SERVERNAME, 512);
  EXPECT_EQ(QX_CMD_BUTTON_WIDTH, 1095);
}

TEST(ModuleState, StringTableFolderRule) {
  EXPECT_EQ(stringTableFolderFor("/work/QXVBUtils/bin"), "/work/win32/bin");
  EXPECT_EQ(stringTableFolderFor("/work/qxvbutils/bin"), "/work/win32/bin");
  EXPECT_EQ(stringTableFolderFor("/opt/product/lib"), "/opt/product/lib");
  EXPECT_EQ(stringTableFolderFor("/opt/QXVBUtilsX/lib"), "/opt/win32/bin");
}

TEST(ModuleState, LoadCreatesTheStringTableAndUnloadReleasesIt) {
  unloadThread();
  EXPECT_FALSE(threadLoaded());
  createObject("QXVBUtils.QXEnums");
  EXPECT_TRUE(threadLoaded());
  EXPECT_EQ(localString(55067), "[oledb]");
  EXPECT_EQ(formatLocalString("%1 and %2, not %3", Variant("a"), Variant(int32_t{2})),
            "a and 2, not %3");
  int released = 0;
  atThreadUnload([&] { ++released; });
  unloadThread();
  EXPECT_EQ(released, 1);
  EXPECT_FALSE(threadLoaded());
}

TEST(QXUtilitiesFrame, SaveErrInfoWithDefaults) {
  Object u = createObject("QXVBUtils.QXUtilities");
  const Variant r = u->call("QXSaveErrInfo", {Variant(int32_t{5}), Variant("a"), Variant("b")});
  const auto info = QXErrInfo::fromRecord(*r.get<Record>());
  EXPECT_EQ(info.Number, 5);
  EXPECT_EQ(info.Source, "a");
  EXPECT_EQ(info.Description, "b");
  EXPECT_EQ(info.HelpFile, "");
  EXPECT_EQ(info.HelpContextID, Variant(""));
  // The help context is copied unchanged, whatever its type.
  const Variant r2 = u->call("qxsaveerrinfo", {Variant(int32_t{1}), Variant("s"), Variant("d"),
                                               Variant("h.chm"), Variant(2.5)});
  EXPECT_EQ(*r2.get<Record>()->field("HelpContextID"), Variant(2.5));
}

TEST(QXUtilitiesFrame, SaveErrInfoFromErrReadsTheErrorObject) {
  auto err =
      std::make_shared<ErrObject>(AutomationError(70, "src", "Permission denied", "f.hlp", 12));
  Object u = createObject("QXVBUtils.QXUtilities");
  const Variant r = u->call("QXSaveErrInfoFromErr", {Variant(Object(err))});
  const auto info = QXErrInfo::fromRecord(*r.get<Record>());
  EXPECT_EQ(info.Number, 70);
  EXPECT_EQ(info.Source, "src");
  EXPECT_EQ(info.HelpFile, "f.hlp");
  EXPECT_EQ(info.HelpContextID, Variant(int32_t{12}));
  EXPECT_EQ(errorNumber([&] { u->call("QXSaveErrInfoFromErr", {Variant(Object())}); }), 91);
  // An object without the error properties fails while being read.
  EXPECT_EQ(errorNumber([&] { u->call("QXSaveErrInfoFromErr", {Variant(u)}); }), 438);
}

}  // namespace
}  // namespace qxvb
