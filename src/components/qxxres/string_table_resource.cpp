#include "components/qxxres/string_table_resource.h"

#include <filesystem>
#include <map>
#include <mutex>

#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "platform/regular_file.h"

namespace qxvb::embedded {
extern const std::string_view stringTableText;
}

namespace qxvb::qxxres {

namespace {

constexpr std::size_t kLargestStringTable = std::size_t{16} << 20;

// The texts of a folder that holds no string table: the installed text file
// when there is one, else the English texts built into the library.
std::shared_ptr<const TextMap> builtInTexts() {
  static const auto texts = [] {
    const std::string installed = installedDataFolder();
    std::string contents;
    if (!installed.empty() &&
        platform::readRegularFile(std::filesystem::path(installed) / kStringTableFileName, contents,
                                  kLargestStringTable) == 0) {
      return std::make_shared<const TextMap>(parseStringTable(contents));
    }
    return std::make_shared<const TextMap>(parseStringTable(embedded::stringTableText));
  }();
  return texts;
}

// Parsed files are shared by every thread's component; a file is read once
// per process and path.
std::shared_ptr<const TextMap> textsForFolder(const std::string& folder) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const TextMap>> cache;
  const std::lock_guard lock(mutex);
  const auto it = cache.find(folder);
  if (it != cache.end()) return it->second;
  std::shared_ptr<const TextMap> texts = builtInTexts();
  const std::filesystem::path file = std::filesystem::path(folder) / kStringTableFileName;
  std::string contents;
  if (platform::readRegularFile(file, contents, kLargestStringTable) == 0) {
    texts = std::make_shared<const TextMap>(parseStringTable(contents));
  }
  cache.emplace(folder, texts);
  return texts;
}

thread_local int32_t iconWindow = 0;

}  // namespace

// A new component answers the texts of the library's string-table folder
// at once, as the product's does, whether or not its caller sets the path.
StringTableResource::StringTableResource()
    : folder_(stringTableFolderFor(libraryFolder())), texts_(textsForFolder(folder_)) {}

void StringTableResource::SetStringtablePath(const std::string& folder) {
  folder_ = folder;
  texts_ = textsForFolder(folder);
}

std::string StringTableResource::GetLocalString(int32_t id) const {
  const auto it = texts_->find(id);
  return it == texts_->end() ? std::string() : it->second;
}

std::string StringTableResource::FormatLocalString(const std::string& templ, const Variant& v1,
                                                   const Variant& v2, const Variant& v3) const {
  std::string values[3];
  size_t count = 0;
  for (const Variant* v : {&v1, &v2, &v3}) {
    if (v->isMissing()) break;
    values[count++] = v->isNull() ? std::string() : CStr(*v);
  }
  return fillPlaceholders(templ, values, count);
}

namespace {

IconSetter& iconSetter() {
  static IconSetter setter = nullptr;
  return setter;
}

}  // namespace

bool setIconSetter(IconSetter setter) {
  iconSetter() = setter;
  return true;
}

void StringTableResource::SetIcon(int32_t hwnd) {
  iconWindow = hwnd;
  if (iconSetter() != nullptr) iconSetter()(hwnd);
}

int32_t lastIconWindow() {
  return iconWindow;
}

const DispatchTable& StringTableResource::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Resource");
    Members<StringTableResource>(t)
        .method<&StringTableResource::GetLocalString>("GetLocalString", {in("ID")})
        .method<&StringTableResource::SetStringtablePath>("SetStringtablePath", {in("Path")})
        .method<&StringTableResource::FormatLocalString>(
            "FormatLocalString", {in("Template"), in("Value1"), opt("Value2"), opt("Value3")})
        .method<&StringTableResource::SetIcon>("SetIcon", {in("hWnd")});
    return t;
  }();
  return table;
}

Object makeStringTableResource() {
  return std::make_shared<StringTableResource>();
}

}  // namespace qxvb::qxxres
