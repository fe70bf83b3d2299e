// QX_ErrorHelper: building, storing, re-raising and rendering error chains.

#include "error_helper/error_helper.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/err_object.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "text/qxutilities.h"

namespace qxvb {
namespace {

std::shared_ptr<ErrObject> errorObject(int32_t number, const std::string& source,
                                       const std::string& description) {
  auto err = std::make_shared<ErrObject>();
  err->Number = number;
  err->Source = source;
  err->Description = description;
  return err;
}

// The error a call raises, as the next component's Err object holds it.
std::shared_ptr<ErrObject> caught(const std::function<void()>& call) {
  try {
    call();
  } catch (const AutomationError& e) {
    return std::make_shared<ErrObject>(e);
  }
  ADD_FAILURE() << "nothing was raised";
  return std::make_shared<ErrObject>();
}

std::string label(int32_t id, const std::string& value) {
  return localString(id) + ": " + value;
}

TEST(ErrorHelper, NewAndClearedHelpersAreEmpty) {
  QX_ErrorHelper helper;
  EXPECT_FALSE(helper.IsNotEmpty());
  EXPECT_EQ(helper.ToString(), "");
  EXPECT_EQ(helper.ToXML(QX_Error_Initial), "");
  EXPECT_EQ(helper.ToXML(), "<" + localString(55813) + "/>\r\n");
  helper.WrapStoredError(1, "s", "d");
  EXPECT_TRUE(helper.IsNotEmpty());
  helper.Clear();
  EXPECT_FALSE(helper.IsNotEmpty());
  EXPECT_EQ(caught([&] { helper.ReRaise(); })->Number, vberr::ObjectNotSet);
  EXPECT_EQ(caught([&] { helper.ReRaise(QX_Error_Initial); })->Number, vberr::ObjectNotSet);
}

TEST(ErrorHelper, StoreThenWrap) {
  QX_ErrorHelper helper;
  EXPECT_TRUE(helper.Store(errorObject(5, "A", "B")));
  EXPECT_TRUE(helper.WrapStoredError(7, "QXVBUtils", "outer"));
  EXPECT_EQ(helper.ToString(QX_Error_Initial), label(55815, "5") + "\r\n" + label(55816, "A") +
                                                   "\r\n" + label(55817, "B") + "\r\n" +
                                                   label(55820, "") + "\r\n" + label(55821, "0"));
  EXPECT_EQ(
      helper.ToString(QX_Error_Final, false),
      label(55815, "7") + "\r\n" + label(55816, "QXVBUtils") + "\r\n" + label(55817, "outer"));
  EXPECT_EQ(helper.ToString(QX_Error_Full, false), helper.ToString(QX_Error_Final, false) +
                                                       "\r\n\r\n" +
                                                       helper.ToString(QX_Error_Initial, false));
  EXPECT_EQ(helper.Number(QX_Error_Final), 7);
  EXPECT_EQ(helper.Number(QX_Error_Full), 7);
  EXPECT_EQ(helper.Number(QX_Error_Initial), 5);
  EXPECT_EQ(helper.Number(99), 7);
  EXPECT_EQ(helper.Source(), 0);
  EXPECT_EQ(helper.SourceAsString(), "QXVBUtils");
  EXPECT_EQ(helper.DescriptionAsString(QX_Error_Initial), "B");
  EXPECT_EQ(helper.HelpFileContextID(), 0);
}

TEST(ErrorHelper, ChainTravelsThroughReRaise) {
  QX_ErrorHelper inner;
  inner.Store(errorObject(5, "A", "B & <C>\r\n\"quoted\""));
  inner.WrapStoredError(-2147221503, "QXVBUtils - Outer", "outer", "help.chm",
                        Variant(int32_t{42}));
  auto raised = caught([&] { inner.ReRaise(QX_Error_Full); });
  EXPECT_EQ(raised->Number, -2147221503);
  EXPECT_EQ(raised->Source, "QXVBUtils - Outer");
  EXPECT_EQ(raised->HelpFile, "help.chm");
  EXPECT_EQ(raised->HelpContext, 42);
  EXPECT_EQ(raised->Description, inner.ToXML());

  QX_ErrorHelper outer;
  EXPECT_TRUE(outer.IsStoredError(raised->Description));
  EXPECT_FALSE(outer.Store(raised));
  EXPECT_EQ(outer.ToXML(), inner.ToXML());
  EXPECT_EQ(outer.ToString(), inner.ToString());
  EXPECT_EQ(outer.DescriptionAsString(QX_Error_Initial), "B & <C>\r\n\"quoted\"");

  outer.WrapStoredError(9, "Third", "third");
  auto again = caught([&] { outer.ReRaise(); });
  QX_ErrorHelper last;
  EXPECT_TRUE(last.LoadStoredError(again));
  EXPECT_EQ(last.Number(QX_Error_Final), 9);
  EXPECT_EQ(last.Number(QX_Error_Initial), 5);
}

TEST(ErrorHelper, ReRaiseSingleErrors) {
  QX_ErrorHelper helper;
  helper.WrapStoredError(5, "A", "first", "f.hlp", Variant("12"));
  helper.WrapStoredError(7, "B", "second");
  auto initial = caught([&] { helper.ReRaise(QX_Error_Initial); });
  EXPECT_EQ(initial->Number, 5);
  EXPECT_EQ(initial->Description, "first");
  EXPECT_EQ(initial->HelpFile, "f.hlp");
  EXPECT_EQ(initial->HelpContext, 12);
  auto final = caught([&] { helper.ReRaise(QX_Error_Final); });
  EXPECT_EQ(final->Number, 7);
  EXPECT_EQ(final->Description, "second");
}

TEST(ErrorHelper, ToXmlOfOneError) {
  QX_ErrorHelper helper;
  helper.WrapStoredError(5, "A", "B");
  helper.WrapStoredError(7, "C", "D");
  const std::string root = localString(55813);
  const std::string error = localString(55814);
  const auto element = [&](const char* n, const char* s, const char* d) {
    return "<" + error + " " + localString(55815) + "=\"" + n + "\" " + localString(55816) + "=\"" +
           s + "\" " + localString(55817) + "=\"" + d + "\" " + localString(55818) + "=\"\" " +
           localString(55819) + "=\"0\"/>";
  };
  EXPECT_EQ(helper.ToXML(QX_Error_Initial),
            "<" + root + ">" + element("5", "A", "B") + "</" + root + ">\r\n");
  EXPECT_EQ(helper.ToXML(QX_Error_Full), "<" + root + ">" + element("7", "C", "D") +
                                             element("5", "A", "B") + "</" + root + ">\r\n");
}

TEST(ErrorHelper, PlainAndMalformedDescriptionsAreNotStored) {
  QX_ErrorHelper helper;
  for (const char* text :
       {"", "plain", "<unclosed", "<a/>", "<?xml version=\"1.0\"?>", "&amp;", "<a>text only</a>"}) {
    EXPECT_FALSE(helper.IsStoredError(text)) << text;
  }
  EXPECT_TRUE(helper.IsStoredError("<x><y/></x>"));
  EXPECT_FALSE(helper.LoadStoredError(errorObject(1, "s", "plain")));
  EXPECT_FALSE(helper.IsNotEmpty());
}

TEST(ErrorHelper, QXErrInfoRecordAndLateBinding) {
  Object helper = createObject("QXVBUtils.QX_ErrorHelper");
  ASSERT_TRUE(std::dynamic_pointer_cast<QX_ErrorHelper>(helper));
  std::vector<Variant> store{Variant(Object(errorObject(5, "A", "B")))};
  EXPECT_TRUE(CBool(helper->invoke("Store", kMethod, store)));

  QXErrInfo info;
  info.Number = 11;
  info.Source = "S";
  info.Description = "D";
  std::vector<Variant> wrap{Variant(info.toRecord())};
  EXPECT_TRUE(CBool(helper->invoke("WrapStoredErrorWithQXErrInfo", kMethod, wrap)));
  EXPECT_EQ(CLng(helper->call("Number")), 11);
  EXPECT_EQ(CLng(helper->call("Number", {Variant(int32_t{QX_Error_Initial})})), 5);
  EXPECT_EQ(CStr(helper->call("ToString", {Variant(int32_t{QX_Error_Final}), Variant(false)})),
            label(55815, "11") + "\r\n" + label(55816, "S") + "\r\n" + label(55817, "D"));
  EXPECT_NE(CStr(helper->call("ToString", {Variant::missing(), Variant(false)})).find("\r\n\r\n"),
            std::string::npos);
  EXPECT_TRUE(
      CBool(helper->call("WrapStoredError", {Variant(int32_t{3}), Variant("x"), Variant("y")})));
  EXPECT_EQ(CStr(helper->call("DescriptionAsString")), "y");
  EXPECT_THROW(helper->call("ReRaise"), AutomationError);
  helper->call("Clear");
  EXPECT_FALSE(CBool(helper->call("IsNotEmpty")));
}

TEST(ErrorHelperReRaise, ARecordSavedWithItsDefaultHelpContextRaisesTheSavedError) {
  QXUtilities utilities;
  const QXErrInfo saved = utilities.QXSaveErrInfo(1234, "Saver", "Saved text");
  QX_ErrorHelper helper;
  ASSERT_TRUE(helper.WrapStoredErrorWithQXErrInfo(saved));
  for (const int32_t which : {QX_Error_Initial, QX_Error_Final}) {
    try {
      helper.ReRaise(which);
      ADD_FAILURE() << "no error raised";
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.number(), 1234);
      EXPECT_EQ(e.source(), "Saver");
      EXPECT_EQ(e.description(), "Saved text");
      EXPECT_EQ(e.helpContext(), 0);
    }
  }
}

}  // namespace
}  // namespace qxvb
