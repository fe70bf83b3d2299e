// The rules of the OPENFILENAME record around a file dialog, free of any
// window: the filter in its NUL-separated form, the file buffer the caller
// passes and gets back (sFile with nFileSize, sFileTitle, nFileOffset,
// nFileExt), and the SelectedFile result the members build from it.
// Lengths and offsets count characters (Unicode code points).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frame/variant.h"

namespace qxvb::gui {

class DialogRecord;

struct FileFilter {
  std::string description;
  std::vector<std::string> patterns;  // "*.*" stands for every file: "*"
};

// Pairs of description and pattern list ("*.txt;*.cfg"), each part ended by
// a NUL and the list by a second one. A list that lacks its closing NULs
// ends where the text ends; a description without patterns is dropped.
std::vector<FileFilter> parseFilter(std::string_view filter);

// What the dialog starts with, read from the record before the call.
struct FileDialogSetup {
  bool save = false;
  int32_t flags = 0;
  std::vector<FileFilter> filters;
  int32_t filterIndex = 1;  // 1-based into filters
  std::string title;
  std::string folder;            // where the dialog opens
  std::string fileName;          // the name it proposes
  std::string defaultExtension;  // without a leading "."
};
FileDialogSetup fileDialogSetup(const DialogRecord& record, bool save);

// What the person chose: full paths (one unless multi-select), the filter
// in use (1-based; 0 when the dialog had no filters).
struct FileDialogAnswer {
  std::vector<std::string> paths;
  int32_t filterIndex = 0;
};

// The characters of text, and the text of the first count characters.
size_t characterCount(std::string_view text);
std::string firstCharacters(std::string_view text, size_t count);
// text with its first characters replaced by head (text is at least as long).
std::string overwriteHead(std::string_view text, std::string_view head);

// Writes the answer into the record as the platform does: the selection
// over the start of the sFile buffer (multi-select: the folder, then each
// name, each ended by a NUL, the list by a second NUL), the file name over
// sFileTitle, nFileOffset and nFileExt, nFilterIndex, and the extension
// flag. Returns the platform result: 1, or 0 when the selection does not
// fit in the buffer (the record is then left as it was).
int32_t storeFileAnswer(DialogRecord& record, const FileDialogAnswer& answer);

// The SelectedFile record (nFilesSelected, sFiles, sLastDirectory,
// bCanceled).
struct SelectedFile {
  int16_t nFilesSelected = 0;
  StringArray sFiles;
  std::string sLastDirectory;
  bool bCanceled = true;
  Record toRecord() const;
};

// The results of ShowOpen and ShowSave from the platform result and the
// record after the call.
SelectedFile openResult(int32_t result, const std::string& file, int32_t flags);
SelectedFile saveResult(int32_t result, const std::string& file, int32_t fileOffset);

// The file-system object's GetParentFolderName and GetFileName of a local
// path: no trailing separator except for the root.
std::string parentFolderName(std::string_view path);
std::string fileNameOf(std::string_view path);

}  // namespace qxvb::gui
