// Small path helpers of the file utilities. Local paths use "/" as the
// separator; there are no 8.3 names, so a path's short form is its long
// form.
#pragma once

#include <string>

namespace qxvb::files {

// Everything up to and including the last separator; empty without one.
std::string pathPart(const std::string& path);
// Everything after the last separator; the whole input without one.
std::string namePart(const std::string& path);
// The input with a separator appended unless it ends in one.
std::string addSlashIfNeeded(const std::string& path);

// The extension without its ".": the text after the last "." of the
// path, where a later separator or space cancels that "." (so a dotted
// folder name or "a.b c" give none). Empty when there is none.
std::string extensionOf(const std::string& path);

// The long and short forms of a path: the path as the file system holds
// it, which is the input itself.
std::string longPath(const std::string& path);
std::string shortPath(const std::string& path);

}  // namespace qxvb::files
