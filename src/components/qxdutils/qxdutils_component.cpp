#include "components/qxdutils/qxdutils_component.h"

#include <algorithm>
#include <clocale>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

#include "components/qxdutils/profile_file.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "platform/state_paths.h"
#include "platform/text/xml_text.h"
#include "platform/unicode.h"

namespace qxvb::qxdutils {

namespace fs = std::filesystem;

namespace {

// Files the product keeps its own settings in.
const char* const kReservedFiles[] = {kDefaultProfileName, "registry-hkcu.sqlite",
                                      "registry-hklm.sqlite", "qxxres-strings.txt"};

struct PendingDeletes {
  std::vector<std::string> folders;
  std::vector<std::string> files;
  bool hooked = false;
};

PendingDeletes& pendingDeletes() {
  thread_local PendingDeletes pending;
  return pending;
}

void runPendingDeletes() {
  PendingDeletes& p = pendingDeletes();
  std::error_code ignored;
  for (const auto& f : p.files) fs::remove(f, ignored);
  for (const auto& d : p.folders) fs::remove_all(d, ignored);
  p.files.clear();
  p.folders.clear();
  p.hooked = false;
}

void hookUnload() {
  PendingDeletes& p = pendingDeletes();
  if (p.hooked) return;
  p.hooked = true;
  atThreadUnload(runPendingDeletes);
}

// Settings given on a command line hold for the thread's session only.
std::map<std::string, std::string>& commandLineSettings() {
  thread_local std::map<std::string, std::string> settings;
  return settings;
}

std::vector<std::string> splitVersion(const std::string& v) {
  std::vector<std::string> parts;
  std::string current;
  for (const char c : v) {
    if (c == '.') {
      parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(current);
  return parts;
}

int comparePart(const std::string& a, const std::string& b) {
  double x = 0;
  double y = 0;
  const bool ax = a.empty() || parseNumber(a, x);
  const bool by = b.empty() || parseNumber(b, y);
  if (ax && by) return x < y ? -1 : (x > y ? 1 : 0);
  const int c = unicode::compareText(a, b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string withSeparator(const fs::path& p) {
  std::string s = p.string();
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

}  // namespace

fs::path defaultProfilePath() {
  return paths::productFolder(paths::configHome()) / kDefaultProfileName;
}

fs::path resolveProfile(const std::string& fileName) {
  if (fileName.empty()) return defaultProfilePath();
  fs::path p(fileName);
  if (p.is_absolute()) return p;
  return defaultProfilePath().parent_path() / p;
}

bool isReservedFile(const std::string& name) {
  const std::string leaf = fs::path(name).filename().string();
  for (const char* reserved : kReservedFiles) {
    if (unicode::equalsIgnoreCase(leaf, reserved)) return true;
  }
  return false;
}

std::string reservedFilesAsXml() {
  std::string xml = "<Root>";
  for (const char* reserved : kReservedFiles) {
    xml += "<File Name='" + xmlAttributeText(reserved) + "'/>";
  }
  return xml + "</Root>";
}

void deleteFolderAtUnload(const std::string& path) {
  hookUnload();
  pendingDeletes().folders.push_back(path);
}

void deleteFileAtUnload(const std::string& path) {
  hookUnload();
  pendingDeletes().files.push_back(path);
}

std::string QXDUtilsComponent::ReadSetting(const std::string& fileName, const std::string& section,
                                           const std::string& item,
                                           const std::string& defaultValue) {
  auto value = profile::readValue(resolveProfile(fileName), section, item);
  return value ? *value : defaultValue;
}

int32_t QXDUtilsComponent::ReadSettingInt(const std::string& fileName, const std::string& section,
                                          const std::string& item, int32_t defaultValue) {
  return profile::getInt(section, item, defaultValue, resolveProfile(fileName));
}

std::string QXDUtilsComponent::ReadSettingSection(const std::string& fileName,
                                                  const std::string& section) {
  std::string out;
  for (const auto& [key, value] : profile::readSection(resolveProfile(fileName), section)) {
    out += key;
    out += '=';
    out += value;
    out += '\0';
  }
  return out;
}

bool QXDUtilsComponent::WriteSetting(const std::string& fileName, const std::string& section,
                                     const std::string& item, const std::string& value) {
  return profile::writeString(section, std::string_view(item), std::string_view(value),
                              resolveProfile(fileName));
}

bool QXDUtilsComponent::WriteSettingSection(const std::string& fileName, const std::string& section,
                                            const std::string& value) {
  return profile::writeSection(section, value, resolveProfile(fileName));
}

std::string QXDUtilsComponent::GetQXDUtilsSetting(const std::string& setting) {
  const auto& overrides = commandLineSettings();
  for (const auto& [name, value] : overrides) {
    if (unicode::equalsIgnoreCase(name, setting)) return value;
  }
  return ReadSetting("", kUtilSettingsSection, setting, "");
}

bool QXDUtilsComponent::SetQXDUtilsSettings(const std::string& setting, const std::string& value) {
  return WriteSetting("", kUtilSettingsSection, setting, value);
}

bool QXDUtilsComponent::SetQXDUtilsSettingsFromCmdLine(const std::string& commandLine) {
  commandLine_ = commandLine;
  // Switches look like /Name=Value or -Name=Value (":" works as well);
  // values may be quoted.
  size_t i = 0;
  bool any = false;
  while (i < commandLine.size()) {
    while (i < commandLine.size() && commandLine[i] == ' ') ++i;
    if (i >= commandLine.size()) break;
    std::string token;
    bool quoted = false;
    while (i < commandLine.size() && (quoted || commandLine[i] != ' ')) {
      if (commandLine[i] == '"')
        quoted = !quoted;
      else
        token += commandLine[i];
      ++i;
    }
    if (token.size() < 2 || (token[0] != '/' && token[0] != '-')) continue;
    const size_t sep = token.find_first_of("=:");
    if (sep == std::string::npos || sep == 1) continue;
    commandLineSettings()[token.substr(1, sep - 1)] = token.substr(sep + 1);
    any = true;
  }
  return any;
}

std::string QXDUtilsComponent::ReadOrvixProfilePath() {
  return defaultProfilePath().string();
}

bool QXDUtilsComponent::CheckFolderExists(const std::string& folder, bool constructIfNotFound) {
  if (folder.empty()) return false;
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return true;
  if (!constructIfNotFound) return false;
  fs::create_directories(folder, ec);
  return fs::is_directory(folder, ec);
}

std::string QXDUtilsComponent::ReadApplicationFileLocationList(const std::string& fileName,
                                                               bool previous) {
  // The folders a named application file is looked for in, in order,
  // separated by ";". Earlier locations are the ones recorded before.
  std::string list;
  const auto add = [&list](const std::string& entry) {
    if (entry.empty()) return;
    if (!list.empty()) list += ';';
    list += entry;
  };
  if (previous) {
    auto recorded = profile::readValue(defaultProfilePath(), kFileLocationsSection, fileName);
    if (recorded) add(*recorded);
  }
  add(withSeparator(paths::productFolder(paths::configHome())));
  add(withSeparator(paths::productFolder(paths::dataHome())));
  add(withSeparator(paths::productFolder(paths::machineDir())));
  return list;
}

std::string QXDUtilsComponent::ReadFileLocation(const std::string& fileName, bool shortPath,
                                                int32_t& isEncyFile, int32_t defaultLocation) {
  (void)shortPath;  // short and long forms are the same here
  isEncyFile = 0;
  if (auto recorded = profile::readValue(defaultProfilePath(), kFileLocationsSection, fileName)) {
    return *recorded;
  }
  switch (defaultLocation) {
    case 1:
      return (paths::productFolder(paths::dataHome()) / fileName).string();
    case 2:
      return (paths::productFolder(paths::configHome()) / fileName).string();
    default:
      return fileName;
  }
}

bool QXDUtilsComponent::WriteFileLocation(const std::string& fileName,
                                          const std::string& location) {
  return WriteSetting("", kFileLocationsSection, fileName, location);
}

int32_t QXDUtilsComponent::QXVersionCheck(const std::string& version1,
                                          const std::string& version2) {
  const auto a = splitVersion(version1);
  const auto b = splitVersion(version2);
  const size_t n = std::max(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int c = comparePart(i < a.size() ? a[i] : "0", i < b.size() ? b[i] : "0");
    if (c != 0) return c;
  }
  return 0;
}

std::string QXDUtilsComponent::GetInternationalSeparators(std::string& decimal, std::string& list) {
  const lconv* conv = std::localeconv();
  decimal = (conv != nullptr && conv->decimal_point != nullptr && conv->decimal_point[0] != '\0')
                ? conv->decimal_point
                : ".";
  list = decimal == "," ? ";" : ",";
  return decimal + list;
}

Object makeQXDUtilsComponent() {
  return std::make_shared<QXDUtilsComponent>();
}

}  // namespace qxvb::qxdutils
