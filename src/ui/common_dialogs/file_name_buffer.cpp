#include "ui/common_dialogs/file_name_buffer.h"

#include <sys/stat.h>

#include "frame/vb_conversions.h"
#include "platform/unicode.h"
#include "ui/common_dialogs/comdlg_flags.h"
#include "ui/common_dialogs/dialog_records.h"

namespace qxvb::gui {

namespace {

constexpr char kNul = '\0';

// The byte offset of character n (the text's size past its end).
size_t byteOffset(std::string_view text, size_t n) {
  size_t i = 0;
  for (; i < text.size() && n > 0; --n) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

std::vector<std::string> splitAt(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    parts.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

std::string trimmedSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

bool isFolder(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The extension of a file name: the text after its last "."; empty when
// it has none.
std::string_view extensionOfName(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

}  // namespace

std::vector<FileFilter> parseFilter(std::string_view filter) {
  std::vector<FileFilter> filters;
  // A double NUL ends the list; without one the text's end does.
  const size_t end = filter.find(std::string_view("\0\0", 2));
  if (end != std::string_view::npos) filter = filter.substr(0, end);
  const std::vector<std::string> parts = splitAt(filter, kNul);
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    FileFilter f;
    f.description = parts[i];
    for (std::string& p : splitAt(parts[i + 1], ';')) {
      std::string pattern = trimmedSpaces(p);
      if (pattern == "*.*") pattern = "*";
      if (!pattern.empty()) f.patterns.push_back(std::move(pattern));
    }
    if (!f.patterns.empty()) filters.push_back(std::move(f));
  }
  return filters;
}

FileDialogSetup fileDialogSetup(const DialogRecord& record, bool save) {
  FileDialogSetup s;
  s.save = save;
  s.flags = record.lng(ofn::flags);
  s.filters = parseFilter(record.str(ofn::sFilter));
  const int32_t index = record.lng(ofn::nFilterIndex);
  s.filterIndex = index >= 1 && index <= static_cast<int32_t>(s.filters.size()) ? index : 1;
  s.title = record.str(ofn::sDlgTitle);
  if (s.title.empty()) s.title = save ? "Save As" : "Open";
  s.folder = record.str(ofn::sInitDir);
  // The buffer proposes the name up to its first NUL; a path in it names
  // the folder as well, and a folder alone is where the dialog opens.
  const std::string file = record.str(ofn::sFile);
  std::string proposed = trimmedSpaces(std::string_view(file).substr(0, file.find(kNul)));
  if (isFolder(proposed)) {
    s.folder = proposed;
  } else if (const size_t slash = proposed.rfind('/'); slash != std::string::npos) {
    s.folder = slash == 0 ? "/" : proposed.substr(0, slash);
    s.fileName = proposed.substr(slash + 1);
  } else {
    s.fileName = proposed;
  }
  s.defaultExtension = record.str(ofn::sDefFileExt);
  while (!s.defaultExtension.empty() && s.defaultExtension.front() == '.') {
    s.defaultExtension.erase(0, 1);
  }
  return s;
}

size_t characterCount(std::string_view text) {
  return unicode::length(text);
}

std::string firstCharacters(std::string_view text, size_t count) {
  return std::string(text.substr(0, byteOffset(text, count)));
}

std::string overwriteHead(std::string_view text, std::string_view head) {
  std::string out(head);
  out.append(text.substr(byteOffset(text, characterCount(head))));
  return out;
}

int32_t storeFileAnswer(DialogRecord& record, const FileDialogAnswer& answer) {
  if (answer.paths.empty()) return 0;
  const bool multi = (record.lng(ofn::flags) & OFN_ALLOWMULTISELECT) != 0;
  const std::string& first = answer.paths.front();
  std::string text;
  std::string folder = parentFolderName(first);
  size_t nameOffset = 0;
  if (multi && answer.paths.size() > 1) {
    // The folder, then each name (a file of another folder by its path).
    text = folder;
    text += kNul;
    nameOffset = characterCount(text);
    const std::string prefix = folder == "/" ? folder : folder + "/";
    for (const std::string& path : answer.paths) {
      text += path.compare(0, prefix.size(), prefix) == 0 && parentFolderName(path) == folder
                  ? path.substr(prefix.size())
                  : path;
      text += kNul;
    }
    text += kNul;
  } else {
    text = first + kNul;
    if (multi) text += kNul;
    nameOffset = characterCount(first) - characterCount(fileNameOf(first));
  }
  const std::string buffer = record.str(ofn::sFile);
  const size_t capacity = static_cast<size_t>(std::max(record.lng(ofn::nFileSize), 0));
  const size_t needed = characterCount(text);
  if (needed > capacity || needed > characterCount(buffer)) return 0;
  record.set(ofn::sFile, Variant(overwriteHead(buffer, text)));

  // nFileExt: where the extension starts; the end of the path when the
  // name has none, 0 when it ends in a ".".
  const std::string name = fileNameOf(first);
  const std::string_view extension = extensionOfName(name);
  size_t extOffset = characterCount(first) - characterCount(extension);
  if (name.find('.') == std::string::npos) extOffset = characterCount(first);
  if (!name.empty() && name.back() == '.') extOffset = 0;
  if (multi && answer.paths.size() > 1) extOffset = 0;
  record.set(ofn::nFileOffset, Variant(static_cast<int32_t>(nameOffset)));
  record.set(ofn::nFileExt, Variant(static_cast<int32_t>(extOffset)));
  const std::string title = record.str(ofn::sFileTitle);
  const size_t titleCapacity = static_cast<size_t>(std::max(record.lng(ofn::nTitleSize), 0));
  const std::string titleText = name + kNul;
  if (characterCount(titleText) <= titleCapacity &&
      characterCount(titleText) <= characterCount(title)) {
    record.set(ofn::sFileTitle, Variant(overwriteHead(title, titleText)));
  }
  if (answer.filterIndex > 0) record.set(ofn::nFilterIndex, Variant(answer.filterIndex));
  int32_t flags = record.lng(ofn::flags) & ~OFN_EXTENSIONDIFFERENT;
  std::string wanted = record.str(ofn::sDefFileExt);
  while (!wanted.empty() && wanted.front() == '.') wanted.erase(0, 1);
  if (!wanted.empty() && !unicode::equalsIgnoreCase(extension, wanted)) {
    flags |= OFN_EXTENSIONDIFFERENT;
  }
  record.set(ofn::flags, Variant(flags));
  return 1;
}

Record SelectedFile::toRecord() const {
  Record r;
  r.typeName = "SelectedFile";
  r.fields = {{"nFilesSelected", Variant(nFilesSelected)},
              {"sFiles", Variant(sFiles)},
              {"sLastDirectory", Variant(sLastDirectory)},
              {"bCanceled", Variant(bCanceled)}};
  return r;
}

SelectedFile openResult(int32_t result, const std::string& file, int32_t flags) {
  SelectedFile cancelled;
  if (result == 0) return cancelled;
  const bool multi = (flags & OFN_ALLOWMULTISELECT) != 0;
  const size_t end = multi ? file.find(std::string_view("\0\0", 2)) : file.find(kNul);
  if (end == std::string::npos) return cancelled;
  const std::vector<std::string> parts = splitAt(std::string_view(file).substr(0, end), kNul);
  SelectedFile s;
  s.bCanceled = false;
  s.sFiles.lbound = 1;
  if (parts.size() == 1) {
    s.sLastDirectory = parentFolderName(parts[0]);
    s.sFiles.items.push_back(fileNameOf(parts[0]));
  } else {
    s.sLastDirectory = parts[0];
    s.sFiles.items.assign(parts.begin() + 1, parts.end());
  }
  s.nFilesSelected = CInt(Variant(static_cast<int32_t>(s.sFiles.items.size())));
  return s;
}

SelectedFile saveResult(int32_t result, const std::string& file, int32_t fileOffset) {
  if (result == 0) return {};
  SelectedFile s;
  const size_t offset = static_cast<size_t>(std::max(fileOffset, 0));
  s.sLastDirectory = firstCharacters(file, offset);
  std::string rest = file.substr(s.sLastDirectory.size());
  rest.resize(std::min(rest.size(), rest.find(kNul)));
  s.sFiles.lbound = 0;
  s.sFiles.items = {"", rest};
  s.nFilesSelected = 1;
  s.bCanceled = false;
  return s;
}

std::string parentFolderName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string fileNameOf(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  if (path == "/") return {};
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace qxvb::gui
