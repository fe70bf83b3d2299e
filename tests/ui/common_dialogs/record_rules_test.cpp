// The record rules of the common dialogs, without windows: the file
// buffer between calls, nFileOffset and nFileExt, the results built from
// the buffer, the filter form, colour digit order and font sizes.
#include <gtest/gtest.h>

#include <string>

#include "frame/vb_conversions.h"
#include "support/errors.h"
#include "ui/common_dialogs/color_request.h"
#include "ui/common_dialogs/comdlg_flags.h"
#include "ui/common_dialogs/dialog_records.h"
#include "ui/common_dialogs/file_name_buffer.h"
#include "ui/common_dialogs/font_record.h"
#include "ui/common_dialogs/qx_common_dlg.h"

namespace qxvb::test {
namespace {

using namespace qxvb::gui;
using namespace std::string_literals;

std::string spaces(size_t n) {
  return std::string(n, ' ');
}

TEST(FileBufferTest, EachCallAppendsABufferAndTheFlags) {
  QXCommonDlg dlg;
  dlg.FileDialog().set(ofn::flags, Variant(OFN_ALLOWMULTISELECT));
  dlg.prepareFileRecord(4711, kDefaultOpenFlags);
  DialogRecord& r = dlg.FileDialog();
  EXPECT_EQ(r.str(ofn::sFile), spaces(65535) + '\0');
  EXPECT_EQ(r.lng(ofn::nFileSize), 65536);
  EXPECT_EQ(r.str(ofn::sFileTitle), spaces(65536));
  EXPECT_EQ(r.lng(ofn::nTitleSize), 65536);
  EXPECT_EQ(r.lng(ofn::nStructSize), 76);
  EXPECT_EQ(r.lng(ofn::hwndOwner), 4711);
  EXPECT_EQ(r.lng(ofn::flags), 0x380004 | 0x200);

  // The answer goes over the head of the buffer; the rest stays.
  ASSERT_EQ(storeFileAnswer(r, {{"/home/ann/Models/Größe.cfg"}, 2}), 1);
  const std::string file = r.str(ofn::sFile);
  const std::string chosen = "/home/ann/Models/Größe.cfg\0\0"s;
  EXPECT_EQ(file.substr(0, chosen.size()), chosen);
  EXPECT_EQ(characterCount(file), 65536u);
  // Offsets count characters, not bytes.
  EXPECT_EQ(r.lng(ofn::nFileOffset), 17);
  EXPECT_EQ(r.lng(ofn::nFileExt), 23);
  EXPECT_EQ(r.lng(ofn::nFilterIndex), 2);
  const std::string title = "Größe.cfg\0"s;
  EXPECT_EQ(r.str(ofn::sFileTitle).substr(0, title.size()), title);

  // The next call appends a new buffer to the whole returned one.
  dlg.prepareFileRecord(0, kDefaultSaveFlags);
  EXPECT_EQ(r.lng(ofn::nFileSize), 65536 + 65536);
  EXPECT_EQ(r.str(ofn::sFile).substr(0, chosen.size() - 2), "/home/ann/Models/Größe.cfg");
  // ... and the dialog proposes the previous choice.
  const FileDialogSetup setup = fileDialogSetup(r, true);
  EXPECT_EQ(setup.fileName, "Größe.cfg");
  EXPECT_EQ(setup.folder, "/home/ann/Models");
  EXPECT_EQ(setup.title, "Save As");
}

TEST(FileBufferTest, OpenAndSaveResultsFromTheBuffer) {
  const std::string tail = spaces(40) + '\0';
  // Multi-select with one file: the parent folder without a separator.
  SelectedFile one = openResult(1, "/data/a.txt\0\0"s + tail, OFN_ALLOWMULTISELECT);
  EXPECT_FALSE(one.bCanceled);
  EXPECT_EQ(one.nFilesSelected, 1);
  EXPECT_EQ(one.sLastDirectory, "/data");
  EXPECT_EQ(one.sFiles.lbound, 1);
  EXPECT_EQ(one.sFiles.items, std::vector<std::string>{"a.txt"});
  EXPECT_EQ(openResult(1, "/a.txt\0"s + tail, 0).sLastDirectory, "/");
  // Three files: the folder as returned, the names in order.
  SelectedFile three =
      openResult(1, "/data/in\0c.txt\0a b.txt\0\"q\".txt\0\0"s + tail, OFN_ALLOWMULTISELECT);
  EXPECT_EQ(three.nFilesSelected, 3);
  EXPECT_EQ(three.sLastDirectory, "/data/in");
  EXPECT_EQ(three.sFiles.items, (std::vector<std::string>{"c.txt", "a b.txt", "\"q\".txt"}));
  // A buffer without its terminator, and a failed call, are cancels.
  for (const SelectedFile& s : {openResult(1, "/data/a.txt" + spaces(5), 0),
                                openResult(1, "/data/a.txt\0 "s, OFN_ALLOWMULTISELECT),
                                openResult(0, "/data/a.txt\0\0"s, 0)}) {
    EXPECT_TRUE(s.bCanceled);
    EXPECT_EQ(s.nFilesSelected, 0);
    EXPECT_TRUE(s.sFiles.items.empty());
    EXPECT_EQ(s.sLastDirectory, "");
  }
  // Save: the folder with its separator, names at 0 and 1.
  SelectedFile saved = saveResult(1, "/data/out.cfg\0"s + tail, 6);
  EXPECT_EQ(saved.sLastDirectory, "/data/");
  EXPECT_EQ(saved.sFiles.lbound, 0);
  EXPECT_EQ(saved.sFiles.items, (std::vector<std::string>{"", "out.cfg"}));
  EXPECT_EQ(saveResult(1, "/out.cfg\0"s, 1).sLastDirectory, "/");
  EXPECT_TRUE(saveResult(0, "/out.cfg\0"s, 1).bCanceled);
  const Record record = saved.toRecord();
  EXPECT_EQ(record.typeName, "SelectedFile");
  EXPECT_EQ(CInt(*record.field("nFilesSelected")), 1);
}

TEST(FileBufferTest, SeveralFilesAndBuffersTooSmall) {
  DialogRecord r(openFileNameLayout());
  r.set(ofn::flags, Variant(OFN_ALLOWMULTISELECT));
  r.set(ofn::sFile, Variant(spaces(64) + '\0'));
  r.set(ofn::nFileSize, Variant(65));
  r.set(ofn::sFileTitle, Variant(spaces(65)));
  r.set(ofn::nTitleSize, Variant(65));
  ASSERT_EQ(storeFileAnswer(r, {{"/d/x.txt", "/d/y.txt", "/e/z.txt"}, 1}), 1);
  const std::string list = "/d\0x.txt\0y.txt\0/e/z.txt\0\0"s;
  EXPECT_EQ(r.str(ofn::sFile).substr(0, list.size()), list);
  EXPECT_EQ(r.lng(ofn::nFileOffset), 3);
  EXPECT_EQ(r.lng(ofn::nFileExt), 0);
  EXPECT_EQ(openResult(1, r.str(ofn::sFile), r.lng(ofn::flags)).nFilesSelected, 3);
  // A selection longer than nFileSize fails the call and changes nothing.
  r.set(ofn::nFileSize, Variant(10));
  const std::string before = r.str(ofn::sFile);
  EXPECT_EQ(storeFileAnswer(r, {{"/d/long-name.txt"}, 1}), 0);
  EXPECT_EQ(r.str(ofn::sFile), before);
  // A name without extension: nFileExt is its end; with a default
  // extension that differs, the flag says so.
  r.set(ofn::nFileSize, Variant(65));
  r.set(ofn::sDefFileExt, Variant("cfg"));
  ASSERT_EQ(storeFileAnswer(r, {{"/d/README"}, 0}), 1);
  EXPECT_EQ(r.lng(ofn::nFileExt), 9);
  EXPECT_NE(r.lng(ofn::flags) & OFN_EXTENSIONDIFFERENT, 0);
  ASSERT_EQ(storeFileAnswer(r, {{"/d/a.CFG"}, 0}), 1);
  EXPECT_EQ(r.lng(ofn::flags) & OFN_EXTENSIONDIFFERENT, 0);
}

TEST(FileBufferTest, HugePresetBuffersAndFilters) {
  QXCommonDlg dlg;
  dlg.FileDialog().set(ofn::sFile, Variant(std::string(65535, 'x')));
  dlg.prepareFileRecord(0, kDefaultOpenFlags);
  DialogRecord& r = dlg.FileDialog();
  EXPECT_EQ(r.lng(ofn::nFileSize), 65535 + 65535 + 1);
  ASSERT_EQ(storeFileAnswer(r, {{"/tmp/a.txt"}, 1}), 1);
  EXPECT_EQ(openResult(1, r.str(ofn::sFile), r.lng(ofn::flags)).sFiles.items.front(), "a.txt");

  // Pairs of description and patterns; "*.*" is every file.
  const auto filters = parseFilter("Settings\0*.cfg;*.txt\0All\0*.*\0\0"s);
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].description, "Settings");
  EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.cfg", "*.txt"}));
  EXPECT_EQ(filters[1].patterns, std::vector<std::string>{"*"});
  // Without the closing NULs the text's end ends the list; a description
  // without patterns is dropped; nothing after a double NUL counts.
  EXPECT_EQ(parseFilter("Settings\0*.cfg"s).size(), 1u);
  EXPECT_EQ(parseFilter("Settings\0*.cfg\0Odd"s).size(), 1u);
  EXPECT_EQ(parseFilter("A\0*.a\0\0B\0*.b\0\0"s).size(), 1u);
  EXPECT_TRUE(parseFilter("Settings|*.cfg|").empty());
  EXPECT_TRUE(parseFilter(""s).empty());
  // A filter index out of range starts on the first filter.
  r.set(ofn::sFilter, Variant("A\0*.a\0B\0*.b\0\0"s));
  r.set(ofn::nFilterIndex, Variant(7));
  EXPECT_EQ(fileDialogSetup(r, false).filterIndex, 1);
  r.set(ofn::nFilterIndex, Variant(2));
  EXPECT_EQ(fileDialogSetup(r, false).filterIndex, 2);
  EXPECT_EQ(fileDialogSetup(r, false).title, "Open");
}

TEST(DialogRecordTest, FieldsConvertToTheirTypesAndStructCarriesTheRecord) {
  DialogRecord r(openFileNameLayout());
  Object o(std::shared_ptr<Dispatch>(&r, [](Dispatch*) {}));
  o->putProperty("nFileOffset", Variant("12"));
  EXPECT_EQ(o->getProperty("nFileOffset"), Variant(int16_t{12}));
  expectError(6, [&] { o->putProperty("nFileOffset", Variant(40000)); });
  expectError(13, [&] { o->putProperty("flags", Variant("many")); });
  o->putProperty("sFilter", Variant(3.5));
  EXPECT_EQ(o->getProperty("sFilter"), Variant("3.5"));
  const Variant whole = o->getProperty("Struct");
  ASSERT_NE(whole.get<Record>(), nullptr);
  EXPECT_EQ(whole.get<Record>()->typeName, "OPENFILENAME");
  EXPECT_EQ(whole.get<Record>()->fields.size(), 20u);
  DialogRecord copy(openFileNameLayout());
  copy.fromRecord(whole);
  EXPECT_EQ(copy.str(ofn::sFilter), "3.5");
  expectError(13, [&] { copy.fromRecord(Variant(5)); });
  DialogRecord fonts(chooseFontsLayout());
  expectError(13, [&] { fonts.fromRecord(whole); });
  EXPECT_EQ(fonts.toRecord().fields.size(), 16u);
  EXPECT_EQ(DialogRecord(printDlgsLayout()).toRecord().fields.size(), 19u);
  EXPECT_EQ(DialogRecord(chooseColorsLayout()).toRecord().fields.size(), 9u);

  // The dialog object's properties take only their own class, or Nothing.
  auto dlg = std::make_shared<QXCommonDlg>();
  expectError(13, [&] { dlg->putProperty("FontDialog", Variant(makeQXPrintDlgs())); });
  Object mine = makeQXOpenFileName();
  mine->putProperty("sDlgTitle", Variant("Pick"));
  dlg->putProperty("FileDialog", Variant(mine));
  EXPECT_EQ(dlg->FileDialog().str(ofn::sDlgTitle), "Pick");
  dlg->putProperty("FileDialog", Variant(Object()));
  EXPECT_EQ(dlg->FileDialog().str(ofn::sDlgTitle), "");
}

TEST(ColourRequestTest, DigitsCrossInRedGreenBlueOrder) {
  EXPECT_EQ(hrgbDigits(0x0000FF), "FF0000");
  EXPECT_EQ(hrgbDigits(0), "000000");
  EXPECT_EQ(hrgbDigits(0x123456), "563412");
  EXPECT_EQ(hrgbDigits(static_cast<int32_t>(0x8000000F)), "8000000F");
  EXPECT_EQ(colourRequest(77, true, 0x0000FF), "<c hWnd='77' center='T' hrgb='FF0000'></c>");
  EXPECT_EQ(colourRequest(-5, false, 0), "<c hWnd='-5' center='F' hrgb='000000'></c>");
  EXPECT_EQ(colourOfReply("<c hrgb='00FF00'/>"), 0x00FF00);
  EXPECT_EQ(colourOfReply("<?xml version='1.0'?><reply hrgb='ff0000'></reply>"), 0x0000FF);
  EXPECT_EQ(colourOfReply("<c hrgb='FF'/>"), 0xFF);
  // Not XML, no hrgb, or no number: errors the member turns into colour 0.
  EXPECT_NE(errorNumber([] { colourOfReply("FF0000"); }), 0);
  EXPECT_NE(errorNumber([] { colourOfReply("<c rgb='FF0000'/>"); }), 0);
  EXPECT_NE(errorNumber([] { colourOfReply("<c hrgb='GG0000'/>"); }), 0);
  EXPECT_NE(errorNumber([] { colourOfReply("<c hrgb=''/>"); }), 0);
  EXPECT_NE(
      errorNumber([] {
        colourOfReply("<!DOCTYPE c [<!ENTITY x SYSTEM 'file:///etc/passwd'>]><c hrgb='&x;'/>");
      }),
      0);
}

TEST(FontRecordTest, SizesWeightsAndFaceNames) {
  EXPECT_EQ(mulDiv(12, 96, 72), 16);
  EXPECT_EQ(mulDiv(11, 96, 72), 15);  // 14.67
  EXPECT_EQ(mulDiv(-3, 1, 2), -2);    // half away from zero
  EXPECT_EQ(mulDiv(1, 1, 0), -1);
  SelectedFont start;
  start.nSize = 12;
  start.bBold = true;
  start.bUnderline = true;
  LogFont lf = logFontFor("DejaVu Sans", &start, 96);
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(logFontFor("DejaVu Sans", &start, 120).lfHeight, -20);
  EXPECT_EQ(pointsOfHeight(-16, 96), 12);
  EXPECT_EQ(pointsOfHeight(-15, 96), 11);
  // ShowFont: only the face name.
  lf = logFontFor("DejaVu Sans", nullptr, 96);
  EXPECT_EQ(lf.lfHeight, 0);
  EXPECT_EQ(lf.lfWeight, 0);
  // 32 bytes fit; one more is out of the field's range.
  EXPECT_NO_THROW(logFontFor(std::string(32, 'F'), nullptr, 96));
  expectError(9, [] { logFontFor(std::string(33, 'F'), nullptr, 96); });

  lf.lfWeight = 401;
  lf.lfItalic = 1;
  lf.lfFaceName = "DejaVu Serif";
  SelectedFont out = fontResult(lf, 125, 0x00FF00);
  EXPECT_TRUE(out.bBold);
  EXPECT_TRUE(out.bItalic);
  EXPECT_EQ(out.nSize, 12);  // 12.5 rounds to even
  EXPECT_EQ(fontResult(lf, 135, 0).nSize, 14);
  EXPECT_EQ(out.lColor, 0x00FF00);
  EXPECT_EQ(out.sSelectedFont, "DejaVu Serif");
  EXPECT_EQ(out.sFaceName, "");
  lf.lfWeight = 400;
  EXPECT_FALSE(fontResult(lf, 100, 0).bBold);
  const Record r = out.toRecord();
  EXPECT_EQ(r.typeName, "SelectedFont");
  EXPECT_EQ(SelectedFont::fromRecord(Variant(r)).nSize, 12);
  expectError(13, [] { SelectedFont::fromRecord(Variant("Arial")); });
}

}  // namespace
}  // namespace qxvb::test
