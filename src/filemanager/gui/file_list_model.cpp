#include "filemanager/gui/file_list_model.h"

#include <algorithm>

#include "frame/string_table.h"
#include "frame/vb_conversions.h"

namespace qxvb::filestore {

namespace {

constexpr int32_t kHeaderTexts[3] = {34952, 34953, 34954};

}  // namespace

QString extensionOfStoredName(const QString& name) {
  const qsizetype dot = name.lastIndexOf('.');
  return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {
  for (int i = 0; i < 3; ++i) headers_[i] = QString::fromStdString(localString(kHeaderTexts[i]));
}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(visible_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const ListedFile& f = fileAt(index.row());
  switch (index.column()) {
    case 0:
      return f.shownName;
    case 1:
      return f.extension;
    default:
      if (!f.hasDate) return f.dateText;
      return QString::fromStdString(CStr(Variant(DateValue{f.dateSerial})));
  }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 2) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return headers_[section];
}

void FileListModel::setFiles(std::vector<ListedFile> files) {
  beginResetModel();
  files_ = std::move(files);
  visible_.clear();
  for (size_t i = 0; i < files_.size(); ++i) {
    if (passes(files_[i])) visible_.push_back(static_cast<int>(i));
  }
  endResetModel();
}

void FileListModel::appendFiles(std::vector<ListedFile>&& files) {
  std::vector<int> added;
  const size_t first = files_.size();
  for (size_t i = 0; i < files.size(); ++i) {
    if (passes(files[i])) added.push_back(static_cast<int>(first + i));
  }
  files_.insert(files_.end(), std::make_move_iterator(files.begin()),
                std::make_move_iterator(files.end()));
  if (added.empty()) return;
  const int at = static_cast<int>(visible_.size());
  beginInsertRows({}, at, at + static_cast<int>(added.size()) - 1);
  visible_.insert(visible_.end(), added.begin(), added.end());
  endInsertRows();
}

std::vector<QString> FileListModel::extensions() const {
  std::set<QString> found;
  for (const ListedFile& f : files_) found.insert(f.extension);
  return {found.begin(), found.end()};
}

void FileListModel::setFilters(const QString& name, const std::set<QString>* extensions) {
  nameFilter_ = name;
  filterExtensions_ = extensions != nullptr;
  extensions_ = extensions != nullptr ? *extensions : std::set<QString>();
  refilter();
}

bool FileListModel::passes(const ListedFile& file) const {
  if (filterExtensions_ && extensions_.count(file.extension) == 0) return false;
  return nameFilter_.isEmpty() || file.shownName.contains(nameFilter_, Qt::CaseInsensitive);
}

void FileListModel::refilter() {
  beginResetModel();
  visible_.clear();
  for (size_t i = 0; i < files_.size(); ++i) {
    if (passes(files_[i])) visible_.push_back(static_cast<int>(i));
  }
  endResetModel();
}

int FileListModel::rowOf(const std::string& name) const {
  for (size_t r = 0; r < visible_.size(); ++r) {
    if (files_[static_cast<size_t>(visible_[r])].name == name) return static_cast<int>(r);
  }
  return -1;
}

}  // namespace qxvb::filestore
