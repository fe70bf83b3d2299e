// The file manager's grid data: one row per listed file (stored name,
// extension in lower case, date), the extensions present, and the rows the
// filters let through.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace qxvb::filestore {

struct ListedFile {
  std::string name;  // as stored
  QString shownName;
  QString extension;  // after the last ".", lower case; empty without one
  // The date column: its OLE date when it holds one (formatted when shown),
  // else its text.
  double dateSerial = 0;
  bool hasDate = false;
  QString dateText;
  int32_t wid = 0;
};

// The extension of a stored name: the text after its last ".", in lower
// case; empty when there is none.
QString extensionOfStoredName(const QString& name);

class FileListModel : public QAbstractTableModel {
 public:
  explicit FileListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Replaces every file (the filters stay).
  void setFiles(std::vector<ListedFile> files);
  // Appends files, as a long list arrives in parts.
  void appendFiles(std::vector<ListedFile>&& files);
  const std::vector<ListedFile>& files() const { return files_; }
  // The extensions present, sorted.
  std::vector<QString> extensions() const;

  // Name filter (empty: none; compared without regard to case) and the
  // extensions let through (nullopt: all).
  void setFilters(const QString& name, const std::set<QString>* extensions);
  bool passes(const ListedFile& file) const;

  // The file shown in a grid row.
  const ListedFile& fileAt(int row) const {
    return files_[static_cast<size_t>(visible_[static_cast<size_t>(row)])];
  }
  // The grid row of a stored name; -1 when it is not shown.
  int rowOf(const std::string& name) const;

 private:
  void refilter();
  std::vector<ListedFile> files_;
  std::vector<int> visible_;
  QString nameFilter_;
  bool filterExtensions_ = false;
  std::set<QString> extensions_;
  QString headers_[3];
};

}  // namespace qxvb::filestore
