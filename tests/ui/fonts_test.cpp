// Fonts, the locale's character set and text fitted and drawn on device
// contexts, also as a script sees them through qxcall.
#include <stdlib.h>

#include <QColor>
#include <QImage>
#include <string>

#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "gui_fixture.h"
#include "support/sandbox.h"
#include "ui/device_context/device_context.h"
#include "ui/fonts/fonts.h"

namespace qxvb::test {
namespace {

using FontsTest = GuiTest;

void setSetting(const std::string& section, const std::string& item, const std::string& value) {
  std::vector<Variant> args{Variant(item), Variant(value), Variant(section)};
  createObject("QXVBUtils.QXUtilities")->invoke("QXSetSetting", kMethod, args);
}

TEST(CharacterSetTest, FollowsTheLocalesCodePage) {
  EXPECT_EQ(gui::charSetOfCodePage(1251), 204);
  EXPECT_EQ(gui::charSetOfCodePage(437), 0);
  EXPECT_EQ(gui::charSetOfCodePage(932), 128);
  const char* saved = getenv("LC_ALL");
  const std::string keep = saved != nullptr ? saved : "";
  setenv("LC_ALL", "ru_RU.UTF-8", 1);
  EXPECT_EQ(gui::localeCodePage(), 1251);
  setenv("LC_ALL", "zh_TW.UTF-8", 1);
  EXPECT_EQ(gui::localeCodePage(), 950);
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  EXPECT_EQ(gui::localeCodePage(), 1252);
  if (saved != nullptr) {
    setenv("LC_ALL", keep.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
}

TEST_F(FontsTest, TheDesktopFontsUnlessTheSettingsNameOthers) {
  auto utilities = createObject("QXVBUtils.QXUtilities");
  std::vector<Variant> args(3);
  EXPECT_TRUE(CBool(utilities->invoke("GetQXFont", kMethod, args)));
  EXPECT_FALSE(CStr(args[0]).empty());
  EXPECT_GT(CLng(args[1]), 0);
  setSetting("Glyvel", "MenuFontName", "DejaVu Serif");
  setSetting("Glyvel", "MenuFontSize", "11");
  EXPECT_TRUE(CBool(utilities->invoke("GetQXMenuFont", kMethod, args)));
  EXPECT_EQ(CStr(args[0]), "DejaVu Serif");
  EXPECT_EQ(CLng(args[1]), 11);
}

TEST_F(FontsTest, SizesAsTheStandardFontReportsThem) {
  auto utilities = createObject("QXVBUtils.QXUtilities");
  const auto size = [&](int32_t points) {
    return CDbl(utilities->call("GetQXVBFontSize", {Variant("DejaVu Sans"), Variant(points)}));
  };
  EXPECT_DOUBLE_EQ(size(8), 8.25);
  EXPECT_DOUBLE_EQ(size(9), 9.0);
  EXPECT_DOUBLE_EQ(size(10), 9.75);
}

TEST_F(FontsTest, OfficeValuesComeFromTheLocalisationSection) {
  auto utilities = createObject("QXVBUtils.QXUtilities");
  const auto local = [&](const char* english) {
    return CStr(utilities->call("QXGetLocalValueForMSOffice", {Variant(english)}));
  };
  EXPECT_EQ(local("Heading 1"), "Heading 1");
  setSetting("MSOfficeLocalisation", "MSOffice_Heading 1", "Überschrift 1");
  EXPECT_EQ(local("Heading 1"), "Überschrift 1");
}

TEST_F(FontsTest, TextIsFittedIntoAWidth) {
  const int32_t hdc = gui::dc::createImageDC(400, 40);
  auto utilities = createObject("QXVBUtils.QXUtilities");
  const auto fit = [&](const std::string& text, int32_t width, bool ellipsis, int32_t dc = 0) {
    return CStr(utilities->call("QXGetTextForSize", {Variant(dc == 0 ? hdc : dc), Variant(text),
                                                     Variant(width), Variant(ellipsis)}));
  };
  EXPECT_EQ(fit("Model", 300, true), "Model");
  EXPECT_EQ(fit("Model", 300, false), "Model");
  EXPECT_EQ(fit("Model", 0, true), "Mo...");
  EXPECT_EQ(fit("Model", 0, false), "Mo");
  EXPECT_EQ(fit("M", 0, true), "M");
  EXPECT_EQ(fit("", 0, true), "");
  EXPECT_EQ(fit("Model", -5, true), "Mo...");
  EXPECT_EQ(fit("Model", 10, true, 12345), "");
  // The longest head that fits, with the suffix.
  const std::string text = "A rather long model name for a small column";
  const std::string head = fit(text, 120, true);
  ASSERT_GT(head.size(), 5u);
  EXPECT_EQ(head.substr(head.size() - 3), "...");
  const std::string body = head.substr(0, head.size() - 3);
  EXPECT_EQ(text.compare(0, body.size(), body), 0);
  EXPECT_LE(gui::dc::textWidth(hdc, QString::fromStdString(head)).value(), 120);
  const std::string longer = text.substr(0, body.size() + 1) + "...";
  EXPECT_GT(gui::dc::textWidth(hdc, QString::fromStdString(longer)).value(), 120);
  // Characters, not bytes: no head ends inside a character.
  const std::string umlauts = fit("ÄÖÜäöüßÄÖÜäöüß", 40, true);
  EXPECT_TRUE(QString::fromStdString(umlauts).toStdString() == umlauts);
  // A megabyte fits quickly too.
  EXPECT_EQ(fit(std::string(1 << 20, 'x'), 50, true).substr(0, 2), "xx");
  gui::dc::deleteDC(hdc);
}

TEST_F(FontsTest, ScriptsDrawTextAndGetThePictureBack) {
  const auto png = freshFolder("dc") / "drawn.png";
  int code = 0;
  const std::string out = runProgram({builtProgram("qxcall").string(),
                                      "--json",
                                      "QXGdi.DeviceContext",
                                      "CreateDC",
                                      "l:200",
                                      "l:40",
                                      "l:0",
                                      "==",
                                      "QXVBUtils.QXUtilities",
                                      "QXDrawText",
                                      "WWWW",
                                      "i:4",
                                      "i:4",
                                      "r:",
                                      "l:255",
                                      "DejaVu Sans",
                                      "i:24",
                                      "l:65280",
                                      "b:true",
                                      "==",
                                      "QXGdi.DeviceContext",
                                      "SaveAsFile",
                                      "l:65552",
                                      png.string()},
                                     &code);
  // A fresh process numbers its first device context 0x10010.
  ASSERT_EQ(code, 0) << out;
  ASSERT_NE(out.find("{\"result\": 65552"), std::string::npos) << out;
  QImage image(QString::fromStdString(png.string()));
  ASSERT_FALSE(image.isNull());
  int red = 0, green = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 80) ++red;
      if (c.green() > 200 && c.red() < 80) ++green;
    }
  }
  // Red text on its green (opaque) background, on the black surface.
  EXPECT_GT(red, 50);
  EXPECT_GT(green, 200);
  EXPECT_EQ(image.pixelColor(199, 39), QColor(0, 0, 0));
}

TEST_F(FontsTest, DrawingWithoutAFontKeepsTheSelectedOne) {
  const int32_t hdc = gui::dc::createImageDC(100, 30);
  auto utilities = createObject("QXVBUtils.QXUtilities");
  std::vector<Variant> set{Variant(hdc), Variant("DejaVu Sans"), Variant(int16_t{20})};
  utilities->invoke("QXSetFont", kMethod, set);
  const int32_t selected = gui::dc::selectedFont(hdc);
  EXPECT_NE(selected, 0);
  std::vector<Variant> draw{Variant("x"), Variant(int16_t{0}), Variant(int16_t{0}), Variant(hdc),
                            Variant(0)};
  utilities->invoke("QXDrawText", kMethod, draw);
  EXPECT_EQ(gui::dc::selectedFont(hdc), selected);
  std::vector<Variant> remove{Variant(hdc)};
  utilities->invoke("QXRemoveFont", kMethod, remove);
  EXPECT_EQ(gui::dc::selectedFont(hdc), 0);
  // Unknown and bad handles raise nothing.
  std::vector<Variant> bad{Variant("x"), Variant(int16_t{0}), Variant(int16_t{0}), Variant(-1),
                           Variant(0),   Variant("Sans"),     Variant(int16_t{0})};
  utilities->invoke("QXDrawText", kMethod, bad);
  EXPECT_EQ(gui::dc::createImageDC(0, 10), 0);
  EXPECT_EQ(gui::dc::createImageDC(-3, -3), 0);
  gui::dc::deleteDC(hdc);
}

}  // namespace
}  // namespace qxvb::test
