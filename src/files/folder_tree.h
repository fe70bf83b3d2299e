// Whole-folder copy, move and delete on descriptors: symbolic links inside
// a tree are copied or removed as links and never followed, so nothing
// outside the named folders is read through a link or written. Failures
// raise the file-system object's errors (files/file_errors.h).
#pragma once

#include <string>

namespace qxvb::files {

// Deletes a folder with everything below it. A folder that is itself a
// link loses only the link. Without force, a read-only item (no owner
// write permission) anywhere in the tree refuses the whole deletion with
// 70 before anything is removed; with force, read-only folders are made
// writable on the way. Raises 76 when the folder does not exist.
void deleteTree(const std::string& folder, bool force);

// Copies the folder source to the folder target, which is created when
// missing (its parent must exist) and merged into when it exists. Every
// conflict (a file that exists and overwrite is False, a read-only file,
// a file in place of a folder) is found before anything is written. Each
// file is written beside its final name and renamed into place.
void copyTree(const std::string& source, const std::string& target, bool overwrite);

// Moves the folder source to the new name target, which must not exist.
// Across file systems the folder is copied to a hidden folder beside the
// target, renamed into place, and only then is the source deleted.
void moveTree(const std::string& source, const std::string& target);

// The canonical form of a path whose last component may not exist yet:
// the resolved parent followed by the last name. Empty when the parent
// cannot be resolved.
std::string resolvedPath(const std::string& path);

// True when candidate is folder or lies below it (both resolved).
bool isSameOrBelow(const std::string& candidate, const std::string& folder);

}  // namespace qxvb::files
