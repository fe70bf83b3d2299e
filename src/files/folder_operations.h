// Folder construction and the whole-folder copy, move and delete calls of
// the file utilities, with their trailing-separator rules. Local paths use
// "/" as separator, and the "drive part" of a path is the root "/".
#pragma once

#include <string>

namespace qxvb::files {

// Creates a folder with every missing parent. False for a relative path
// and when any level cannot be created. When deepestExisting is given and
// empty, it receives the deepest folder that existed before the call.
bool constructFolder(const std::string& path, std::string* deepestExisting = nullptr);

// Like constructFolder, but the last level must be made by this call: a
// folder that exists already (or appears meanwhile) answers False.
bool createNewFolder(const std::string& path);

// Copies or moves a whole folder. One trailing separator of each path is
// ignored; a target that still ends in a separator names an existing
// folder that receives the source folder under its own name.
void folderCopy(const std::string& source, const std::string& target, bool overwrite);
void folderMove(const std::string& source, const std::string& target);

// Deletes a folder with its contents; nothing happens when it does not
// exist. One trailing separator is ignored.
void folderDelete(const std::string& folder, bool force);

// The path without one trailing separator.
std::string withoutTrailingSlash(const std::string& path);

// True for the root folder and the user's home folder, however spelt
// ("//", "/tmp/..", "~/."): folders that are never deleted or moved away.
bool isVitalFolder(const std::string& path);

}  // namespace qxvb::files
