// Audit identifiers, item names, character classes and property labels.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "frame/automation_error.h"
#include "frame/dispatch.h"
#include "frame/module_state.h"
#include "frame/string_table.h"
#include "support/errors.h"
#include "support/sandbox.h"
#include "text/qxutilities.h"

namespace qxvb {
namespace {

using test::expectError;

TEST(FixAuditIdTest, CutsReplacesAndKeepsTheLastPathPart) {
  QXUtilities u;
  EXPECT_EQ(u.QX_Util_FixAuditID("abcdefghij"), "abcdefg");
  EXPECT_EQ(u.QX_Util_FixAuditID("C:\\users\\jsmith"), "jsmith");
  EXPECT_EQ(u.QX_Util_FixAuditID("O'Neil"), "O`Neil");
  EXPECT_EQ(u.QX_Util_FixAuditID("a\"b"), "a``b");
  EXPECT_EQ(u.QX_Util_FixAuditID("dom\\"), "");
  EXPECT_EQ(u.QX_Util_FixAuditID("ÄÖÜäöüßxyz"), "ÄÖÜäöüß");
  EXPECT_EQ(u.QX_Util_AutidIDFromString("dom\\averylongname"), "averylo");
}

TEST(FixAuditIdTest, EmptyTextRaises45489) {
  QXUtilities u;
  try {
    u.QX_Util_FixAuditID("");
    ADD_FAILURE();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 45489);
    EXPECT_EQ(e.source(), "QX_Util_FixAuditID");
    EXPECT_EQ(e.description(), localString(41136));
  }
  expectError(45489, [&] { u.QX_Util_AutidIDFromString(""); });
}

TEST(FixAuditIdTest, ReservedTextsRaise45490) {
  QXUtilities u;
  const std::string system = localString(55456);
  const std::string import = localString(55096);
  try {
    u.QX_Util_FixAuditID(system);
    ADD_FAILURE();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 45490);
    EXPECT_EQ(e.source(), "QX_Util_FixAuditID");
    EXPECT_EQ(e.description(), formatLocalString(localString(41146), Variant(system)));
  }
  std::string lowerSystem = system;
  for (char& c : lowerSystem) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  expectError(45490, [&] { u.QX_Util_FixAuditID(lowerSystem); });
  expectError(45490, [&] { u.QX_Util_FixAuditID(import); });
  // Only the first reserved text is compared without regard to case.
  std::string lowerImport = import;
  for (char& c : lowerImport) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(u.QX_Util_FixAuditID(lowerImport), lowerImport.substr(0, 7));
}

TEST(PermittedAuditIdTest, Rules) {
  QXUtilities u;
  EXPECT_TRUE(u.QX_Util_IsPermittedAuditId(Variant("abcdefg")));
  EXPECT_FALSE(u.QX_Util_IsPermittedAuditId(Variant("abcdefgh")));
  EXPECT_FALSE(u.QX_Util_IsPermittedAuditId(Variant("ab\\c")));
  EXPECT_FALSE(u.QX_Util_IsPermittedAuditId(Variant("       ")));
  EXPECT_FALSE(u.QX_Util_IsPermittedAuditId(Variant("")));
  EXPECT_FALSE(u.QX_Util_IsPermittedAuditId(Variant("O'Neil")));
  EXPECT_FALSE(u.QX_Util_IsPermittedAuditId(Variant("a\"b")));
  EXPECT_TRUE(u.QX_Util_IsPermittedAuditId(Variant(int32_t{1234})));
  // In a UTF-8 locale each of these letters takes two bytes.
  EXPECT_FALSE(u.QX_Util_IsPermittedAuditId(Variant("ÄÖÜä")));
}

TEST(PermittedAuditIdTest, AllReservedTextsIgnoreCase) {
  QXUtilities u;
  for (int32_t id : {55456, 55096, 55097}) {
    std::string text = localString(id);
    EXPECT_FALSE(u.QX_Util_IsPermittedAuditId(Variant(text))) << text;
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_FALSE(u.QX_Util_IsPermittedAuditId(Variant(text))) << text;
  }
}

TEST(ItemNameTest, LengthBlanksAndForbiddenCharacters) {
  QXUtilities u;
  EXPECT_EQ(u.QX_Util_GetMaximumItemNameLength(), 80);
  EXPECT_TRUE(u.QX_Util_IsValidItemName(std::string(80, 'n')));
  EXPECT_FALSE(u.QX_Util_IsValidItemName(std::string(81, 'n')));
  EXPECT_TRUE(u.QX_Util_IsValidItemName(std::string(40, ' ') + std::string(40, 'n')));
  // Characters, not bytes, are counted.
  std::string umlauts;
  for (int k = 0; k < 80; ++k) umlauts += "ä";
  EXPECT_TRUE(u.QX_Util_IsValidItemName(umlauts));
  EXPECT_FALSE(u.QX_Util_IsValidItemName("    "));
  EXPECT_FALSE(u.QX_Util_IsValidItemName(""));
  for (char bad : {'"', '\t', '\r', '\n', '\0', '\b'}) {
    EXPECT_FALSE(u.QX_Util_IsValidItemName(std::string("ab") + bad + "cd")) << int(bad);
  }
  EXPECT_TRUE(u.QX_Util_IsValidItemName("Customer's order (new)"));
}

TEST(CharacterClassTest, AsciiClassesOnly) {
  QXUtilities u;
  EXPECT_TRUE(u.QX_Util_IsAlphaBetical("abcXYZ"));
  EXPECT_FALSE(u.QX_Util_IsAlphaBetical("abc1"));
  EXPECT_FALSE(u.QX_Util_IsAlphaBetical("é"));
  EXPECT_FALSE(u.QX_Util_IsAlphaBetical(""));
  EXPECT_TRUE(u.QX_Util_IsAlphaNumeric("a1B2"));
  EXPECT_FALSE(u.QX_Util_IsAlphaNumeric("a_1"));
  EXPECT_FALSE(u.QX_Util_IsAlphaNumeric(""));
  EXPECT_TRUE(u.QX_Util_IsNumericOnly("0123"));
  EXPECT_FALSE(u.QX_Util_IsNumericOnly("-1"));
  EXPECT_FALSE(u.QX_Util_IsNumericOnly("１"));
  EXPECT_FALSE(u.QX_Util_IsNumericOnly(std::string("1\0", 2)));
}

TEST(CharacterClassTest, TextsOverTheSixteenBitCounterOverflow) {
  QXUtilities u;
  EXPECT_TRUE(u.QX_Util_IsNumericOnly(std::string(32767, '7')));
  expectError(vberr::Overflow, [&] { u.QX_Util_IsNumericOnly(std::string(32768, '7')); });
  expectError(vberr::Overflow, [&] { u.QX_Util_IsAlphaBetical(std::string(40000, '-')); });
  std::string wide;
  for (int k = 0; k < 32767; ++k) wide += "é";
  EXPECT_FALSE(u.QX_Util_IsAlphaNumeric(wide));
  expectError(vberr::Overflow, [&] { u.QX_Util_IsAlphaNumeric(wide + "é"); });
}

// Points this thread's string table at a folder holding a label file,
// and back again afterwards.
class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test::freshFolder("labels");
    std::vector<Variant> args{Variant(folder_.string())};
    stringTableObject()->invoke("SetStringtablePath", kMethod, args);
  }
  void TearDown() override {
    std::vector<Variant> args{Variant(stringTableFolderFor(libraryFolder()))};
    stringTableObject()->invoke("SetStringtablePath", kMethod, args);
  }
  void writeLabels(const std::string& text) {
    test::writeFile(folder_ / "merrin-labels.txt", text);
  }

  std::filesystem::path folder_;
  QXUtilities u;
};

TEST_F(LabelTest, ExactMinorTypeWinsOverAnyMinorType) {
  writeLabels("# labels\n1\t*\tName\tItem name\r\n1\t2\tname\tDiagram title\n2\t0\tName\tOther\n");
  EXPECT_EQ(u.QX_Util_GetLabelForPropertyInType(1, 2, "Name"), "Diagram title");
  EXPECT_EQ(u.QX_Util_GetLabelForPropertyInType(1, 5, "NAME"), "Item name");
  EXPECT_EQ(u.QX_Util_GetLabelForPropertyInType(2, 0, "Name"), "Other");
}

TEST_F(LabelTest, UnknownLabelGivesTheUntouchedBuffer) {
  writeLabels("1\t*\tName\tItem name\nbroken line\n");
  EXPECT_EQ(u.QX_Util_GetLabelForPropertyInType(9, 9, "Name"), std::string(256, ' '));
  EXPECT_EQ(u.QX_Util_GetLabelForPropertyInType(1, 1, "Other"), std::string(256, ' '));
  std::filesystem::remove(folder_ / "merrin-labels.txt");
  EXPECT_EQ(u.QX_Util_GetLabelForPropertyInType(1, 1, "Name"), std::string(256, ' '));
}

TEST_F(LabelTest, LongLabelsAreCutToTheBuffer) {
  std::string label;
  for (int k = 0; k < 200; ++k) label += "ä";
  writeLabels("3\t1\tNote\t" + label + "\n");
  const std::string got = u.QX_Util_GetLabelForPropertyInType(3, 1, "Note");
  // 255 bytes are free before the NUL; a two-byte letter must not be split.
  EXPECT_EQ(got, label.substr(0, 254));
}

TEST_F(LabelTest, LateBoundIntegersOutOfRangeOverflow) {
  writeLabels("1\t*\tName\tItem name\n");
  std::vector<Variant> args{Variant(int32_t{1}), Variant(int32_t{70000}), Variant("Name")};
  expectError(vberr::Overflow,
              [&] { u.invoke("QX_Util_GetLabelForPropertyInType", kMethod, args); });
  std::vector<Variant> good{Variant("1"), Variant(2.0), Variant("Name")};
  EXPECT_EQ(u.invoke("QX_Util_GetLabelForPropertyInType", kMethod, good), Variant("Item name"));
}

}  // namespace
}  // namespace qxvb
