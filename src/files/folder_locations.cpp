#include "files/folder_locations.h"

#include "files/class_registration.h"
#include "files/folder_operations.h"
#include "files/folder_tree.h"
#include "files/path_pieces.h"
#include "files/special_folders.h"
#include "frame/string_table.h"
#include "platform/unicode.h"
#include "settings/qxdutilsvb.h"
#include "text/trimming.h"

namespace qxvb::files {

namespace {

constexpr int32_t kTempFolderText = 55093;
constexpr int32_t kConnectionsFolderText = 55094;

// The settings and texts one location call works with.
struct Profile {
  std::string folderGuid;   // with its trailing separator, or empty
  std::string profilePath;  // with its trailing separator, or empty
};

std::string utilSetting(const char* name) {
  return sharedQXDUtilsVB()->QXDUtilsVB_GetUtilSetting(Variant(name));
}

// A level name that would climb out of, or split, the product folder is
// not a folder level: it counts as no setting.
std::string folderLevel(const std::string& name) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of(std::string("/\0", 2)) != std::string::npos) {
    return {};
  }
  return name + "/";
}

Profile readProfile() {
  Profile p;
  p.folderGuid = folderLevel(utilSetting("FolderGUID"));
  p.profilePath = utilSetting("ProfilePath");
  if (!p.profilePath.empty()) p.profilePath += "/";
  return p;
}

int32_t roamingFolder(int32_t folder) {
  switch (folder) {
    case QXSF_LOCAL_APPDATA:
      return QXSF_AppData;
    case QXSF_QXLocalAppData:
      return QXSF_QXAppData;
    case QXSF_QXLocalAppDataTemp:
      return QXSF_QXAppDataTemp;
    case QXSF_QXLocalAppDataConnections:
      return QXSF_QXAppDataConnections;
    default:
      return folder;
  }
}

void deleteWhenUnloaded(const std::string& folder) {
  sharedQXDUtilsVB()->TempDataFolderToDelete(withoutTrailingSlash(folder));
}

class Locator {
 public:
  Locator(int32_t windowHandle, bool shortForm) : hwnd_(windowHandle), short_(shortForm) {}

  std::string location(int32_t folder) const { return folderLocation(hwnd_, folder, short_); }

  std::string raw(int32_t folder, const Profile& p) const {
    switch (folder) {
      case QXSF_WindowsFolder:
        return windowsDirectory();
      case QXSF_SystemFolder:
        return systemDirectory();
      case QXSF_TemporaryFolder:
        return location(QXSF_QXLocalAppData) + localString(kTempFolderText);
      case QXSF_QXHostInstallPath:
        return registeredServerFolder("QXHost.Application");
      case QXSF_QXAppData:
        return productFolder(p, QXSF_AppData, "Application Data/");
      case QXSF_QXAppDataTemp:
        return location(QXSF_QXAppData) + localString(kTempFolderText);
      case QXSF_QXAppDataConnections:
        return location(QXSF_QXAppData) + localString(kConnectionsFolderText);
      case QXSF_QXCommonAppData:
        return location(QXSF_COMMON_APPDATA) + kProductFolder;
      case QXSF_QXCommonAppDataTemp:
        return location(QXSF_QXCommonAppData) + localString(kTempFolderText);
      case QXSF_QXCommonAppDataConnections:
        return location(QXSF_QXCommonAppData) + localString(kConnectionsFolderText);
      case QXSF_QXLocalAppData:
        return productFolder(p, QXSF_LOCAL_APPDATA, "Local Settings/Application Data/");
      case QXSF_QXLocalAppDataTemp:
        return location(QXSF_QXLocalAppData) + localString(kTempFolderText);
      case QXSF_QXLocalAppDataConnections:
        return location(QXSF_QXLocalAppData) + localString(kConnectionsFolderText);
      default:
        if (auto shell = shellFolder(folder)) return *shell;
        return fallback(folder);
    }
  }

 private:
  // The product's per-user or local folder: below a relocated profile when
  // one is set and usable, else below the shell folder.
  std::string productFolder(const Profile& p, int32_t shellBase, const char* profileLevels) const {
    if (!p.profilePath.empty() && !p.folderGuid.empty() && profileUsable(p.profilePath)) {
      const std::string root = p.profilePath + p.folderGuid;
      deleteWhenUnloaded(root);
      return root + profileLevels;
    }
    std::string folder = location(shellBase) + kProductFolder + p.folderGuid;
    if (!p.folderGuid.empty()) deleteWhenUnloaded(folder);
    return folder;
  }

  std::string fallback(int32_t folder) const {
    switch (folder) {
      case QXSF_MyDocuments: {
        std::string documents = withoutTrailingSlash(location(QXSF_AppData));
        const auto slash = documents.rfind('/');
        if (slash == std::string::npos) return documents;
        documents = documents.substr(0, slash + 1) + "My Documents/";
        constructFolder(documents);
        return documents;
      }
      case QXSF_LOCAL_APPDATA:
      case QXSF_COMMON_APPDATA:
        return location(QXSF_AppData);
      case QXSF_Windows:
        return location(QXSF_WindowsFolder);
      case QXSF_SYSTEM:
        return location(QXSF_SystemFolder);
      case QXSF_MYPICTURES:
        return location(QXSF_MyDocuments) + "My Pictures";
      default:
        return {};
    }
  }

  int32_t hwnd_;
  bool short_;
};

}  // namespace

bool profileUsable(const std::string& profilePath) {
  std::string deepest;
  if (!constructFolder(profilePath, &deepest)) return false;
  // Remove the first level the test made, with everything below it.
  const std::string existing = addSlashIfNeeded(withoutTrailingSlash(deepest));
  const std::string wanted = addSlashIfNeeded(withoutTrailingSlash(profilePath));
  if (wanted.size() <= existing.size() || wanted.compare(0, existing.size(), existing) != 0) {
    return true;
  }
  const std::string rest = wanted.substr(existing.size());
  const std::string level = rest.substr(0, rest.find('/'));
  if (level.empty() || level == "." || level == "..") return true;
  try {
    deleteTree(existing + level, true);
  } catch (...) {
    // The test answers for the construction only.
  }
  return true;
}

std::string folderLocation(int32_t windowHandle, int32_t folder, bool shortForm) {
  if (unicode::toUpper(utilSetting("UseRoamingProfile")) == "TRUE") folder = roamingFolder(folder);
  const Profile profile = readProfile();
  const Locator locator(windowHandle, shortForm);
  std::string path = cStringToVBString(locator.raw(folder & 511, profile));
  if (!path.empty()) {
    constructFolder(path);
    path = addSlashIfNeeded(path);
  }
  return shortForm ? shortPath(path) : longPath(path);
}

}  // namespace qxvb::files
