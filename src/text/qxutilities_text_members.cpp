// The text and value members of QXUtilities in its dispatch table, with
// the parameters, by-reference outputs and defaults callers rely on.
#include "frame/automation_error.h"
#include "text/qxutilities.h"

namespace qxvb {

namespace {

const ByteArray& byteArrayArgument(const Variant& value) {
  const auto* bytes = value.get<ByteArray>();
  if (bytes == nullptr) raiseVbError(vberr::TypeMismatch);
  return *bytes;
}

void addQuotingMembers(Members<QXUtilities>& members) {
  members
      .method("QXQuoteIfNeeded", {ref("str"), optRef("bQuoteBlank", Variant(false))},
              [](QXUtilities& u, CallArgs& a) {
                return Variant(u.QXQuoteIfNeeded(a.str(0), a.boolean(1)));
              })
      .method("QXUnQuote", {ref("str")},
              [](QXUtilities& u, CallArgs& a) { return Variant(u.QXUnQuote(a.str(0))); })
      .method("QXTrimLeftWhiteSpace", {in("s")},
              [](QXUtilities& u, CallArgs& a) { return Variant(u.QXTrimLeftWhiteSpace(a.str(0))); })
      .method(
          "QXTrimRightWhiteSpace", {in("s")},
          [](QXUtilities& u, CallArgs& a) { return Variant(u.QXTrimRightWhiteSpace(a.str(0))); })
      .method("QXTrimWhiteSpace", {in("s")},
              [](QXUtilities& u, CallArgs& a) { return Variant(u.QXTrimWhiteSpace(a.str(0))); })
      .method("QXCStringToVBString", {in("cstring")},
              [](QXUtilities& u, CallArgs& a) { return Variant(u.QXCStringToVBString(a.str(0))); });
}

void addValueMembers(Members<QXUtilities>& members) {
  members
      .method("QXMax", {ref("vValue1"), ref("vValue2")},
              [](QXUtilities& u, CallArgs& a) { return u.QXMax(a[0], a[1]); })
      .method("QXMin", {ref("vValue1"), ref("vValue2")},
              [](QXUtilities& u, CallArgs& a) { return u.QXMin(a[0], a[1]); })
      .method("QXUtil_CheckForNull", {ref("oObj")},
              [](QXUtilities& u, CallArgs& a) { return u.QXUtil_CheckForNull(a[0]); })
      .method("QXUtil_GetNextProperty",
              {in("strMemo"), ref("r_lngPos"), ref("r_strProperty"), ref("r_strValue")},
              [](QXUtilities& u, CallArgs& a) {
                int32_t position = a.lng(1);
                std::string property = a.str(2);
                std::string value = a.str(3);
                const bool more = u.QXUtil_GetNextProperty(a.str(0), position, property, value);
                a.set(1, Variant(position));
                a.set(2, Variant(std::move(property)));
                a.set(3, Variant(std::move(value)));
                return Variant(more);
              });
}

void addVersionAndDataMembers(Members<QXUtilities>& members) {
  members
      .method("QXCompareVersionStrings",
              {in("v_strVersionA"), in("v_strVersionB"), opt("v_strSeperator", Variant("."))},
              [](QXUtilities& u, CallArgs& a) {
                return Variant(
                    static_cast<int32_t>(u.QXCompareVersionStrings(a.str(0), a.str(1), a.str(2))));
              })
      .method("QXGuidGen", {}, [](QXUtilities& u, CallArgs&) { return Variant(u.QXGuidGen()); })
      .method("QX_Util_EncodeBase64", {ref("arrData")},
              [](QXUtilities& u, CallArgs& a) {
                return Variant(u.QX_Util_EncodeBase64(byteArrayArgument(a[0])));
              })
      .method("QX_Util_DecodeBase64", {in("strData")},
              [](QXUtilities& u, CallArgs& a) { return Variant(u.QX_Util_DecodeBase64(a.str(0))); })
      .method("QuickSort",
              {ref("pvarArray"), opt("plngLeft", Variant(int32_t{0})),
               opt("plngRight", Variant(int32_t{0}))},
              [](QXUtilities& u, CallArgs& a) {
                u.QuickSort(a.at(0), a.lng(1), a.lng(2));
                return Variant();
              });
}

void addItemNameMembers(Members<QXUtilities>& members) {
  members
      .method("QX_Util_FixAuditID", {in("v_strAuditID")},
              [](QXUtilities& u, CallArgs& a) { return Variant(u.QX_Util_FixAuditID(a.str(0))); })
      .method("QX_Util_AutidIDFromString", {in("v_strString")},
              [](QXUtilities& u, CallArgs& a) {
                return Variant(u.QX_Util_AutidIDFromString(a.str(0)));
              })
      .method(
          "QX_Util_IsPermittedAuditId", {in("strAuditID")},
          [](QXUtilities& u, CallArgs& a) { return Variant(u.QX_Util_IsPermittedAuditId(a[0])); })
      .method(
          "QX_Util_GetMaximumItemNameLength", {},
          [](QXUtilities& u, CallArgs&) { return Variant(u.QX_Util_GetMaximumItemNameLength()); })
      .method(
          "QX_Util_IsValidItemName", {in("v_strName")},
          [](QXUtilities& u, CallArgs& a) { return Variant(u.QX_Util_IsValidItemName(a.str(0))); })
      .method(
          "QX_Util_IsAlphaBetical", {in("v_strString")},
          [](QXUtilities& u, CallArgs& a) { return Variant(u.QX_Util_IsAlphaBetical(a.str(0))); })
      .method(
          "QX_Util_IsAlphaNumeric", {in("v_strString")},
          [](QXUtilities& u, CallArgs& a) { return Variant(u.QX_Util_IsAlphaNumeric(a.str(0))); })
      .method(
          "QX_Util_IsNumericOnly", {in("v_strString")},
          [](QXUtilities& u, CallArgs& a) { return Variant(u.QX_Util_IsNumericOnly(a.str(0))); })
      .method("QX_Util_GetLabelForPropertyInType",
              {in("v_intMajor"), in("v_intMinor"), in("v_strProperty")},
              [](QXUtilities& u, CallArgs& a) {
                return Variant(
                    u.QX_Util_GetLabelForPropertyInType(a.integer(0), a.integer(1), a.str(2)));
              });
}

}  // namespace

void addTextMembers(Members<QXUtilities>& members) {
  addQuotingMembers(members);
  addValueMembers(members);
  addVersionAndDataMembers(members);
  addItemNameMembers(members);
}

}  // namespace qxvb
