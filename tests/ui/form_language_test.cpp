// QXFormLanguageSetUp on automation objects: a form gives its controls
// the user-interface font too, and the settings can turn it off.
#include <map>
#include <memory>
#include <string>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "gui_fixture.h"

namespace qxvb::test {
namespace {

// A font object that keeps what it is given.
class RecordingFont : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table = [] {
      DispatchTable t("RecordingFont");
      Members<RecordingFont> m(t);
      for (const char* name : {"Charset", "Name", "Size"}) {
        m.put(name, {in("v")}, [name](RecordingFont& f, CallArgs& a) {
          f.values[name] = CStr(a[0]);
          return Variant();
        });
      }
      return t;
    }();
    return table;
  }
  std::map<std::string, std::string> values;
};

// A control with a Font, or a form: a Font and a Controls collection.
class Control : public Dispatch {
 public:
  explicit Control(bool form) : form_(form) {
    if (form_) controls_ = std::make_shared<Collection>();
  }
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table = [] {
      DispatchTable t("Control");
      Members<Control>(t)
          .get("Font", {}, [](Control& c, CallArgs&) { return Variant(Object(c.font)); })
          .get("Controls", {}, [](Control& c, CallArgs&) {
            if (!c.form_) raiseVbError(vberr::NoSuchMember);
            return Variant(Object(c.controls_));
          });
      return t;
    }();
    return table;
  }
  std::shared_ptr<RecordingFont> font = std::make_shared<RecordingFont>();
  std::shared_ptr<Collection> controls_;

 private:
  bool form_;
};

void setSetting(const std::string& item, const std::string& value) {
  std::vector<Variant> args{Variant(item), Variant(value), Variant("Glyvel")};
  createObject("QXVBUtils.QXUtilities")->invoke("QXSetSetting", kMethod, args);
}

using FormLanguageTest = GuiTest;

TEST_F(FormLanguageTest, AFormAndEachOfItsControlsTakeTheFont) {
  setSetting("UIFontName", "DejaVu Serif");
  setSetting("UIFontSize", "10");
  auto form = std::make_shared<Control>(true);
  auto label = std::make_shared<Control>(false);
  form->controls_->Add(Variant(Object(label)));
  form->controls_->Add(Variant("not a control"));
  std::vector<Variant> args{Variant(Object(form))};
  createObject("QXVBUtils.QXUtilities")->invoke("QXFormLanguageSetUp", kMethod, args);
  for (const auto* font : {form->font.get(), label->font.get()}) {
    EXPECT_EQ(font->values.at("Name"), "DejaVu Serif");
    EXPECT_EQ(font->values.at("Size"), "10");
    EXPECT_EQ(font->values.count("Charset"), 1u);
  }
}

TEST_F(FormLanguageTest, NothingWhenTheProductWantsNoLocalisedFonts) {
  setSetting("ApplyFontLocalisation", "0");
  auto control = std::make_shared<Control>(false);
  std::vector<Variant> args{Variant(Object(control))};
  createObject("QXVBUtils.QXUtilities")->invoke("QXFormLanguageSetUp", kMethod, args);
  EXPECT_TRUE(control->font->values.empty());
  // Nothing, or an object without a font, is no error.
  std::vector<Variant> nothing{Variant(Object())};
  createObject("QXVBUtils.QXUtilities")->invoke("QXFormLanguageSetUp", kMethod, nothing);
}

}  // namespace
}  // namespace qxvb::test
