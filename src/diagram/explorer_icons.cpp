#include "diagram/explorer_icons.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "exports/qxdbio.h"
#include "files/qx_file_utils.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/dispatch.h"
#include "frame/member_extensions.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/ansi.h"
#include "platform/text/ascii.h"
#include "text/qxutilities.h"
#include "ui/picture/picture_stream.h"

namespace qxvb::diagram {

namespace {

namespace fs = std::filesystem;

constexpr int32_t kExportFailed = 41150;
constexpr int32_t kNoRepository = 41151;
constexpr int32_t kFolderNotReady = 41152;
constexpr int32_t kIconNotLoaded = 41155;
constexpr int kIconSize = 16;

struct LoadFailed {
  std::string message;
};

// The working folder: made for this user alone when missing, emptied when
// present. A link or a file in its place is refused rather than followed.
void prepareFolder(const fs::path& folder) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(folder, ec);
  if (!fs::exists(status)) {
    if (::mkdir(folder.c_str(), 0700) != 0) {
      throw LoadFailed{formatLocalString(localString(kFolderNotReady),
                                         Variant(folder.string() + ": " + std::strerror(errno)))};
    }
    return;
  }
  if (!fs::is_directory(status)) {
    throw LoadFailed{formatLocalString(localString(kFolderNotReady),
                                       Variant(folder.string() + ": not a folder"))};
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    fs::remove_all(entry.path(), ec);
  }
}

void removeFolder(const fs::path& folder) {
  std::error_code ec;
  if (fs::is_directory(fs::symlink_status(folder, ec))) fs::remove_all(folder, ec);
}

Object iconPicture(const fs::path& file) {
  const std::shared_ptr<Picture> picture = loadPictureFile(file.string());
  const QImage& image = picture->image();
  if (image.width() == kIconSize && image.height() == kIconSize) return picture;
  return makePicture(
      image.scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

bool isBitmapName(const fs::path& file) {
  return ascii::toLower(file.extension().string()) == ".bmp";
}

// Loads every bitmap of the folder into icons; answers the message of the
// first bitmap that is not a picture.
std::string loadBitmaps(const fs::path& folder, Collection& icons) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    if (entry.is_regular_file(ec) && !entry.is_symlink(ec) && isBitmapName(entry.path())) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  std::string failure;
  for (const fs::path& file : files) {
    const std::string name = file.filename().string();
    try {
      Object picture = iconPicture(file);
      if (!icons.hasKey(name)) icons.Add(Variant(std::move(picture)), name);
    } catch (const AutomationError&) {
      if (failure.empty()) failure = formatLocalString(localString(kIconNotLoaded), Variant(name));
    }
  }
  return failure;
}

void exportArchive(const fs::path& folder) {
  const int32_t block = QXDBIO_GetControlBlock();
  if (block == 0) throw LoadFailed{localString(kNoRepository)};
  const std::string archive = ansi::fromUtf8(kIconArchive);
  // The component is given the folder with its separator at the end.
  const int32_t status = QXDBIO_EncyFileExport(block, archive.c_str(), archive.c_str(),
                                               ansi::fromUtf8(folder.string() + "/").c_str());
  if (status != kQxdbioSuccess) {
    throw LoadFailed{formatLocalString(localString(kExportFailed), Variant(status))};
  }
}

void unpackArchive(const fs::path& folder) {
  const Object zip = createObject("QX.NET.Utils.ZipUtils");
  zip->call("ExtractZipFile",
            {Variant((folder / kIconArchive).string()), Variant(folder.string() + "/")});
  const std::string message = CStr(zip->getProperty("ErrorMessage"));
  if (!message.empty()) throw LoadFailed{message};
}

void load(gui::ExtensionState::ExplorerIcons& cache) {
  // A load that fails anywhere leaves no icons: they are kept only when all loaded.
  cache.icons = std::make_shared<Collection>();
  const fs::path folder =
      fs::path(sharedFileUtils()->QX_File_GetFolderLocation(0, QXSF_TemporaryFolder)) / "Icons";
  try {
    prepareFolder(folder);
    exportArchive(folder);
    unpackArchive(folder);
    // The archive itself is no icon.
    std::error_code ec;
    fs::remove(folder / kIconArchive, ec);
    auto icons = std::make_shared<Collection>();
    cache.lastError = loadBitmaps(folder, *icons);
    if (cache.lastError.empty()) cache.icons = std::move(icons);
  } catch (const LoadFailed& failure) {
    cache.lastError = failure.message;
  } catch (const std::exception& e) {
    cache.lastError = e.what();
  }
  // The pictures are in memory now; the unpacked files are not needed.
  removeFolder(folder);
}

}  // namespace

std::string iconKey(int32_t major, int32_t minor) {
  char text[40];
  std::snprintf(text, sizeof text, "%d_%s%04lld.bmp", major, minor < 0 ? "-" : "",
                minor < 0 ? -static_cast<long long>(minor) : static_cast<long long>(minor));
  return text;
}

Object userSuppliedIcon(gui::ExtensionState::ExplorerIcons& cache, int32_t major, int32_t minor,
                        bool& exists) {
  if (!cache.loaded) {
    load(cache);
    cache.loaded = true;
  } else {
    cache.lastError.clear();
  }
  const auto icons = std::dynamic_pointer_cast<Collection>(cache.icons);
  if (!icons || icons->Count() == 0) return nullptr;
  exists = true;
  const std::string key = iconKey(major, minor);
  if (!icons->hasKey(key)) return nullptr;
  return CObj(icons->Item(Variant(key)));
}

void resetExplorerIcons(gui::ExtensionState::ExplorerIcons& cache) {
  cache.loaded = false;
}

namespace {

void addIconMembers(DispatchTable& table) {
  Members<QXUtilities>(table)
      .method("QX_GetUserSuppliedIconForExplorer",
              {ref("lngMajorKey"), ref("lngMinorKey"), ref("booUserSuppliedExplorerIconsExist")},
              [](QXUtilities& u, CallArgs& a) {
                bool exists = a[2].isEmpty() ? false : a.boolean(2);
                const bool before = exists;
                Object icon = userSuppliedIcon(gui::extensionState(u).explorerIcons, a.lng(0),
                                               a.lng(1), exists);
                if (exists != before) a.set(2, Variant(exists));
                return Variant(std::move(icon));
              })
      .method("QX_ResetExplorerIconsForNewEncy", {},
              [](QXUtilities& u, CallArgs&) {
                resetExplorerIcons(gui::extensionState(u).explorerIcons);
                return Variant();
              })
      .method("QX_GetLastIconForExplorerErrorMsg", {ref("strLastIconForExplorerErrorMsg")},
              [](QXUtilities& u, CallArgs& a) {
                a.set(0, Variant(gui::extensionState(u).explorerIcons.lastError));
                return Variant();
              });
}

[[maybe_unused]] const bool registered = addMemberExtension("QXUtilities", addIconMembers);

}  // namespace

}  // namespace qxvb::diagram
