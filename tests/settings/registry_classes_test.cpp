#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "platform/registry/registry_store.h"
#include "registry_fixture.h"
#include "settings/registry/qx_registry.h"
#include "settings/registry/qx_registry_key.h"
#include "settings/registry/qx_registry_value.h"
#include "support/errors.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

using test::errorNumber;

constexpr int32_t kHKUsers = static_cast<int32_t>(0x80000003u);

class RegistryClassesTest : public test::RegistrySettingsTest {
 protected:
  void SetUp() override {
    RegistrySettingsTest::SetUp();
    registry::deleteTree(kUser, "Software\\Raw");
  }

  std::shared_ptr<QX_Registry> reg() {
    return std::static_pointer_cast<QX_Registry>(createObject("QXVBUtils.QX_Registry"));
  }

  static std::shared_ptr<QX_RegistryValue> valueAt(const Collection& c, int32_t i) {
    return std::dynamic_pointer_cast<QX_RegistryValue>(CObj(c.Item(Variant(i))));
  }
  static std::shared_ptr<QX_RegistryKey> keyAt(const Collection& c, int32_t i) {
    return std::dynamic_pointer_cast<QX_RegistryKey>(CObj(c.Item(Variant(i))));
  }
};

TEST_F(RegistryClassesTest, MissingValuesAndKeysReadAsNotFound) {
  auto r = reg();
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "nothing"), "Not Found");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "nothing", "NoApp", "NoSection"), "Not Found");
  r->QX_Reg_WriteSetting(kHKCU, "present", 1, Variant("x"), "App");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "absent", "App"), "Not Found");
  EXPECT_EQ(r->QX_Reg_ReadRegistry(kHKCU, "Software\\Nowhere", "x"), "Not Found");
}

TEST_F(RegistryClassesTest, NumbersReadWithAtLeastThreeDigitsAndStringsAsWritten) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKCU, "five", 4, Variant(5), "App", "Sec");
  r->QX_Reg_WriteSetting(kHKCU, "big", 4, Variant(1234), "App", "Sec");
  r->QX_Reg_WriteSetting(kHKCU, "minus", 4, Variant(-1), "App", "Sec");
  r->QX_Reg_WriteSetting(kHKCU, "text", 1, Variant("abc"), "App", "Sec");
  r->QX_Reg_WriteSetting(kHKCU, "empty", 1, Variant(""), "App", "Sec");
  r->QX_Reg_WriteSetting(kHKCU, "wide", 1, Variant("Grüße €"), "App", "Sec");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "five", "App", "Sec"), "005");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "big", "App", "Sec"), "1234");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "minus", "App", "Sec"), "4294967295");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "text", "App", "Sec"), "abc");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "empty", "App", "Sec"), "");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "wide", "App", "Sec"), "Grüße €");
}

TEST_F(RegistryClassesTest, WritesLandBelowTheProductKeyWithThePlatformTypes) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKCU, "n", 4, Variant("12"), "App", "Sec");
  r->QX_Reg_WriteSetting(kHKCU, "s", 1, Variant(3.5), "", "OnlySection");
  r->QX_Reg_WriteSetting(kHKCU, "top", 1, Variant("t"));
  std::uint32_t type = 0;
  registry::Bytes data;
  ASSERT_EQ(registry::queryValue(kUser, kProduct + "\\App\\Sec", "n", type, data),
            registry::kSuccess);
  EXPECT_EQ(type, registry::kRegDword);
  EXPECT_EQ(registry::readDword(data), 12u);
  ASSERT_EQ(registry::queryValue(kUser, kProduct + "\\OnlySection", "s", type, data),
            registry::kSuccess);
  EXPECT_EQ(type, registry::kRegSz);
  EXPECT_EQ(data, registry::makeString("3.5"));
  EXPECT_EQ(registry::queryValue(kUser, kProduct, "top", type, data), registry::kSuccess);
}

TEST_F(RegistryClassesTest, OtherTypeNumbersAreStoredAsStringsWithoutTerminator) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKCU, "odd", 3, Variant("abc"), "App");
  std::uint32_t type = 0;
  registry::Bytes data;
  ASSERT_EQ(registry::queryValue(kUser, kProduct + "\\App", "odd", type, data), registry::kSuccess);
  EXPECT_EQ(type, registry::kRegSz);
  EXPECT_EQ(data, registry::Bytes({'a', 'b', 'c'}));
  // Read back, the last character goes as if it were the terminator.
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "odd", "App"), "ab");
}

TEST_F(RegistryClassesTest, ValuesThatDoNotConvertAreWrittenEmpty) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKCU, "n", 4, Variant("abc"), "App");
  r->QX_Reg_WriteSetting(kHKCU, "big", 4, Variant(1e12), "App");
  r->QX_Reg_WriteSetting(kHKCU, "s", 1, Variant::null(), "App");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "n", "App"), "000");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "big", "App"), "000");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "s", "App"), "");
}

TEST_F(RegistryClassesTest, RawReadsRenderBinaryAsHexAndRefuseLongData) {
  registry::setValue(kUser, "Software\\Raw", "bin", registry::kRegBinary, {0x0A, 0xFF});
  registry::setValue(kUser, "Software\\Raw", "bare", registry::kRegSz, {'x', 'y', 'z'});
  registry::setValue(kUser, "Software\\Raw", "accent", registry::kRegSz, {'a', 0xC3, 0xA9});
  registry::setValue(kUser, "Software\\Raw", "fits", registry::kRegSz,
                     registry::makeString(std::string(2047, 'a')));
  registry::setValue(kUser, "Software\\Raw", "long", registry::kRegSz,
                     registry::makeString(std::string(2048, 'a')));
  registry::setValue(kUser, "Software\\Raw", "wide", registry::kRegSz,
                     registry::makeString(std::string(2000, 'a') + "éééé"));
  auto r = reg();
  EXPECT_EQ(r->QX_Reg_ReadRegistry(kHKCU, "Software\\Raw", "bin"), "0AFF");
  EXPECT_EQ(r->QX_Reg_ReadRegistry(kHKCU, "Software\\Raw", "bare"), "xy");
  EXPECT_EQ(r->QX_Reg_ReadRegistry(kHKCU, "Software\\Raw", "accent"), "a");
  registry::setValue(kUser, "Software\\Raw", "latin", registry::kRegSz, {'d', 0xE9, 'j', 0xE0, 0});
  EXPECT_EQ(r->QX_Reg_ReadRegistry(kHKCU, "Software\\Raw", "latin"), "déjà");
  EXPECT_EQ(r->QX_Reg_ReadRegistry(kHKCU, "Software\\Raw", "fits"), std::string(2047, 'a'));
  EXPECT_EQ(r->QX_Reg_ReadRegistry(kHKCU, "Software\\Raw", "long"), "Not Found");
  EXPECT_EQ(r->QX_Reg_ReadRegistry(kHKCU, "software\\raw", "WIDE"),
            std::string(2000, 'a') + "éééé");
}

TEST_F(RegistryClassesTest, ReadAllSettingsKeepsStringsAndNumbersKeyedByPath) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKCU, "s", 1, Variant("text"), "App", "Sec");
  registry::setValue(kUser, kProduct + "\\App\\Sec", "b", registry::kRegBinary, {1, 2, 3});
  r->QX_Reg_WriteSetting(kHKCU, "n", 4, Variant(7), "App", "Sec");
  const auto all = r->QX_Reg_ReadAllSettings(kHKCU, "App", "Sec");
  ASSERT_EQ(all->Count(), 2);
  const auto first = valueAt(*all, 1);
  EXPECT_EQ(first->Name(), "s");
  EXPECT_EQ(first->Value(), "text");
  EXPECT_EQ(first->KeyType(), 1);
  EXPECT_EQ(first->Key()->Name(), "Sec");
  EXPECT_EQ(first->Key()->Section(), kProduct + "\\App");
  EXPECT_EQ(first->Key()->HKey(), kHKCU);
  const auto second = valueAt(*all, 2);
  EXPECT_EQ(second->Value(), "007");
  EXPECT_EQ(second->KeyType(), 4);
  EXPECT_TRUE(all->hasKey("-2147483647\\" + kProduct + "\\App\\Sec\\n"));
  EXPECT_TRUE(all->hasKey("-2147483647\\" + kProduct + "\\App\\Sec\\S"));
  EXPECT_EQ(r->QX_Reg_ReadAllSettings(kHKCU, "Nothing", "Here")->Count(), 0);
}

TEST_F(RegistryClassesTest, EnumerationsEndAtTheFirstNotFound) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKCU, "a", 1, Variant("1"), "App");
  r->QX_Reg_WriteSetting(kHKCU, "b", 1, Variant("Not Found"), "App");
  r->QX_Reg_WriteSetting(kHKCU, "c", 1, Variant("3"), "App");
  EXPECT_EQ(r->QX_Reg_ReadAllSettings(kHKCU, "App")->Count(), 1);

  registry::setValue(kUser, kProduct + "\\Long", "a", registry::kRegSz, registry::makeString("1"));
  registry::setValue(kUser, kProduct + "\\Long", "b", registry::kRegSz,
                     registry::makeString(std::string(3000, 'x')));
  registry::setValue(kUser, kProduct + "\\Long", "c", registry::kRegSz, registry::makeString("3"));
  EXPECT_EQ(r->QX_Reg_ReadAllSettings(kHKCU, "Long")->Count(), 1);

  registry::setValue(kUser, kProduct + "\\Names", "a", registry::kRegSz, registry::makeString("1"));
  registry::setValue(kUser, kProduct + "\\Names", std::string(2048, 'n'), registry::kRegSz,
                     registry::makeString("2"));
  registry::setValue(kUser, kProduct + "\\Names", "c", registry::kRegSz, registry::makeString("3"));
  EXPECT_EQ(r->QX_Reg_ReadAllSettings(kHKCU, "Names")->Count(), 1);

  registry::createKey(kUser, kProduct + "\\Keys\\Alpha");
  registry::createKey(kUser, kProduct + "\\Keys\\Not Found");
  registry::createKey(kUser, kProduct + "\\Keys\\Zulu");
  EXPECT_EQ(r->QX_Reg_ReadAllSubKeys(kHKCU, "Keys")->Count(), 1);
}

TEST_F(RegistryClassesTest, SubKeysComeInNameOrderKeyedByRootSectionAndName) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKCU, "v", 1, Variant("1"), "App", "beta");
  r->QX_Reg_WriteSetting(kHKCU, "v", 1, Variant("1"), "App", "Alpha");
  const auto keys = r->QX_Reg_ReadAllSubKeys(kHKCU, "App");
  ASSERT_EQ(keys->Count(), 2);
  EXPECT_EQ(keyAt(*keys, 1)->Name(), "Alpha");
  EXPECT_EQ(keyAt(*keys, 2)->Name(), "beta");
  EXPECT_EQ(keyAt(*keys, 1)->Section(), kProduct + "\\App");
  EXPECT_EQ(keyAt(*keys, 1)->HKey(), kHKCU);
  EXPECT_TRUE(keys->hasKey("-2147483647\\" + kProduct + "\\App\\beta"));

  const auto raw = r->QXReg_ReadAllSubKeys(kHKCU, kProduct);
  ASSERT_EQ(raw->Count(), 1);
  EXPECT_EQ(keyAt(*raw, 1)->Name(), "App");
  EXPECT_EQ(r->QXReg_ReadAllSubKeys(kHKCU, "Software\\Nowhere")->Count(), 0);
}

TEST_F(RegistryClassesTest, DeletesRemoveValuesAndLeafKeysOnly) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKCU, "v", 1, Variant("1"), "App", "Sec");
  r->QX_Reg_WriteSetting(kHKCU, "w", 1, Variant("2"), "App");
  r->QX_Reg_DeleteKey(kHKCU, "App");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "w", "App"), "2");
  r->QX_Reg_DeleteSetting(kHKCU, "v", "App", "Sec");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "v", "App", "Sec"), "Not Found");
  r->QX_Reg_DeleteKey(kHKCU, "App", "Sec");
  EXPECT_NE(registry::openKey(kUser, kProduct + "\\App\\Sec"), registry::kSuccess);
  r->QX_Reg_DeleteKey(kHKCU, "App");
  EXPECT_NE(registry::openKey(kUser, kProduct + "\\App"), registry::kSuccess);
  r->QX_Reg_DeleteSetting(kHKCU, "gone", "NoApp");
  r->QX_Reg_DeleteKey(kHKCU, "NoApp");
}

TEST_F(RegistryClassesTest, RootKeysAreSeparateAndOthersAnswerNeutrally) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKLM, "m", 1, Variant("machine"));
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKLM, "m"), "machine");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "m"), "Not Found");
  r->QX_Reg_WriteSetting(kHKUsers, "u", 1, Variant("x"));
  r->QX_Reg_WriteSetting(12345, "u", 1, Variant("x"));
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKUsers, "u"), "Not Found");
  EXPECT_EQ(r->QX_Reg_ReadSetting(12345, "u"), "Not Found");
  EXPECT_EQ(r->QX_Reg_ReadAllSubKeys(12345)->Count(), 0);
  EXPECT_EQ(r->QX_Reg_ReadAllSettings(kHKUsers)->Count(), 0);
  r->QX_Reg_DeleteKey(12345);
}

TEST_F(RegistryClassesTest, BadNamesFailSilently) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKCU, std::string("a\0b", 3), 1, Variant("x"), "App");
  r->QX_Reg_WriteSetting(kHKCU, "v", 1, Variant("x"), "Bad\\\\Path");
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, std::string("a\0b", 3), "App"), "Not Found");
  // The key is made even when its value cannot be stored.
  EXPECT_EQ(registry::openKey(kUser, kProduct + "\\App"), registry::kSuccess);
  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "v", "Bad\\\\Path"), "Not Found");
}

TEST_F(RegistryClassesTest, CorruptStoreReadsNotFoundAndWritesNothing) {
  auto r = reg();
  r->QX_Reg_WriteSetting(kHKCU, "v", 1, Variant("1"), "App");
  const std::filesystem::path file = registry::databasePath(kUser);
  registry::closeThreadConnections();
  const std::string saved = test::readFile(file);
  std::filesystem::remove(file.string() + "-wal");
  std::filesystem::remove(file.string() + "-shm");
  test::writeFile(file, std::string(8192, 'x'));

  EXPECT_EQ(r->QX_Reg_ReadSetting(kHKCU, "v", "App"), "Not Found");
  EXPECT_NO_THROW(r->QX_Reg_WriteSetting(kHKCU, "w", 1, Variant("2"), "App"));
  EXPECT_EQ(r->QX_Reg_ReadAllSettings(kHKCU, "App")->Count(), 0);
  EXPECT_EQ(r->QX_Reg_ReadAllSubKeys(kHKCU)->Count(), 0);
  EXPECT_NO_THROW(r->QX_Reg_DeleteKey(kHKCU, "App"));
  EXPECT_EQ(test::readFile(file), std::string(8192, 'x'));

  registry::closeThreadConnections();
  std::filesystem::remove(file);
  registry::clearFailures();
}

TEST_F(RegistryClassesTest, LateBoundCallsTakeDefaultsAndPassPlainNamesBack) {
  Object r = createObject("QXVBUtils.QX_Registry");
  r->call("QX_Reg_WriteSetting", {Variant(kHKCU), Variant("n"), Variant(4), Variant("42")});
  r->call("qx_reg_writesetting", {Variant(kHKCU), Variant("s"), Variant(1), Variant("hi"),
                                  Variant::missing(), Variant("Sec")});
  EXPECT_EQ(CStr(r->call("QX_Reg_ReadSetting", {Variant(kHKCU), Variant("n")})), "042");
  EXPECT_EQ(CStr(r->call("QX_Reg_ReadSetting",
                         {Variant(kHKCU), Variant("s"), Variant(""), Variant("Sec")})),
            "hi");

  std::vector<Variant> args{Variant("-2147483647"), Variant(kProduct), Variant("N")};
  EXPECT_EQ(CStr(r->invoke("QX_Reg_ReadRegistry", kMethod, args)), "042");
  EXPECT_EQ(args[0], Variant(kHKCU));

  const Object all = CObj(r->call("QX_Reg_ReadAllSettings", {Variant(kHKCU)}));
  EXPECT_EQ(CLng(all->getProperty("Count")), 1);
  const Object value = CObj(all->call("Item", {Variant(1)}));
  EXPECT_EQ(CStr(value->getProperty("Value")), "042");
  EXPECT_EQ(CLng(value->getProperty("KeyType")), 4);
  const Object key = CObj(value->getProperty("Key"));
  EXPECT_EQ(CStr(key->getProperty("Name")), "Quillane");
  EXPECT_EQ(CStr(key->getProperty("Section")), "Software\\Brackwell");
  EXPECT_EQ(CLng(key->getProperty("HKey")), kHKCU);

  EXPECT_EQ(errorNumber([&] { r->call("QX_Reg_ReadSetting", {Variant(kHKCU)}); }), 449);
  EXPECT_EQ(errorNumber([&] { r->call("QX_Reg_ReadSetting", {Variant("x"), Variant("n")}); }), 13);
  EXPECT_EQ(errorNumber([&] { key->putProperty("Name", Variant("other")); }), 438);
}

TEST_F(RegistryClassesTest, GlobalInstanceAndHandedOutClasses) {
  auto global = globalInstanceOf<QX_Registry>("QX_Registry");
  global->QX_Reg_WriteSetting(kHKCU, "g", 1, Variant("1"));
  EXPECT_EQ(globalInstanceOf<QX_Registry>("QX_Registry"), global);
  EXPECT_EQ(errorNumber([] { createObject("QXVBUtils.QX_RegistryValue"); }), 429);

  const Object key = createInternal("QX_RegistryKey");
  const Object value = createInternal("QX_RegistryValue");
  std::vector<Variant> args{Variant(key), Variant("name"), Variant("4"), Variant(7)};
  value->invoke("Init", kMethod, args);
  EXPECT_EQ(CObj(value->getProperty("Key")), key);
  EXPECT_EQ(CStr(value->getProperty("Name")), "name");
  EXPECT_EQ(CLng(value->getProperty("KeyType")), 4);
  EXPECT_EQ(CStr(value->getProperty("Value")), "7");
  EXPECT_EQ(CStr(key->getProperty("Name")), "");

  value->call("Init", {Variant(Object()), Variant("n"), Variant(1), Variant("v")});
  EXPECT_EQ(CObj(value->getProperty("Key")), nullptr);
  EXPECT_EQ(errorNumber([&] {
              value->call("Init", {Variant(value), Variant("n"), Variant(1), Variant("v")});
            }),
            13);
}

}  // namespace
}  // namespace qxvb
