// Existence and validity checks of files and folders. They never raise:
// any failure answers False.
#pragma once

#include <string>

namespace qxvb::files {

bool fileExists(const std::string& name);    // a file, or a link to one
bool folderExists(const std::string& name);  // a folder, or a link to one

// True when the folder exists or could be created (one level): a missing
// folder is created and removed again.
bool validFolderName(const std::string& folder);

// True when the file exists or could be created in a valid folder: a
// missing file is created empty under the name as given and removed again.
// folder is the folder the name is checked against.
bool validFileName(const std::string& file, const std::string& folder);

// The folder part of a file name as validFileName checks it: the text
// before the last separator ("/" for a file at the root), or empty when
// the name has no separator.
std::string folderOfFile(const std::string& file);

}  // namespace qxvb::files
