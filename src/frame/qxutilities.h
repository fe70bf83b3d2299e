// QXUtilities: the library's general-purpose global multi-use class. Its
// members come from several subsystems; each group is implemented beside
// its subsystem and adds its members to the dispatch table through the
// add...Members function declared at the end.
#pragma once

#include <cstdint>
#include <string>

#include "frame/dispatch.h"
#include "frame/err_info.h"

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
  // -- end text members --

 private:
  // -- begin text state --
  // -- end text state --
};

Object makeQXUtilities();

void addFrameMembers(Members<QXUtilities>& members);
void addSettingsMembers(Members<QXUtilities>& members);
void addTextMembers(Members<QXUtilities>& members);

}  // namespace qxvb
