// QXDUTILS.Utils: the product's settings component. Settings live in INI
// profile files; the default profile is in the product's per-user folder.
// Files kept in the repository ("ency" files) live in the open repository's
// file table: the caller hands over the repository's connection with
// SetEncyConnection and marks it open with SetEncyOpenStatus; until both,
// the ency members answer as with no repository open.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "frame/dispatch.h"

namespace qxvb::ado {
class Connection;
}

namespace qxvb::qxdutils {

// The default profile file: <config home>/Brackwell/Quillane/Quillane.ini.
std::filesystem::path defaultProfilePath();

// An empty name means the default profile; a bare or relative name lives
// in the default profile's folder.
std::filesystem::path resolveProfile(const std::string& fileName);

// The product's own settings files, which file operations must not touch.
bool isReservedFile(const std::string& name);
std::string reservedFilesAsXml();

// Temporary data handed over for deletion when the library unloads from
// the calling thread.
void deleteFolderAtUnload(const std::string& path);
void deleteFileAtUnload(const std::string& path);

class QXDUtilsComponent : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  std::string ReadSetting(const std::string& fileName, const std::string& section,
                          const std::string& item, const std::string& defaultValue);
  int32_t ReadSettingInt(const std::string& fileName, const std::string& section,
                         const std::string& item, int32_t defaultValue);
  std::string ReadSettingSection(const std::string& fileName, const std::string& section);
  bool WriteSetting(const std::string& fileName, const std::string& section,
                    const std::string& item, const std::string& value);
  bool WriteSettingSection(const std::string& fileName, const std::string& section,
                           const std::string& value);

  std::string GetQXDUtilsSetting(const std::string& setting);
  bool SetQXDUtilsSettings(const std::string& setting, const std::string& value);
  bool SetQXDUtilsSettingsFromCmdLine(const std::string& commandLine);
  std::string CommandLine() const { return commandLine_; }
  std::string ReadOrvixProfilePath();

  bool CheckFolderExists(const std::string& folder, bool constructIfNotFound);
  std::string ReadApplicationFileLocationList(const std::string& fileName, bool previous);
  std::string ReadFileLocation(const std::string& fileName, bool shortPath, int32_t& isEncyFile,
                               int32_t defaultLocation);
  bool WriteFileLocation(const std::string& fileName, const std::string& location);

  void SetEncyOpenStatus(bool open) { encyOpen_ = open; }
  bool encyOpen() const { return encyOpen_; }
  // The open repository's connection; Nothing forgets it.
  void SetEncyConnection(const Object& connection);
  // The connection ency files are kept through: set and marked open.
  std::shared_ptr<ado::Connection> encyRepository() const;

  int32_t QXVersionCheck(const std::string& version1, const std::string& version2);
  std::string GetInternationalSeparators(std::string& decimal, std::string& list);

 private:
  std::string commandLine_;
  bool encyOpen_ = false;
  std::shared_ptr<ado::Connection> encyConnection_;
};

Object makeQXDUtilsComponent();

// Settings-file section and names the component uses for itself.
inline constexpr const char* kUtilSettingsSection = "QXDUtils";
inline constexpr const char* kFileLocationsSection = "FileLocations";
inline constexpr const char* kDefaultProfileName = "Quillane.ini";

}  // namespace qxvb::qxdutils
