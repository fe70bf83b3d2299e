#include "filemanager/gui/file_viewer.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace qxvb::filestore {

namespace {

constexpr int kQueryLimitMs = 5000;

}  // namespace

std::string associatedProgram(const std::string& path) {
  const QString type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(path)).name();
  if (type.isEmpty() || QStandardPaths::findExecutable("xdg-mime").isEmpty()) return {};
  QProcess query;
  query.start("xdg-mime", {"query", "default", type});
  if (!query.waitForFinished(kQueryLimitMs)) {
    query.kill();
    query.waitForFinished(kQueryLimitMs);
    return {};
  }
  return query.readAllStandardOutput().trimmed().toStdString();
}

bool openWithAssociatedProgram(const std::string& path) {
  if (associatedProgram(path).empty()) return false;
  const QString file = QString::fromStdString(path);
  if (!QStandardPaths::findExecutable("xdg-open").isEmpty()) {
    return QProcess::startDetached("xdg-open", {file});
  }
  return QProcess::startDetached("gio", {"open", file});
}

}  // namespace qxvb::filestore
