#include "settings/qxdutilsvb.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "exports/qxdutils.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "platform/ansi.h"

namespace qxvb {

namespace {

inline constexpr const char* kSettingsComponent = "QXDUTILS.Utils";

// The caller's string is the buffer: at least Size bytes of it are handed
// over, and all of it comes back, terminator and padding included.
std::string bufferFrom(const std::string& value, int32_t size) {
  std::string buffer = ansi::fromUtf8(value);
  if (size > 0 && buffer.size() < static_cast<size_t>(size))
    buffer.resize(static_cast<size_t>(size), ' ');
  return buffer;
}

}  // namespace

QXDUtilsVB::QXDUtilsVB() : utils_(createObject(kSettingsComponent)) {}

Variant QXDUtilsVB::forward(std::string_view member, std::vector<Variant>& args) {
  return invokeOn(utils_, member, kMethod | kPropertyGet, args);
}

std::string QXDUtilsVB::QXDUtilsVB_ReadApplicationFileLocationList(
    const Variant& v_strFileName, const Variant& v_blnPreviousLocations) {
  std::vector<Variant> args{v_strFileName, v_blnPreviousLocations};
  return CStr(forward("ReadApplicationFileLocationList", args));
}

void QXDUtilsVB::QXDUtilsVB_SetEncyOpenStatus(const Variant& v_bIsEncyOpen) {
  std::vector<Variant> args{v_bIsEncyOpen};
  forward("SetEncyOpenStatus", args);
}

bool QXDUtilsVB::QXDUtilsVB_SetUtilSetting(const Variant& v_strSetting, const Variant& v_strValue) {
  std::vector<Variant> args{v_strSetting, v_strValue};
  return CBool(forward("SetQXDUtilsSettings", args));
}

std::string QXDUtilsVB::QXDUtilsVB_GetUtilSetting(const Variant& v_strSetting) {
  std::vector<Variant> args{v_strSetting};
  return CStr(forward("GetQXDUtilsSetting", args));
}

bool QXDUtilsVB::QXDUtilsVB_SetUtilSettingsCmdLine(const Variant& v_strCommandLine) {
  std::vector<Variant> args{v_strCommandLine};
  return CBool(forward("SetQXDUtilsSettingsFromCmdLine", args));
}

bool QXDUtilsVB::QXDUtilsVB_CheckFolderExists(const Variant& FolderPath,
                                              const Variant& ConstructIfNotFound) {
  std::vector<Variant> args{FolderPath, ConstructIfNotFound};
  return CBool(forward("CheckFolderExists", args));
}

bool QXDUtilsVB::QXDUtilsVB_EncyFileExists(const Variant& FileName) {
  std::vector<Variant> args{FileName};
  return CBool(forward("EncyFileExists", args));
}

bool QXDUtilsVB::QXDUtilsVB_ExportEncyFile(const Variant& EncyFileName,
                                           const Variant& ExternalFileName) {
  std::vector<Variant> args{EncyFileName, ExternalFileName};
  return CBool(forward("ExportEncyFile", args));
}

bool QXDUtilsVB::QXDUtilsVB_ImportEncyFile(const Variant& ExternalFileName,
                                           const Variant& EncyFileName, const Variant& OverWrite) {
  std::vector<Variant> args{ExternalFileName, EncyFileName, OverWrite};
  return CBool(forward("ImportEncyFile", args));
}

std::string QXDUtilsVB::QXDUtilsVB_ReadEncyFile(const Variant& FileName) {
  std::vector<Variant> args{FileName};
  return CStr(forward("ReadEncyFile", args));
}

bool QXDUtilsVB::QXDUtilsVB_WriteEncyFile(const Variant& FileName, const Variant& FileData) {
  std::vector<Variant> args{FileName, FileData};
  return CBool(forward("WriteEncyFile", args));
}

std::string QXDUtilsVB::QXDUtilsVB_ReadFileLocation(const Variant& FileName,
                                                    const Variant& ShortPath,
                                                    bool& r_blnRetisEncyFile, int32_t enuDL) {
  std::vector<Variant> args{FileName, ShortPath, Variant(int32_t{0}), Variant(enuDL)};
  std::string location = CStr(forward("ReadFileLocation", args));
  r_blnRetisEncyFile = CLng(args[2]) != 0;
  return location;
}

bool QXDUtilsVB::QXDUtilsVB_WriteFileLocation(const Variant& FileName,
                                              const Variant& FileLocation) {
  std::vector<Variant> args{FileName, FileLocation};
  return CBool(forward("WriteFileLocation", args));
}

int32_t QXDUtilsVB::QXDUtilsVB_UpdateEncyFile(const Variant& FileName) {
  std::vector<Variant> args{FileName};
  return CLng(forward("UpdateEncyFile", args));
}

int32_t QXDUtilsVB::QXDUtilsVB_UpdateEncyFiles() {
  std::vector<Variant> args;
  return CLng(forward("UpdateEncyFiles", args));
}

int32_t QXDUtilsVB::QXDUtilsVB_CloseEncyFile(const Variant& FileName) {
  std::vector<Variant> args{FileName};
  return CLng(forward("CloseEncyFile", args));
}

std::string QXDUtilsVB::QXDUtilsVB_ReadSetting(const Variant& FileName, const Variant& Section,
                                               const Variant& Item, const Variant& Default) {
  std::vector<Variant> args{FileName, Section, Item, Default};
  return CStr(forward("ReadSetting", args));
}

int32_t QXDUtilsVB::QXDUtilsVB_ReadSettingInt(const Variant& Section, const Variant& Item,
                                              const Variant& Default, const Variant& FileName) {
  std::vector<Variant> args{FileName, Section, Item, Default};
  return CLng(forward("ReadSettingInt", args));
}

std::string QXDUtilsVB::QXDUtilsVB_ReadSettingSection(const Variant& FileName,
                                                      const Variant& Section) {
  std::vector<Variant> args{FileName, Section};
  return CStr(forward("ReadSettingSection", args));
}

bool QXDUtilsVB::QXDUtilsVB_WriteSetting(const Variant& Section, const Variant& Item,
                                         const Variant& Value, const Variant& FileName) {
  std::vector<Variant> args{FileName, Section, Item, Value};
  return CBool(forward("WriteSetting", args));
}

bool QXDUtilsVB::QXDUtilsVB_WriteSettingSection(const Variant& Section, const Variant& Value,
                                                const Variant& FileName) {
  std::vector<Variant> args{FileName, Section, Value};
  return CBool(forward("WriteSettingSection", args));
}

std::string QXDUtilsVB::QXDUTILSVB_ReadOrvixProfilePath() {
  std::vector<Variant> args;
  return CStr(forward("ReadOrvixProfilePath", args));
}

std::string QXDUtilsVB::QXDUTILSVB_CommandLine() {
  std::vector<Variant> args;
  return CStr(forward("CommandLine", args));
}

int32_t QXDUtilsVB::QXDUTILSVB_QXVersionCheck(std::string& v_strVersion1,
                                              std::string& v_strVersion2) {
  std::vector<Variant> args{Variant(v_strVersion1), Variant(v_strVersion2)};
  const int32_t result = CLng(forward("QXVersionCheck", args));
  v_strVersion1 = CStr(args[0]);
  v_strVersion2 = CStr(args[1]);
  return result;
}

std::string QXDUtilsVB::QXDUTILSVB_GetInternationalSeparators(std::string& r_strDecimal,
                                                              std::string& r_strList) {
  std::vector<Variant> args{Variant(r_strDecimal), Variant(r_strList)};
  std::string result = CStr(forward("GetInternationalSeparators", args));
  r_strDecimal = CStr(args[0]);
  r_strList = CStr(args[1]);
  return result;
}

int32_t QXDUtilsVB::QXDUtilsVB_ReadSettingNTS(const std::string& Section, const std::string& Item,
                                              const std::string& Default, std::string& Value,
                                              int32_t Size, const std::string& FileName) {
  std::string buffer = bufferFrom(Value, Size);
  const int32_t count =
      QXDUtils_ReadSetting(ansi::fromUtf8(Section).c_str(), ansi::fromUtf8(Item).c_str(),
                           ansi::fromUtf8(Default).c_str(), buffer.data(),
                           std::min<int32_t>(Size, static_cast<int32_t>(buffer.size())),
                           ansi::fromUtf8(FileName).c_str());
  Value = ansi::toUtf8(buffer);
  return count;
}

int32_t QXDUtilsVB::QXDUtilsVB_ReadSettingSectionNTS(const std::string& Section, std::string& Value,
                                                     int32_t Size, const std::string& FileName) {
  std::string buffer = bufferFrom(Value, Size);
  const int32_t count =
      QXDUtils_ReadSettingSection(ansi::fromUtf8(Section).c_str(), buffer.data(),
                                  std::min<int32_t>(Size, static_cast<int32_t>(buffer.size())),
                                  ansi::fromUtf8(FileName).c_str());
  Value = ansi::toUtf8(buffer);
  return count;
}

int32_t QXDUtilsVB::QXDUtilsVB_ReadSettingSectionNTS2(const std::string& Section,
                                                      std::string& Value, int32_t InitSize,
                                                      int32_t IncSize,
                                                      const std::string& FileName) {
  if (IncSize < 1) return 0;
  try {
    int32_t size = InitSize;
    std::string buffer;
    for (;;) {
      buffer.assign(static_cast<size_t>(std::max<int32_t>(size, 0)), ' ');
      const int32_t count = QXDUtilsVB_ReadSettingSectionNTS(Section, buffer, size, FileName);
      if (count != size - 2) break;
      if (size > INT32_MAX - IncSize) raiseVbError(vberr::Overflow);
      size += IncSize;
    }
    Value = buffer;
    return 0;
  } catch (const AutomationError& e) {
    return e.number();
  } catch (const std::bad_alloc&) {
    return vberr::OutOfMemory;
  }
}

void QXDUtilsVB::TempDataFolderToDelete(const std::string& path) {
  std::vector<Variant> args{Variant(path)};
  forward("TempDataFolderToDelete", args);
}

void QXDUtilsVB::TempDataFileToDelete(const std::string& path) {
  std::vector<Variant> args{Variant(path)};
  forward("TempDataFileToDelete", args);
}

bool QXDUtilsVB::IsReservedFile(const std::string& name) {
  std::vector<Variant> args{Variant(name)};
  return CBool(forward("IsReservedFile", args));
}

std::string QXDUtilsVB::ReservedFilesAsXML() {
  std::vector<Variant> args;
  return CStr(forward("ReservedFilesAsXML", args));
}

Object makeQXDUtilsVB() {
  return std::make_shared<QXDUtilsVB>();
}

std::shared_ptr<QXDUtilsVB> sharedQXDUtilsVB() {
  return std::static_pointer_cast<QXDUtilsVB>(sharedObject("QXDUtilsVB", makeQXDUtilsVB));
}

}  // namespace qxvb
