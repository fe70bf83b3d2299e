#include "platform/registry/reg_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry/registry_store.h"
#include "platform/registry_test_folder.h"
#include "support/sandbox.h"

namespace qxvb::registry {
namespace {

constexpr RootKey kUser = RootKey::CurrentUser;

using RegFile = test::RegistryTest;

// UTF-16LE bytes with a byte-order mark, built without the library.
std::string utf16File(std::u16string_view text) {
  std::string bytes("\xFF\xFE", 2);
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string queryText(const std::string& path, const std::string& name) {
  std::uint32_t type = 0;
  Bytes data;
  if (queryValue(kUser, path, name, type, data) != kSuccess) return "<missing>";
  return std::string(data.begin(), data.end());
}

void writeSample() {
  const std::string key = "Software\\Sample";
  Bytes longBinary;
  for (int i = 0; i < 200; ++i) longBinary.push_back(static_cast<std::uint8_t>(i * 37));
  ASSERT_EQ(setValue(kUser, key, "", kRegSz, makeString("Vorgabe – défaut")), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Text \"q\" \\ ü", kRegSz, makeString("a \"b\" C:\\dir 世界")),
            kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Empty", kRegSz, makeString("")), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "NoTerminator", kRegSz, Bytes{'a', 'b'}), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Lines", kRegSz, makeString("one\r\ntwo")), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Expand", kRegExpandSz, makeString("%HOME%/Ordner")), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Number", kRegDword, makeDword(0xFEDCBA98)), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "ShortNumber", kRegDword, Bytes{1, 2, 3}), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Binary", kRegBinary, longBinary), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "NoBytes", kRegBinary, {}), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Multi", kRegMultiSz, makeMultiString({"α", "β γ", "𝄞"})),
            kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Quad", kRegQword, Bytes{1, 2, 3, 4, 5, 6, 7, 8}), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "None", kRegNone, {}), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Custom", 0x20001, Bytes{0xAB}), kSuccess);
  ASSERT_EQ(setValue(kUser, key + "\\Ünter\\Tiefer", "x", kRegDword, makeDword(1)), kSuccess);
  ASSERT_EQ(createKey(kUser, key + "\\Leer"), kSuccess);
}

std::vector<Value> allValues(const std::string& path) {
  std::vector<Value> values;
  listValues(kUser, path, values);
  return values;
}

bool sameValues(const std::vector<Value>& a, const std::vector<Value>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].data != b[i].data) return false;
  }
  return true;
}

TEST_F(RegFile, ExportThenImportRestoresEveryValueByteForByte) {
  writeSample();
  const std::vector<Value> before = allValues("Software\\Sample");
  const std::filesystem::path first = folder() / "first.reg";
  const std::filesystem::path second = folder() / "second.reg";
  std::string error;
  ASSERT_EQ(exportBranchToFile(kUser, "software\\sample", first, error), kSuccess) << error;

  ASSERT_EQ(deleteTree(kUser, "Software\\Sample"), kSuccess);
  const ImportResult result = importRegFile(first);
  ASSERT_TRUE(result.ok()) << result.errors.front();
  EXPECT_EQ(result.keys, 4u);
  EXPECT_EQ(result.values, before.size() + 1);

  EXPECT_TRUE(sameValues(allValues("Software\\Sample"), before));
  EXPECT_EQ(queryText("Software\\Sample\\ünter\\tiefer", "x"), std::string("\1\0\0\0", 4));
  EXPECT_EQ(openKey(kUser, "Software\\Sample\\Leer"), kSuccess);
  ASSERT_EQ(exportBranchToFile(kUser, "Software\\Sample", second, error), kSuccess) << error;
  EXPECT_EQ(test::readFile(first), test::readFile(second));
}

TEST_F(RegFile, ExportWritesTheRegeditLayout) {
  const std::string key = "Software\\Demo";
  ASSERT_EQ(setValue(kUser, key, "", kRegSz, makeString("dflt")), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Text", kRegSz, makeString("a \"b\" c:\\d")), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Num", kRegDword, makeDword(10)), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Bin", kRegBinary, Bytes{0x01, 0xAB}), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Exp", kRegExpandSz, makeString("%A%")), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Multi", kRegMultiSz, makeMultiString({"a", "é"})), kSuccess);
  ASSERT_EQ(setValue(kUser, key, "Q", kRegQword, Bytes{1, 0, 0, 0, 0, 0, 0, 0}), kSuccess);
  ASSERT_EQ(createKey(kUser, key + "\\Sub"), kSuccess);
  std::string text;
  ASSERT_EQ(exportBranchText(kUser, "SOFTWARE\\demo", text), kSuccess);
  EXPECT_EQ(text,
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Demo]\r\n"
            "@=\"dflt\"\r\n"
            "\"Text\"=\"a \\\"b\\\" c:\\\\d\"\r\n"
            "\"Num\"=dword:0000000a\r\n"
            "\"Bin\"=hex:01,ab\r\n"
            "\"Exp\"=hex(2):25,00,41,00,25,00,00,00\r\n"
            "\"Multi\"=hex(7):61,00,00,00,e9,00,00,00,00,00\r\n"
            "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Demo\\Sub]\r\n"
            "\r\n");
  EXPECT_EQ(encodeRegFile("[a]\r\n"), std::string("\xFF\xFE[\0a\0]\0\r\0\n\0", 12));
}

TEST_F(RegFile, LongHexLinesWrapAtEightyColumns) {
  ASSERT_EQ(setValue(kUser, "W", "Bin", kRegBinary, Bytes(60, 0x11)), kSuccess);
  std::string text;
  ASSERT_EQ(exportBranchText(kUser, "W", text), kSuccess);
  const std::size_t start = text.find("\"Bin\"=hex:");
  ASSERT_NE(start, std::string::npos);
  const std::string first = text.substr(start, text.find("\r\n", start) - start);
  // 23 bytes fit behind the name on the first line, 25 on the next ones.
  EXPECT_EQ(first.size(), 80u);
  EXPECT_EQ(first.back(), '\\');
  const std::size_t next = start + first.size() + 2;
  const std::string second = text.substr(next, text.find("\r\n", next) - next);
  EXPECT_EQ(second.substr(0, 4), "  11");
  EXPECT_EQ(second.size(), 78u);
  const std::size_t last = next + second.size() + 2;
  std::string third = "  11";
  for (int i = 1; i < 12; ++i) third += ",11";
  EXPECT_EQ(text.substr(last, text.find("\r\n", last) - last), third);
}

TEST_F(RegFile, ImportsAFileAsRegeditWritesIt) {
  ASSERT_EQ(setValue(kUser, "Software\\Vendor\\Product", "Gone", kRegSz, makeString("x")),
            kSuccess);
  ASSERT_EQ(setValue(kUser, "Software\\Vendor\\Old\\Deep", "v", kRegSz, makeString("x")), kSuccess);
  const std::string file = utf16File(
      u"Windows Registry Editor Version 5.00\r\n"
      u"\r\n"
      u"; exported settings\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Vendor\\Product]\r\n"
      u"\"Path\"=\"C:\\\\Program Files\\\\Product\"\r\n"
      u"\"Größe\"=dword:00000100\r\n"
      u"@=\"Standard\"\r\n"
      u"\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,"
      u"10,11,12,13,14,15,16,\\\r\n"
      u"  17,18\r\n"
      u"\"Env\"=hex(2):25,00,55,00,53,00,45,00,52,00,25,00,00,00\r\n"
      u"\"List\"=hex(7):e4,00,00,00,62,00,00,00,00,00\r\n"
      u"\"Gone\"=-\r\n"
      u"\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Vendor\\Product\\Sub]\r\n"
      u"\"x\"=\"1\"\r\n"
      u"\r\n"
      u"[-HKEY_CURRENT_USER\\Software\\Vendor\\Old]\r\n"
      u"\r\n");
  const ImportResult result = importRegText(file);
  ASSERT_TRUE(result.ok()) << result.errors.front();

  const std::string key = "Software\\Vendor\\Product";
  EXPECT_EQ(queryText(key, "Path"), std::string("C:\\Program Files\\Product\0", 25));
  EXPECT_EQ(queryText(key, "GRÖSSE"), "<missing>");
  EXPECT_EQ(queryText(key, "größe"), std::string("\0\1\0\0", 4));
  EXPECT_EQ(queryText(key, ""), std::string("Standard\0", 9));
  Bytes blob;
  for (int i = 0; i <= 0x18; ++i) blob.push_back(static_cast<std::uint8_t>(i));
  EXPECT_EQ(queryText(key, "Blob"), std::string(blob.begin(), blob.end()));
  EXPECT_EQ(queryText(key, "Env"), std::string("%USER%\0", 7));
  std::uint32_t type = 0;
  Bytes data;
  ASSERT_EQ(queryValue(kUser, key, "List", type, data), kSuccess);
  EXPECT_EQ(type, kRegMultiSz);
  EXPECT_EQ(readMultiString(data), (std::vector<std::string>{"ä", "b"}));
  EXPECT_EQ(queryText(key, "Gone"), "<missing>");
  EXPECT_EQ(queryText(key + "\\Sub", "x"), std::string("1\0", 2));
  EXPECT_EQ(openKey(kUser, "Software\\Vendor\\Old"), kFileNotFound);
}

TEST_F(RegFile, AcceptsUtf8AndTheOlderFormat) {
  ImportResult result = importRegText(
      "\xEF\xBB\xBFWindows Registry Editor Version "
      "5.00\n\n[HKEY_CURRENT_USER\\U8]\n"
      "\"name\"=\"Grüße\"\n");
  ASSERT_TRUE(result.ok()) << result.errors.front();
  EXPECT_EQ(queryText("U8", "name"), std::string("Grüße\0", 8));

  // The older format is 8-bit throughout, hex(2) data included.
  result = importRegText(
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Old]\r\n\"t\"=\"caf\xE9\"\r\n"
      "\"e\"=hex(2):25,41,25,00\r\n");
  ASSERT_TRUE(result.ok()) << result.errors.front();
  EXPECT_EQ(queryText("Old", "t"), std::string("café\0", 6));
  EXPECT_EQ(queryText("Old", "e"), std::string("%A%\0", 4));
}

TEST_F(RegFile, BadLinesAreReportedAndTheRestApplied) {
  const ImportResult result = importRegText(
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "[HKEY_CURRENT_USER\\Good]\n"
      "\"a\"=dword:1\n"
      "\"b\"=dword:123456789\n"
      "\"c\"=hex:zz\n"
      "\"d\"=\"unterminated\n"
      "\"e\"=something\n"
      "\"f\"=\"fine\"\n"
      "[HKEY_NOWHERE\\X]\n"
      "\"g\"=\"skipped\"\n"
      "[HKEY_CURRENT_USER\\Bad\\\\Name]\n"
      "garbage\n");
  ASSERT_EQ(result.errors.size(), 7u);
  EXPECT_EQ(result.errors[0].rfind("line 5:", 0), 0u) << result.errors[0];
  EXPECT_EQ(result.errors[4].rfind("line 10:", 0), 0u) << result.errors[4];
  EXPECT_EQ(result.errors[5].rfind("line 13:", 0), 0u) << result.errors[5];
  EXPECT_EQ(result.errors[6].rfind("line 12:", 0), 0u) << result.errors[6];
  EXPECT_EQ(queryText("Good", "a"), std::string("\1\0\0\0", 4));
  EXPECT_EQ(queryText("Good", "f"), std::string("fine\0", 5));
  EXPECT_EQ(queryText("Good", "b"), "<missing>");
}

TEST_F(RegFile, ATextWithoutTheHeaderChangesNothing) {
  const ImportResult result = importRegText("[HKEY_CURRENT_USER\\X]\n\"a\"=\"b\"\n");
  ASSERT_EQ(result.errors.size(), 1u);
  EXPECT_EQ(openKey(kUser, "X"), kFileNotFound);
  EXPECT_FALSE(importRegText("").ok());
  EXPECT_FALSE(importRegFile(folder() / "missing.reg").ok());
}

TEST_F(RegFile, ExportFailuresLeaveNoFileBehind) {
  std::string error;
  EXPECT_EQ(exportBranchToFile(kUser, "Missing", folder() / "m.reg", error), kFileNotFound);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(folder() / "m.reg"));

  ASSERT_EQ(createKey(kUser, "Present"), kSuccess);
  error.clear();
  EXPECT_NE(exportBranchToFile(kUser, "Present", folder() / "no-such-dir" / "p.reg", error),
            kSuccess);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(folder() / "no-such-dir"));
  ASSERT_EQ(exportBranchToFile(kUser, "Present", folder() / "p.reg", error), kSuccess);
  for (const auto& entry : std::filesystem::directory_iterator(folder())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "p.reg" || name == "config") << name;
  }
}

}  // namespace
}  // namespace qxvb::registry
