// The text and value members of QXUtilities in its dispatch table, with
// the parameters, by-reference outputs and defaults callers rely on.
#include "text/qxutilities.h"

namespace qxvb {

namespace {

void addQuotingMembers(Members<QXUtilities>& members) {
  members
      .method<&QXUtilities::QXQuoteIfNeeded>("QXQuoteIfNeeded",
                                             {ref("str"), optRef("bQuoteBlank", Variant(false))})
      .method<&QXUtilities::QXUnQuote>("QXUnQuote", {ref("str")})
      .method<&QXUtilities::QXTrimLeftWhiteSpace>("QXTrimLeftWhiteSpace", {in("s")})
      .method<&QXUtilities::QXTrimRightWhiteSpace>("QXTrimRightWhiteSpace", {in("s")})
      .method<&QXUtilities::QXTrimWhiteSpace>("QXTrimWhiteSpace", {in("s")})
      .method<&QXUtilities::QXCStringToVBString>("QXCStringToVBString", {in("cstring")});
}

void addValueMembers(Members<QXUtilities>& members) {
  members.method<&QXUtilities::QXMax>("QXMax", {ref("vValue1"), ref("vValue2")})
      .method<&QXUtilities::QXMin>("QXMin", {ref("vValue1"), ref("vValue2")})
      .method<&QXUtilities::QXUtil_CheckForNull>("QXUtil_CheckForNull", {ref("oObj")})
      .method<&QXUtilities::QXUtil_GetNextProperty>(
          "QXUtil_GetNextProperty",
          {in("strMemo"), ref("r_lngPos"), ref("r_strProperty"), ref("r_strValue")});
}

void addVersionAndDataMembers(Members<QXUtilities>& members) {
  members
      .method<&QXUtilities::QXCompareVersionStrings>(
          "QXCompareVersionStrings",
          {in("v_strVersionA"), in("v_strVersionB"), opt("v_strSeperator", Variant("."))})
      .method<&QXUtilities::QXGuidGen>("QXGuidGen", {})
      .method<&QXUtilities::QX_Util_EncodeBase64>("QX_Util_EncodeBase64", {ref("arrData")})
      .method<&QXUtilities::QX_Util_DecodeBase64>("QX_Util_DecodeBase64", {in("strData")})
      .method<&QXUtilities::QuickSort>("QuickSort",
                                       {ref("pvarArray"), opt("plngLeft", Variant(int32_t{0})),
                                        opt("plngRight", Variant(int32_t{0}))});
}

void addItemNameMembers(Members<QXUtilities>& members) {
  members.method<&QXUtilities::QX_Util_FixAuditID>("QX_Util_FixAuditID", {in("v_strAuditID")})
      .method<&QXUtilities::QX_Util_AutidIDFromString>("QX_Util_AutidIDFromString",
                                                       {in("v_strString")})
      .method<&QXUtilities::QX_Util_IsPermittedAuditId>("QX_Util_IsPermittedAuditId",
                                                        {in("strAuditID")})
      .method<&QXUtilities::QX_Util_GetMaximumItemNameLength>("QX_Util_GetMaximumItemNameLength",
                                                              {})
      .method<&QXUtilities::QX_Util_IsValidItemName>("QX_Util_IsValidItemName", {in("v_strName")})
      .method<&QXUtilities::QX_Util_IsAlphaBetical>("QX_Util_IsAlphaBetical", {in("v_strString")})
      .method<&QXUtilities::QX_Util_IsAlphaNumeric>("QX_Util_IsAlphaNumeric", {in("v_strString")})
      .method<&QXUtilities::QX_Util_IsNumericOnly>("QX_Util_IsNumericOnly", {in("v_strString")})
      .method<&QXUtilities::QX_Util_GetLabelForPropertyInType>(
          "QX_Util_GetLabelForPropertyInType",
          {in("v_intMajor"), in("v_intMinor"), in("v_strProperty")});
}

}  // namespace

void addTextMembers(Members<QXUtilities>& members) {
  addQuotingMembers(members);
  addValueMembers(members);
  addVersionAndDataMembers(members);
  addItemNameMembers(members);
}

}  // namespace qxvb
