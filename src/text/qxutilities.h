// QXUtilities: the library's general-purpose global multi-use class. Its
// members come from several subsystems; each group is implemented beside
// its subsystem and adds its members to the dispatch table through the
// add...Members function declared at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame/dispatch.h"
#include "frame/err_info.h"
#include "text/versions.h"

namespace qxvb {

class QXUtilities : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  // Error records (frame).
  QXErrInfo QXSaveErrInfo(int32_t v_lngNumber, const std::string& v_strSource,
                          const std::string& v_strDescription,
                          const std::string& v_strHelpFile = std::string(),
                          const Variant& v_varHelpContextID = Variant(""));
  QXErrInfo QXSaveErrInfoFromErr(const Object& v_objErr);

  // Settings of the default profile (settings).
  bool QXGetSetting(std::string& itemName, std::string& Value, int32_t& lenValue,
                    const std::string& SectionName = "Wizard");
  bool QXSetSetting(std::string& settingName, std::string& Value,
                    const std::string& SectionName = "Wizard");

  // Text and value rules (text).
  // -- begin text members --
  std::string QXQuoteIfNeeded(const std::string& str, bool bQuoteBlank = false);
  std::string QXUnQuote(const std::string& str);
  std::string QXTrimLeftWhiteSpace(const std::string& s);
  std::string QXTrimRightWhiteSpace(const std::string& s);
  std::string QXTrimWhiteSpace(const std::string& s);
  std::string QXCStringToVBString(const std::string& cstring);
  Variant QXMax(const Variant& vValue1, const Variant& vValue2);
  Variant QXMin(const Variant& vValue1, const Variant& vValue2);
  Variant QXUtil_CheckForNull(const Variant& oObj);
  bool QXUtil_GetNextProperty(const std::string& strMemo, int32_t& r_lngPos,
                              std::string& r_strProperty, std::string& r_strValue);
  // Answers an enuQX_VersionCompare value (text/versions.h).
  enuQX_VersionCompare QXCompareVersionStrings(const std::string& v_strVersionA,
                                               const std::string& v_strVersionB,
                                               const std::string& v_strSeperator = ".");
  std::string QXGuidGen();
  std::string QX_Util_EncodeBase64(const ByteArray& arrData);
  ByteArray QX_Util_DecodeBase64(const std::string& strData);
  void QuickSort(Variant& pvarArray, int32_t plngLeft = 0, int32_t plngRight = 0);
  std::string QX_Util_FixAuditID(const std::string& v_strAuditID);
  std::string QX_Util_AutidIDFromString(const std::string& v_strString);
  bool QX_Util_IsPermittedAuditId(const Variant& strAuditID);
  int32_t QX_Util_GetMaximumItemNameLength();
  bool QX_Util_IsValidItemName(const std::string& v_strName);
  bool QX_Util_IsAlphaBetical(const std::string& v_strString);
  bool QX_Util_IsAlphaNumeric(const std::string& v_strString);
  bool QX_Util_IsNumericOnly(const std::string& v_strString);
  std::string QX_Util_GetLabelForPropertyInType(int16_t v_intMajor, int16_t v_intMinor,
                                                const std::string& v_strProperty);
  // -- end text members --

  // State of the members other modules add (the graphical module's fonts,
  // tooltip and help viewer); its type is the adding module's own.
  std::shared_ptr<void>& extensionState() { return extensionState_; }

 private:
  std::shared_ptr<void> extensionState_;
  // -- begin text state --
  // Which quoting rules QXQuoteIfNeeded applies; read from the settings on
  // its first call and kept for the life of the instance.
  enum class QuotingSwitch : uint8_t { NotRead, Current, Earlier };
  QuotingSwitch quotingSwitch_ = QuotingSwitch::NotRead;
  // -- end text state --
};

Object makeQXUtilities();

void addFrameMembers(Members<QXUtilities>& members);
void addSettingsMembers(Members<QXUtilities>& members);
void addTextMembers(Members<QXUtilities>& members);

}  // namespace qxvb
