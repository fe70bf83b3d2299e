#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "network/dotnet/qx_dotnet.h"
#include "platform/registry/registry_store.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

constexpr registry::RootKey kMachine = registry::RootKey::LocalMachine;
const std::string kFramework = "SOFTWARE\\Microsoft\\.NETFramework";
const std::string kPolicy = kFramework + "\\policy";

void putString(const std::string& path, const std::string& name, const std::string& text) {
  ASSERT_EQ(registry::setValue(kMachine, path, name, registry::kRegSz, registry::makeString(text)),
            registry::kSuccess);
}

std::vector<std::string> texts(const Collection& collection) {
  std::vector<std::string> out;
  for (int32_t i = 1; i <= collection.Count(); ++i) {
    out.push_back(CStr(collection.Item(Variant(i))));
    EXPECT_FALSE(collection.keyAt(i).has_value());
  }
  return out;
}

class DotNetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::closeThreadConnections();
    registry::deleteTree(kMachine, "SOFTWARE\\Microsoft");
    installRoot = test::freshFolder("framework");
    d = std::static_pointer_cast<QX_DotNet>(createObject("QXVBUtils.QX_DotNet"));
  }
  void TearDown() override {
    d.reset();
    unloadThread();
  }

  // The keys an installation of versions 1.1 and 2.0 leaves, with their
  // framework folders.
  void installClassicVersions() {
    putString(kPolicy + "\\v1.1", "4322", "3706-4322");
    putString(kPolicy + "\\v2.0", "50727", "50727-50727");
    putString(kPolicy + "\\Upgrades", "2.0.50727", "1.1.4322-2.0.50727");
    putString(kPolicy + "\\standards", "v2.0.50727", "1");
    putString(kFramework, "InstallRoot", installRoot.string() + "/");
    std::filesystem::create_directories(installRoot / "v1.1.4322");
    std::filesystem::create_directories(installRoot / "v2.0.50727");
  }

  std::filesystem::path installRoot;
  std::shared_ptr<QX_DotNet> d;
};

TEST_F(DotNetTest, PolicyKeysGiveTheInstalledVersions) {
  installClassicVersions();
  EXPECT_EQ(texts(*d->QX_DN_GetDotNetVersionsAll()),
            (std::vector<std::string>{"1.1.4322", "2.0.50727"}));
  EXPECT_TRUE(d->QX_DN_IsDotNetInstalled());
  EXPECT_EQ(d->QX_DN_GetDotNetVersionLatest(), "2.0.50727");
}

TEST_F(DotNetTest, OnlyVersionKeysWithANumericStringValueCount) {
  putString(kPolicy + "\\x3.0", "1", "1");
  putString(kPolicy + "\\vNext", "1", "1");
  putString(kPolicy + "\\v", "1", "1");
  putString(kPolicy + "\\V4.0", "30319", "30319");
  putString(kPolicy + "\\v3.5", "notanumber", "1");
  registry::setValue(kMachine, kPolicy + "\\v3.0", "4506", registry::kRegDword,
                     registry::makeDword(1));
  putString(kPolicy + "\\v3.0", "label", "x");
  putString(kPolicy + "\\v3.0", "30", "first");
  putString(kPolicy + "\\v3.0", "31", "second");
  EXPECT_EQ(texts(*d->QX_DN_GetDotNetVersionsAll()),
            (std::vector<std::string>{"3.0.30", "4.0.30319"}));
}

TEST_F(DotNetTest, LatestComparesVersionsNumerically) {
  putString(kPolicy + "\\v10.0", "1", "1");
  putString(kPolicy + "\\v2.0", "50727", "1");
  putString(kPolicy + "\\v9.0", "99999", "1");
  EXPECT_EQ(d->QX_DN_GetDotNetVersionLatest(), "10.0.1");
}

TEST_F(DotNetTest, FrameworkPathIsTheExistingVersionFolder) {
  installClassicVersions();
  EXPECT_EQ(d->QX_DN_GetDotNetFrameworkPath(), (installRoot / "v2.0.50727").string());
  EXPECT_EQ(d->QX_DN_GetDotNetFrameworkPath("1.1.4322"), (installRoot / "v1.1.4322").string());
  EXPECT_EQ(d->QX_DN_GetDotNetFrameworkPath("3.0"), "");
  EXPECT_EQ(d->QX_DN_GetDotNetFrameworkPath("defaults to latest version"), "");

  putString(kFramework, "InstallRoot", installRoot.string());
  EXPECT_EQ(d->QX_DN_GetDotNetFrameworkPath("2.0.50727"), (installRoot / "v2.0.50727").string());
}

TEST_F(DotNetTest, NoFrameworkAnswersNeutrally) {
  EXPECT_EQ(d->QX_DN_GetDotNetVersionsAll()->Count(), 0);
  EXPECT_FALSE(d->QX_DN_IsDotNetInstalled());
  EXPECT_EQ(d->QX_DN_GetDotNetVersionLatest(), "");
  EXPECT_EQ(d->QX_DN_GetDotNetFrameworkPath(), "");
  EXPECT_EQ(d->QX_DN_GetDotNetFrameworkPath("2.0.50727"), "");
}

TEST_F(DotNetTest, UserKeysAreNotTheMachines) {
  registry::setValue(registry::RootKey::CurrentUser, kPolicy + "\\v2.0", "50727", registry::kRegSz,
                     registry::makeString("1"));
  EXPECT_FALSE(d->QX_DN_IsDotNetInstalled());
  registry::deleteTree(registry::RootKey::CurrentUser, "SOFTWARE\\Microsoft");
}

TEST_F(DotNetTest, LateBoundCalls) {
  installClassicVersions();
  Object net = createObject("QXVBUtils.QX_DotNet");
  EXPECT_TRUE(CBool(net->call("QX_DN_IsDotNetInstalled")));
  EXPECT_EQ(CStr(net->call("qx_dn_getdotnetversionlatest")), "2.0.50727");
  EXPECT_EQ(CStr(net->call("QX_DN_GetDotNetFrameworkPath")), (installRoot / "v2.0.50727").string());
  EXPECT_EQ(CStr(net->call("QX_DN_GetDotNetFrameworkPath", {Variant("1.1.4322")})),
            (installRoot / "v1.1.4322").string());
  const Object all = CObj(net->call("QX_DN_GetDotNetVersionsAll"));
  EXPECT_EQ(CLng(all->getProperty("Count")), 2);
  EXPECT_EQ(globalInstanceOf<QX_DotNet>("QX_DotNet")->QX_DN_GetDotNetVersionLatest(), "2.0.50727");
}

}  // namespace
}  // namespace qxvb
