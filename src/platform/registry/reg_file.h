// Registry branches in the regedit text format ("Windows Registry Editor
// Version 5.00"), so settings exported from a Windows installation load
// here and settings saved here load there.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry_store.h"

namespace qxvb::registry {

// The text of a branch, key by key from the top, as regedit writes it:
// UTF-8 here, with CR LF line ends and hex lines wrapped at 80 columns.
Status exportBranchText(RootKey root, std::string_view path, std::string& text);
// The bytes of a .reg file: UTF-16LE with a byte-order mark.
std::string encodeRegFile(std::string_view text);
// Writes the branch's .reg file; the file appears whole or not at all.
// On failure error holds a message.
Status exportBranchToFile(RootKey root, std::string_view path, const std::filesystem::path& file,
                          std::string& error);

struct ImportResult {
  std::size_t keys = 0;             // key lines applied
  std::size_t values = 0;           // value lines applied
  std::vector<std::string> errors;  // "line N: ..." for each line not applied
  bool ok() const { return errors.empty(); }
};

// Applies a .reg file's contents: UTF-16LE with BOM, UTF-8 (with or without
// BOM), or 8-bit text (the older "REGEDIT4" format, or a 5.00 header over
// ANSI bytes). 8-bit text that is not valid UTF-8 is decoded in codePage
// (a number such as "1252" or a name such as "GBK"), by default the ANSI
// code page of the locale's language. Lines that cannot be applied are
// reported and skipped; each database's changes commit together, and a
// failure of the store itself (a full disk) writes nothing of that database.
ImportResult importRegText(std::string_view fileBytes, const std::string& codePage = {});
ImportResult importRegFile(const std::filesystem::path& file, const std::string& codePage = {});

}  // namespace qxvb::registry
