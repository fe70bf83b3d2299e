// Names of files kept in the repository's file table. Stored names keep the
// backslash as folder separator, as every installation of the product reads
// them; on disk they become paths below a target folder.
#pragma once

#include <filesystem>
#include <string>

namespace qxvb::filestore {

// The name a file from disk is stored under: rename when not empty;
// otherwise, for a path with a folder named "images" (found without regard
// to case), the part from that folder on ("Images\pic.png"); otherwise the
// file name without its folder.
std::string storedNameFor(const std::string& path, const std::string& rename = {});

// True when the name can be written below a folder: not empty, relative,
// no drive letter, no "." or ".." part, no empty part and no NUL.
bool isSafeStoredName(const std::string& name);

// Raises error 5 with a description naming the stored name when it is not
// safe; nothing is read, written or stored for such a name.
void requireSafeStoredName(const std::string& name);

// The path below folder where a stored name is written; raises as
// requireSafeStoredName does, and for a name whose folders below folder
// include a symbolic link.
std::filesystem::path targetPathFor(const std::filesystem::path& folder, const std::string& name);

// A text as a quoted SQL literal: between single quotes, each quote doubled.
std::string sqlText(const std::string& text);

}  // namespace qxvb::filestore
