// The text and value members of QXUtilities: thin wrappers over the free
// functions of this folder.
#include <string>

#include "frame/vb_conversions.h"
#include "platform/unicode.h"
#include "text/audit_ids.h"
#include "text/base64.h"
#include "text/guid.h"
#include "text/item_names.h"
#include "text/memo_properties.h"
#include "text/property_labels.h"
#include "text/quoting.h"
#include "text/qxutilities.h"
#include "text/sorting.h"
#include "text/trimming.h"
#include "text/versions.h"

namespace qxvb {

std::string QXUtilities::QXQuoteIfNeeded(const std::string& str, bool bQuoteBlank) {
  if (quotingSwitch_ == QuotingSwitch::NotRead) {
    // Set first, so a failing read leaves the current rules in place.
    quotingSwitch_ = QuotingSwitch::Current;
    std::string item = "RevertQuotingChange";
    std::string value;
    int32_t length = 1;
    QXGetSetting(item, value, length, "Quillane");
    if (unicode::toUpper(value) == "Y") quotingSwitch_ = QuotingSwitch::Earlier;
  }
  const QuotingRules rules =
      quotingSwitch_ == QuotingSwitch::Earlier ? QuotingRules::Earlier : QuotingRules::Current;
  return quoteIfNeeded(str, bQuoteBlank, rules);
}

std::string QXUtilities::QXUnQuote(const std::string& str) {
  return unQuote(str);
}

std::string QXUtilities::QXTrimLeftWhiteSpace(const std::string& s) {
  return trimLeftWhiteSpace(s);
}

std::string QXUtilities::QXTrimRightWhiteSpace(const std::string& s) {
  return trimRightWhiteSpace(s);
}

std::string QXUtilities::QXTrimWhiteSpace(const std::string& s) {
  return trimWhiteSpace(s);
}

std::string QXUtilities::QXCStringToVBString(const std::string& cstring) {
  return cStringToVBString(cstring);
}

// On equality, and when either value is Null, the second value is the
// answer, as VB's If takes a Null comparison as False.
Variant QXUtilities::QXMax(const Variant& vValue1, const Variant& vValue2) {
  return compareVariants(vValue1, vValue2).value_or(0) > 0 ? vValue1 : vValue2;
}

Variant QXUtilities::QXMin(const Variant& vValue1, const Variant& vValue2) {
  return compareVariants(vValue1, vValue2).value_or(0) < 0 ? vValue1 : vValue2;
}

Variant QXUtilities::QXUtil_CheckForNull(const Variant& oObj) {
  return oObj.isNull() ? Variant("") : oObj;
}

bool QXUtilities::QXUtil_GetNextProperty(const std::string& strMemo, int32_t& r_lngPos,
                                         std::string& r_strProperty, std::string& r_strValue) {
  return getNextProperty(strMemo, r_lngPos, r_strProperty, r_strValue);
}

enuQX_VersionCompare QXUtilities::QXCompareVersionStrings(const std::string& v_strVersionA,
                                                          const std::string& v_strVersionB,
                                                          const std::string& v_strSeperator) {
  return compareVersionStrings(v_strVersionA, v_strVersionB, v_strSeperator);
}

std::string QXUtilities::QXGuidGen() {
  return newGuidText();
}

std::string QXUtilities::QX_Util_EncodeBase64(const ByteArray& arrData) {
  return encodeBase64(arrData.data.data(), arrData.data.size());
}

ByteArray QXUtilities::QX_Util_DecodeBase64(const std::string& strData) {
  return ByteArray{0, decodeBase64(strData)};
}

void QXUtilities::QuickSort(Variant& pvarArray, int32_t plngLeft, int32_t plngRight) {
  quickSortByKey(pvarArray, plngLeft, plngRight);
}

std::string QXUtilities::QX_Util_FixAuditID(const std::string& v_strAuditID) {
  return fixAuditId(v_strAuditID);
}

std::string QXUtilities::QX_Util_AutidIDFromString(const std::string& v_strString) {
  return fixAuditId(v_strString);
}

bool QXUtilities::QX_Util_IsPermittedAuditId(const Variant& strAuditID) {
  return isPermittedAuditId(CStr(strAuditID));
}

int32_t QXUtilities::QX_Util_GetMaximumItemNameLength() {
  return kMaximumItemNameLength;
}

bool QXUtilities::QX_Util_IsValidItemName(const std::string& v_strName) {
  return isValidItemName(v_strName);
}

bool QXUtilities::QX_Util_IsAlphaBetical(const std::string& v_strString) {
  return consistsOf(v_strString, CharacterClass::Alphabetic);
}

bool QXUtilities::QX_Util_IsAlphaNumeric(const std::string& v_strString) {
  return consistsOf(v_strString, CharacterClass::Alphanumeric);
}

bool QXUtilities::QX_Util_IsNumericOnly(const std::string& v_strString) {
  return consistsOf(v_strString, CharacterClass::Numeric);
}

std::string QXUtilities::QX_Util_GetLabelForPropertyInType(int16_t v_intMajor, int16_t v_intMinor,
                                                           const std::string& v_strProperty) {
  return labelForPropertyInType(v_intMajor, v_intMinor, v_strProperty);
}

}  // namespace qxvb
