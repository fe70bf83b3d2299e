// Folder numbers turned into folder paths: the shell's special folders and
// the product's own per-user, local and machine-wide folders with their
// temporary and connections sub-folders. Three utility settings of the
// settings store steer the product's folders on every call:
// "UseRoamingProfile" (local folders become roaming ones), "FolderGUID"
// (an extra folder level, removed when the library unloads) and
// "ProfilePath" (a relocated profile root).
#pragma once

#include <cstdint>
#include <string>

namespace qxvb::files {

// The folder path for a folder number, ending in "/", created on the way;
// empty when the folder cannot be found. Failures of the settings store
// and the string table are raised.
std::string folderLocation(int32_t windowHandle, int32_t folder, bool shortForm);

// True when a relocated profile root can really hold folders. Whatever
// the test creates is removed again.
bool profileUsable(const std::string& profilePath);

// The product's folder below an application-data folder.
inline constexpr const char* kProductFolder = "Brackwell/Quillane/";

}  // namespace qxvb::files
