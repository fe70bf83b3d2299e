// Regedit files written by Windows in 8-bit code pages: REGEDIT4 files and
// "5.00" headers over ANSI bytes, decoded in the ANSI code page of the
// locale's language or in the code page the caller names.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <string>

#include "platform/ansi.h"
#include "platform/registry/reg_file.h"
#include "platform/registry/registry_store.h"
#include "platform/registry_test_folder.h"
#include "support/sandbox.h"

namespace qxvb::registry {
namespace {

namespace fs = std::filesystem;

// Encodes UTF-8 text as the iconv program does, as a file a user has.
std::string encoded(const fs::path& folder, const std::string& utf8, const std::string& charset) {
  const fs::path in = folder / "utf8.txt";
  const fs::path out = folder / ("encoded-" + charset);
  test::writeFile(in, utf8);
  const std::string command =
      "iconv -f UTF-8 -t " + charset + " '" + in.string() + "' > '" + out.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return test::readFile(out);
}

std::string textOf(const std::string& path, const std::string& name) {
  std::uint32_t type = 0;
  Bytes data;
  if (queryValue(RootKey::CurrentUser, path, name, type, data) != kSuccess) return "<missing>";
  std::string text(data.begin(), data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

class LocaleScope {
 public:
  explicit LocaleScope(const char* locale) {
    const char* old = std::getenv("LC_ALL");
    saved_ = old != nullptr ? old : "";
    hadOne_ = old != nullptr;
    setenv("LC_ALL", locale, 1);
  }
  ~LocaleScope() {
    if (hadOne_) {
      setenv("LC_ALL", saved_.c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
  }

 private:
  std::string saved_;
  bool hadOne_ = false;
};

using RegistryEncodings = test::RegistryTest;

TEST(AnsiCodePage, FollowsTheLanguageOfTheLocale) {
  EXPECT_EQ(ansi::windowsCodePageOf("en_US.UTF-8"), 1252);
  EXPECT_EQ(ansi::windowsCodePageOf("C"), 1252);
  EXPECT_EQ(ansi::windowsCodePageOf("ru_RU.UTF-8"), 1251);
  EXPECT_EQ(ansi::windowsCodePageOf("zh_CN.GB18030"), 936);
  EXPECT_EQ(ansi::windowsCodePageOf("zh_TW.UTF-8"), 950);
  EXPECT_EQ(ansi::windowsCodePageOf("ja_JP"), 932);
  EXPECT_EQ(ansi::windowsCodePageOf("pl_PL@euro"), 1250);
  EXPECT_EQ(ansi::windowsCodePageOf("lt_LT"), 1257);
  EXPECT_EQ(ansi::codePageToUtf8("\x80\x92", "1252"), "€’");
  EXPECT_EQ(ansi::codePageToUtf8("\x80\x92", "cp1252"), "€’");
  EXPECT_EQ(ansi::codePageToUtf8("\xC4\xE3", "GBK"), "你");
  EXPECT_FALSE(ansi::codePageToUtf8("x", "no-such-page").has_value());
}

TEST_F(RegistryEncodings, Cp1252FileUnderAnEnglishLocale) {
  const LocaleScope locale("en_US.UTF-8");
  const std::string file = encoded(folder(),
                                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Enc]\r\n"
                                   "\"Price\"=\"5 € – it’s «fine»\"\r\n"
                                   "\"Café\"=\"naïve\"\r\n",
                                   "CP1252");
  ASSERT_NE(file.find('\x80'), std::string::npos);
  const ImportResult result = importRegText(file);
  EXPECT_TRUE(result.ok()) << (result.errors.empty() ? "" : result.errors[0]);
  EXPECT_EQ(textOf("Software\\Enc", "Price"), "5 € – it’s «fine»");
  EXPECT_EQ(textOf("Software\\Enc", "Café"), "naïve");
}

TEST_F(RegistryEncodings, GbkFileWithAVersion5HeaderUnderAChineseLocale) {
  const LocaleScope locale("zh_CN.UTF-8");
  const std::string file = encoded(folder(),
                                   "Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\Software\\模型]\r\n"
                                   "\"名称\"=\"数据模型 工具\"\r\n",
                                   "GBK");
  const ImportResult result = importRegText(file);
  EXPECT_TRUE(result.ok()) << (result.errors.empty() ? "" : result.errors[0]);
  EXPECT_EQ(textOf("Software\\模型", "名称"), "数据模型 工具");
}

TEST_F(RegistryEncodings, Cp1251FileWithHexStringsUnderARussianLocale) {
  const LocaleScope locale("ru_RU.UTF-8");
  const fs::path sub = test::freshFolder("cp1251");
  // "Привет" in cp1251 as the hex(2) bytes regedit writes, NUL-terminated.
  const std::string file = encoded(sub,
                                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Текст]\r\n"
                                   "\"Имя\"=\"Иван\"\r\n"
                                   "\"Путь\"=hex(2):cf,f0,e8,e2,e5,f2,00\r\n",
                                   "CP1251");
  const ImportResult result = importRegText(file);
  EXPECT_TRUE(result.ok()) << (result.errors.empty() ? "" : result.errors[0]);
  EXPECT_EQ(textOf("Software\\Текст", "Имя"), "Иван");
  EXPECT_EQ(textOf("Software\\Текст", "Путь"), "Привет");
}

TEST_F(RegistryEncodings, TheCallerNamesTheCodePage) {
  const LocaleScope locale("en_US.UTF-8");
  const std::string file = encoded(folder(),
                                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Named]\r\n"
                                   "\"Title\"=\"表格\"\r\n",
                                   "GBK");
  EXPECT_TRUE(importRegText(file, "936").ok());
  EXPECT_EQ(textOf("Software\\Named", "Title"), "表格");
  // UTF-8 text stays UTF-8 whatever the code page.
  EXPECT_TRUE(importRegText("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Named]\r\n"
                            "\"Plain\"=\"déjà\"\r\n",
                            "1251")
                  .ok());
  EXPECT_EQ(textOf("Software\\Named", "Plain"), "déjà");
}

TEST_F(RegistryEncodings, TextAfterTheClosingQuoteIsNamedAsSuch) {
  const ImportResult result = importRegText(
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Q]\r\n\"a\"=\"a \"b\"\"\r\n\"c\"=\"open\r\n");
  ASSERT_EQ(result.errors.size(), 2u);
  EXPECT_NE(result.errors[0].find("text after the closing quote"), std::string::npos)
      << result.errors[0];
  EXPECT_NE(result.errors[1].find("no closing quote"), std::string::npos) << result.errors[1];
}

}  // namespace
}  // namespace qxvb::registry
