#include "platform/registry/registry_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry_test_folder.h"
#include "support/sandbox.h"

namespace qxvb::registry {
namespace {

constexpr RootKey kUser = RootKey::CurrentUser;
constexpr RootKey kMachine = RootKey::LocalMachine;

using RegistryStore = test::RegistryTest;

std::vector<std::string> subKeys(RootKey root, const std::string& path) {
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; enumKey(root, path, i, name) == kSuccess; ++i) names.push_back(name);
  return names;
}

std::vector<std::string> valueNames(RootKey root, const std::string& path) {
  std::vector<std::string> names;
  Value value;
  for (std::uint32_t i = 0; enumValue(root, path, i, value) == kSuccess; ++i) {
    names.push_back(value.name);
  }
  return names;
}

std::string queryText(RootKey root, const std::string& path, const std::string& name) {
  std::uint32_t type = 0;
  Bytes data;
  if (queryValue(root, path, name, type, data) != kSuccess) return "<missing>";
  return readString(data);
}

TEST_F(RegistryStore, KeysMatchWithoutRegardToCaseAndKeepTheirFirstCase) {
  bool created = false;
  ASSERT_EQ(createKey(kUser, "Software\\MyApp\\Ärger", &created), kSuccess);
  EXPECT_TRUE(created);
  EXPECT_EQ(createKey(kUser, "SOFTWARE\\myapp\\ärger", &created), kSuccess);
  EXPECT_FALSE(created);
  EXPECT_EQ(openKey(kUser, "software\\MYAPP\\ÄRGER"), kSuccess);
  std::string stored;
  ASSERT_EQ(storedPath(kUser, "software\\myapp\\ÄRGER", stored), kSuccess);
  EXPECT_EQ(stored, "Software\\MyApp\\Ärger");
  EXPECT_EQ(subKeys(kUser, "software"), std::vector<std::string>{"MyApp"});

  ASSERT_EQ(setValue(kUser, "software\\myapp", "Colour", kRegSz, makeString("red")), kSuccess);
  ASSERT_EQ(setValue(kUser, "Software\\MyApp", "COLOUR", kRegSz, makeString("blue")), kSuccess);
  EXPECT_EQ(valueNames(kUser, "Software\\MyApp"), std::vector<std::string>{"Colour"});
  EXPECT_EQ(queryText(kUser, "SOFTWARE\\MYAPP", "colour"), "blue");
}

TEST_F(RegistryStore, PathsIgnoreOuterBackslashesAndRefuseEmptyComponents) {
  ASSERT_EQ(createKey(kUser, "\\A\\B\\"), kSuccess);
  EXPECT_EQ(openKey(kUser, "A\\B"), kSuccess);
  EXPECT_EQ(createKey(kUser, "A\\\\B"), kInvalidParameter);
  EXPECT_EQ(openKey(kUser, "A\\\\B"), kInvalidParameter);
  EXPECT_EQ(openKey(kUser, "A\\C"), kFileNotFound);
  EXPECT_EQ(openKey(kUser, ""), kSuccess);
}

TEST_F(RegistryStore, SubKeysEnumerateInCaseInsensitiveNameOrder) {
  for (const char* name : {"b", "_x", "A", "c", "Ab"}) {
    ASSERT_EQ(createKey(kUser, std::string("Order\\") + name), kSuccess);
  }
  // Names compare in upper case, so "_" sorts after the letters.
  EXPECT_EQ(subKeys(kUser, "Order"), (std::vector<std::string>{"A", "Ab", "b", "c", "_x"}));
  std::string name;
  EXPECT_EQ(enumKey(kUser, "Order", 5, name), kNoMoreItems);
  EXPECT_EQ(enumKey(kUser, "Missing", 0, name), kFileNotFound);
}

TEST_F(RegistryStore, ValuesEnumerateInCreationOrderAndKeepTheirPlaceWhenOverwritten) {
  for (const char* name : {"zeta", "alpha", "mid"}) {
    ASSERT_EQ(setValue(kUser, "V", name, kRegSz, makeString(name)), kSuccess);
  }
  ASSERT_EQ(setValue(kUser, "V", "ALPHA", kRegDword, makeDword(7)), kSuccess);
  EXPECT_EQ(valueNames(kUser, "V"), (std::vector<std::string>{"zeta", "alpha", "mid"}));
  ASSERT_EQ(deleteValue(kUser, "V", "zeta"), kSuccess);
  ASSERT_EQ(setValue(kUser, "V", "zeta", kRegSz, makeString("back")), kSuccess);
  EXPECT_EQ(valueNames(kUser, "V"), (std::vector<std::string>{"alpha", "mid", "zeta"}));

  Value value;
  ASSERT_EQ(enumValue(kUser, "V", 0, value), kSuccess);
  EXPECT_EQ(value.type, kRegDword);
  EXPECT_EQ(readDword(value.data), 7u);
  EXPECT_EQ(enumValue(kUser, "V", 3, value), kNoMoreItems);
}

TEST_F(RegistryStore, EnumerationByIndexFollowsChangesMadeBetweenCalls) {
  ASSERT_EQ(createKey(kUser, "E\\b"), kSuccess);
  ASSERT_EQ(createKey(kUser, "E\\d"), kSuccess);
  std::string name;
  ASSERT_EQ(enumKey(kUser, "E", 0, name), kSuccess);
  EXPECT_EQ(name, "b");
  ASSERT_EQ(createKey(kUser, "E\\a"), kSuccess);
  ASSERT_EQ(enumKey(kUser, "E", 1, name), kSuccess);
  EXPECT_EQ(name, "b");

  for (const char* value : {"v1", "v2", "v3"}) {
    ASSERT_EQ(setValue(kUser, "E", value, kRegDword, makeDword(1)), kSuccess);
  }
  Value value;
  ASSERT_EQ(enumValue(kUser, "E", 0, value), kSuccess);
  EXPECT_EQ(value.name, "v1");
  ASSERT_EQ(deleteValue(kUser, "E", "v1"), kSuccess);
  ASSERT_EQ(enumValue(kUser, "E", 1, value), kSuccess);
  EXPECT_EQ(value.name, "v3");
}

TEST_F(RegistryStore, EveryTypeRoundTripsByteForByte) {
  const Bytes binary{0x00, 0xFF, 0x0A, 0x00};
  const Bytes odd{0x01, 0x02, 0x03};
  struct Case {
    const char* name;
    std::uint32_t type;
    Bytes data;
  };
  const std::vector<Case> cases = {
      {"sz", kRegSz, makeString("Grüße, 世界")},
      {"expand", kRegExpandSz, makeString("%HOME%/bin")},
      {"binary", kRegBinary, binary},
      {"empty", kRegBinary, {}},
      {"dword", kRegDword, makeDword(0xDEADBEEF)},
      {"multi", kRegMultiSz, makeMultiString({"one", "two", "drei"})},
      {"qword", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"custom", 0x12345u, odd},
  };
  for (const Case& c : cases) ASSERT_EQ(setValue(kUser, "Types", c.name, c.type, c.data), kSuccess);
  for (const Case& c : cases) {
    std::uint32_t type = 0;
    Bytes data{9};
    ASSERT_EQ(queryValue(kUser, "Types", c.name, type, data), kSuccess) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
  }
}

TEST_F(RegistryStore, DataHelpersFollowTheWindowsLayouts) {
  EXPECT_EQ(makeString("ab"), (Bytes{'a', 'b', 0}));
  EXPECT_EQ(readString(Bytes{'a', 'b', 0, 'c'}), "ab");
  EXPECT_EQ(readString(Bytes{'a', 'b'}), "ab");
  EXPECT_EQ(makeDword(0x0A0B0C0D), (Bytes{0x0D, 0x0C, 0x0B, 0x0A}));
  EXPECT_EQ(readDword(Bytes{1, 2, 3}), std::nullopt);
  EXPECT_EQ(makeMultiString({"a", "bc"}), (Bytes{'a', 0, 'b', 'c', 0, 0}));
  EXPECT_EQ(readMultiString(makeMultiString({"a", "bc"})), (std::vector<std::string>{"a", "bc"}));
  EXPECT_TRUE(readMultiString(makeMultiString({})).empty());
}

TEST_F(RegistryStore, DefaultValueIsTheUnnamedOne) {
  std::uint32_t type = 0;
  Bytes data;
  EXPECT_EQ(queryValue(kUser, "D", "", type, data), kFileNotFound);
  ASSERT_EQ(setValue(kUser, "D", "", kRegSz, makeString("default")), kSuccess);
  ASSERT_EQ(setValue(kUser, "D", "other", kRegSz, makeString("x")), kSuccess);
  EXPECT_EQ(queryText(kUser, "D", ""), "default");
  EXPECT_EQ(valueNames(kUser, "D"), (std::vector<std::string>{"", "other"}));
  ASSERT_EQ(deleteValue(kUser, "D", ""), kSuccess);
  EXPECT_EQ(queryText(kUser, "D", ""), "<missing>");
}

TEST_F(RegistryStore, DeletingAKeyWithSubKeysIsRefused) {
  ASSERT_EQ(setValue(kUser, "P\\Child", "v", kRegDword, makeDword(1)), kSuccess);
  ASSERT_EQ(setValue(kUser, "P", "w", kRegDword, makeDword(2)), kSuccess);
  EXPECT_EQ(deleteKey(kUser, "P"), kAccessDenied);
  std::uint32_t type = 0;
  Bytes data;
  EXPECT_EQ(queryValue(kUser, "P", "w", type, data), kSuccess);
  EXPECT_EQ(openKey(kUser, "P\\Child"), kSuccess);

  EXPECT_EQ(deleteKey(kUser, "P\\child"), kSuccess);
  EXPECT_EQ(deleteKey(kUser, "P\\Child"), kFileNotFound);
  EXPECT_EQ(deleteKey(kUser, "p"), kSuccess);
  EXPECT_EQ(openKey(kUser, "P"), kFileNotFound);
  EXPECT_EQ(deleteKey(kUser, ""), kAccessDenied);

  // The values of a deleted key do not come back with a new key of that name.
  ASSERT_EQ(createKey(kUser, "P"), kSuccess);
  EXPECT_TRUE(valueNames(kUser, "P").empty());
}

TEST_F(RegistryStore, DeletingMissingThingsAnswersNotFound) {
  ASSERT_EQ(createKey(kUser, "K"), kSuccess);
  EXPECT_EQ(deleteValue(kUser, "K", "nothing"), kFileNotFound);
  EXPECT_EQ(deleteValue(kUser, "NoKey", "nothing"), kFileNotFound);
  EXPECT_EQ(deleteKey(kUser, "NoKey"), kFileNotFound);
  EXPECT_EQ(deleteTree(kUser, "NoKey"), kFileNotFound);
}

TEST_F(RegistryStore, DeleteTreeRemovesTheWholeBranch) {
  ASSERT_EQ(setValue(kUser, "T\\A\\B", "v", kRegDword, makeDword(1)), kSuccess);
  ASSERT_EQ(setValue(kUser, "T\\A", "w", kRegDword, makeDword(2)), kSuccess);
  ASSERT_EQ(setValue(kUser, "T\\Keep", "k", kRegDword, makeDword(3)), kSuccess);
  ASSERT_EQ(deleteTree(kUser, "t\\a"), kSuccess);
  EXPECT_EQ(openKey(kUser, "T\\A"), kFileNotFound);
  EXPECT_EQ(subKeys(kUser, "T"), std::vector<std::string>{"Keep"});
  ASSERT_EQ(createKey(kUser, "T\\A\\B"), kSuccess);
  EXPECT_TRUE(valueNames(kUser, "T\\A\\B").empty());
}

TEST_F(RegistryStore, NameLimitsAreThoseOfWindows) {
  const std::string longest(kMaxKeyNameChars, 'k');
  EXPECT_EQ(createKey(kUser, "L\\" + longest), kSuccess);
  EXPECT_EQ(createKey(kUser, "L\\" + longest + "k"), kInvalidParameter);
  // The limit counts characters, not bytes.
  std::string wide;
  for (std::size_t i = 0; i < kMaxKeyNameChars; ++i) wide += "é";
  EXPECT_EQ(createKey(kUser, "L\\" + wide), kSuccess);

  const std::string longName(kMaxValueNameChars, 'v');
  EXPECT_EQ(setValue(kUser, "L", longName, kRegDword, makeDword(1)), kSuccess);
  EXPECT_EQ(setValue(kUser, "L", longName + "v", kRegDword, makeDword(1)), kInvalidParameter);
  EXPECT_EQ(setValue(kUser, "L", std::string("a\0b", 3), kRegDword, makeDword(1)),
            kInvalidParameter);
  EXPECT_EQ(setValue(kUser, "L", "\xFF\xFE", kRegDword, makeDword(1)), kInvalidParameter);

  std::string deep = "Deep";
  for (std::size_t i = 1; i < kMaxKeyDepth; ++i) deep += "\\d";
  EXPECT_EQ(createKey(kUser, deep), kSuccess);
  EXPECT_EQ(createKey(kUser, deep + "\\d"), kInvalidParameter);
}

TEST_F(RegistryStore, SmallBuffersAnswerMoreData) {
  ASSERT_EQ(createKey(kUser, "B\\ëlevenchars"), kSuccess);
  ASSERT_EQ(setValue(kUser, "B", "name", kRegBinary, Bytes(10, 1)), kSuccess);
  std::string name;
  EXPECT_EQ(enumKey(kUser, "B", 0, name, 10), kMoreData);
  EXPECT_EQ(enumKey(kUser, "B", 0, name, 11), kSuccess);
  std::uint32_t type = 0;
  Bytes data;
  EXPECT_EQ(queryValue(kUser, "B", "name", type, data, 9), kMoreData);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(queryValue(kUser, "B", "name", type, data, 10), kSuccess);
  Value value;
  EXPECT_EQ(enumValue(kUser, "B", 0, value, 3), kMoreData);
  EXPECT_EQ(enumValue(kUser, "B", 0, value, 4, 9), kMoreData);
  EXPECT_EQ(enumValue(kUser, "B", 0, value, 4, 10), kSuccess);
}

TEST_F(RegistryStore, QueryInfoCountsCharactersAndBytes) {
  ASSERT_EQ(createKey(kUser, "I\\short"), kSuccess);
  ASSERT_EQ(createKey(kUser, "I\\längerer"), kSuccess);
  ASSERT_EQ(setValue(kUser, "I", "ß", kRegBinary, Bytes(17, 0)), kSuccess);
  ASSERT_EQ(setValue(kUser, "I", "abc", kRegDword, makeDword(1)), kSuccess);
  KeyInfo info;
  ASSERT_EQ(queryInfo(kUser, "I", info), kSuccess);
  EXPECT_EQ(info.subKeys, 2u);
  EXPECT_EQ(info.maxSubKeyNameChars, 8u);
  EXPECT_EQ(info.values, 2u);
  EXPECT_EQ(info.maxValueNameChars, 3u);
  EXPECT_EQ(info.maxValueDataBytes, 17u);
  EXPECT_EQ(queryInfo(kUser, "Nope", info), kFileNotFound);
}

TEST_F(RegistryStore, RootKeysLiveInTheirOwnDatabases) {
  EXPECT_EQ(databasePath(kUser), folder() / "config" / "qxvbutils" / "registry-hkcu.sqlite");
  EXPECT_EQ(databasePath(kMachine), folder() / "machine" / "registry-hklm.sqlite");
  ASSERT_EQ(setValue(kUser, "Same", "who", kRegSz, makeString("user")), kSuccess);
  ASSERT_EQ(setValue(kMachine, "Same", "who", kRegSz, makeString("machine")), kSuccess);
  EXPECT_EQ(queryText(kUser, "Same", "who"), "user");
  EXPECT_EQ(queryText(kMachine, "Same", "who"), "machine");
}

TEST_F(RegistryStore, XdgDefaultsApplyWhenTheVariablesAreUnset) {
  const std::string home = getenv("HOME");
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("QXVB_MACHINE_DIR");
  EXPECT_EQ(databasePath(kUser),
            std::filesystem::path(home) / ".config" / "qxvbutils" / "registry-hkcu.sqlite");
  EXPECT_EQ(databasePath(kMachine), "/var/lib/qxvbutils/registry-hklm.sqlite");
}

TEST_F(RegistryStore, AliasedAndRefusedRoots) {
  ASSERT_EQ(setValue(RootKey::ClassesRoot, ".txt", "", kRegSz, makeString("txtfile")), kSuccess);
  EXPECT_EQ(queryText(kMachine, "Software\\Classes\\.TXT", ""), "txtfile");
  EXPECT_EQ(subKeys(RootKey::ClassesRoot, ""), std::vector<std::string>{".txt"});
  EXPECT_EQ(deleteKey(RootKey::ClassesRoot, ""), kAccessDenied);

  // A root that holds nothing yet reads as an empty key.
  std::string name;
  EXPECT_EQ(openKey(RootKey::CurrentConfig, ""), kSuccess);
  EXPECT_EQ(enumKey(RootKey::CurrentConfig, "", 0, name), kNoMoreItems);

  EXPECT_EQ(setValue(RootKey::Users, "x", "v", kRegDword, makeDword(1)), kAccessDenied);
  EXPECT_EQ(openKey(RootKey::Users, ""), kAccessDenied);
  EXPECT_EQ(openKey(static_cast<RootKey>(0x80000004u), ""), kInvalidHandle);
  EXPECT_EQ(databasePath(static_cast<RootKey>(12)), std::filesystem::path());
}

TEST_F(RegistryStore, ReadsDoNotCreateTheDatabase) {
  std::string name;
  EXPECT_EQ(openKey(kUser, "Anything"), kFileNotFound);
  EXPECT_EQ(enumKey(kUser, "", 0, name), kNoMoreItems);
  EXPECT_FALSE(std::filesystem::exists(databasePath(kUser)));
  EXPECT_EQ(firstFailure(), "");
}

TEST_F(RegistryStore, RootNamesParseInFullAndShortForm) {
  EXPECT_EQ(parseRootName("hkey_current_user"), kUser);
  EXPECT_EQ(parseRootName("HKLM"), kMachine);
  EXPECT_EQ(parseRootName("HKEY_NOWHERE"), std::nullopt);
  EXPECT_EQ(rootName(RootKey::ClassesRoot), "HKEY_CLASSES_ROOT");
  const auto split = splitRootPath("HKCU\\Software\\X");
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(split->first, kUser);
  EXPECT_EQ(split->second, "Software\\X");
  EXPECT_EQ(splitRootPath("Software\\X"), std::nullopt);
}

TEST_F(RegistryStore, ATransactionCommitsTogetherOrNotAtAll) {
  Status status = runInTransaction(kUser, [] {
    setValue(kUser, "Tx", "a", kRegDword, makeDword(1));
    setValue(kUser, "Tx", "b", kRegDword, makeDword(2));
    return kAccessDenied;
  });
  EXPECT_EQ(status, kAccessDenied);
  EXPECT_EQ(openKey(kUser, "Tx"), kFileNotFound);

  status = runInTransaction(kUser, [] {
    setValue(kUser, "Tx", "a", kRegDword, makeDword(1));
    // A failing call inside leaves the calls before it in place.
    EXPECT_EQ(deleteKey(kUser, "Tx\\Missing"), kFileNotFound);
    return setValue(kUser, "Tx", "b", kRegDword, makeDword(2));
  });
  EXPECT_EQ(status, kSuccess);
  EXPECT_EQ(valueNames(kUser, "Tx"), (std::vector<std::string>{"a", "b"}));
}

TEST_F(RegistryStore, ACorruptDatabaseReadsAsNotFoundAndRefusesWrites) {
  const std::filesystem::path file = databasePath(kUser);
  std::filesystem::create_directories(file.parent_path());
  std::string garbage;
  for (int i = 0; i < 8192; ++i) garbage += static_cast<char>((i * 7919) % 251);
  test::writeFile(file, garbage);

  std::uint32_t type = 0;
  Bytes data;
  std::string name;
  EXPECT_EQ(openKey(kUser, "Software"), kFileNotFound);
  EXPECT_EQ(queryValue(kUser, "Software", "v", type, data), kFileNotFound);
  EXPECT_EQ(enumKey(kUser, "", 0, name), kNoMoreItems);
  EXPECT_EQ(setValue(kUser, "Software", "v", kRegDword, makeDword(1)), kBadDatabase);
  EXPECT_EQ(deleteKey(kUser, "Software"), kBadDatabase);
  EXPECT_NE(firstFailure().find(file.string()), std::string::npos) << firstFailure();
  // The garbage is left as it was, for someone to look at.
  EXPECT_EQ(test::readFile(file), garbage);
  // The other root is unaffected.
  EXPECT_EQ(setValue(kMachine, "Software", "v", kRegDword, makeDword(1)), kSuccess);
}

TEST_F(RegistryStore, AnUnwritableLocationFailsWritesWithoutCrashing) {
  // A plain file where the folder should be: nothing can be created there.
  test::writeFile(folder() / "machine", "not a folder");
  EXPECT_NE(setValue(kMachine, "S", "v", kRegDword, makeDword(1)), kSuccess);
  EXPECT_EQ(openKey(kMachine, "S"), kFileNotFound);
  EXPECT_NE(firstFailure(), "");
  EXPECT_EQ(setValue(kUser, "S", "v", kRegDword, makeDword(1)), kSuccess);
}

}  // namespace
}  // namespace qxvb::registry
