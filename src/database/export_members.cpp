// The export members of QX_ADO_Utilities: a file stored in the repository's
// file table copied out to a local file, and a log table of the repository
// written as a text report.
#include <memory>
#include <string>
#include <vector>

#include "ado/field.h"
#include "ado/recordset.h"
#include "ado/value_codec.h"
#include "database/export_target.h"
#include "database/qx_ado_utilities.h"
#include "database/repository_access.h"
#include "files/file_dates.h"
#include "frame/automation_error.h"
#include "frame/error_codes.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/ansi.h"
#include "platform/scope_exit.h"
#include "platform/unicode.h"

namespace qxvb {

namespace {

constexpr const char* kSource = "QXVBUtils - QX_ADO_ExportLogFile";
constexpr int32_t kRecordNotFound = 41127;
constexpr int32_t kCannotOpenConnection = 41128;
constexpr int32_t kCannotCreateFile = 41129;
constexpr int32_t kUnknownLogFile = 41130;
constexpr int32_t kLogIsEmpty = 41131;
constexpr int32_t kLogName = 55070;
constexpr int32_t kChunkSize = 16384;

constexpr int32_t kMessageIdWidth = 10;
constexpr int32_t kUserIdWidth = 16;
constexpr int32_t kVersionWidth = 8;

// A failure of one stage, raised after the clean-up.
struct Recorded {
  int32_t number = 0;
  std::string description;
  bool failed() const { return number != 0; }
};

Recorded record(int32_t number, int32_t textId, const std::string& value) {
  return Recorded{number, formatLocalString(localString(textId), Variant(value))};
}

[[noreturn]] void raise(const Recorded& failure) {
  raiseError(failure.number, kSource, failure.description);
}

std::string upper(const std::string& text) {
  return unicode::toUpper(text);
}

// The text "01/01/01 01:01:01" as a date, written the way dates are.
int32_t dateWidth() {
  const DateValue sample{36892.0 + 3661.0 / 86400.0};
  return static_cast<int32_t>(unicode::length(files::dateText(sample)));
}

void padTo(std::string& line, const std::string& text, int32_t width) {
  const auto length = static_cast<int32_t>(unicode::length(text));
  if (length < width) line.append(static_cast<size_t>(width - length), ' ');
  line += text;
  line += " | ";
}

std::string text(const Variant& value) {
  return value.isNull() || value.isEmpty() ? std::string() : CStr(value);
}

std::string dateValueText(const Variant& value) {
  if (const auto* date = value.get<DateValue>()) return files::dateText(*date);
  if (const auto* s = value.get<std::string>()) {
    DateValue parsed;
    if (ado::parseIsoDate(*s, parsed)) return files::dateText(parsed);
  }
  return text(value);
}

// One line as the file system object's WriteLine writes it.
void writeLine(ExportTarget& file, const std::string& line) {
  file.write(ansi::fromUtf8(line));
  file.write("\r\n");
}

// The stem of the log name: up to, not including, its first ".".
std::string logTable(const std::string& logName) {
  return logName.substr(0, logName.find('.')) + "_LOG";
}

std::string headingLine(int32_t dateColumnWidth) {
  std::string line;
  padTo(line, "Message ID", kMessageIdWidth);
  padTo(line, "Date", dateColumnWidth);
  padTo(line, "User ID", kUserIdWidth);
  padTo(line, "Version", kVersionWidth);
  return line + "Message";
}

void writeRows(ExportTarget& file, const std::shared_ptr<ado::Connection>& connection,
               const std::string& table, bool oracle, int32_t dateColumnWidth) {
  ado::Recordset rows;
  rows.Open(Variant("SELECT * FROM " + table),
            Variant(std::static_pointer_cast<Dispatch>(connection)), 0, 1, -1);
  if (rows.Eof()) {
    writeLine(file, "");
    writeLine(file, localString(kLogIsEmpty));
    rows.Close();
    return;
  }
  const auto fields = rows.FieldsObject();
  const auto messageId = fields->Item(Variant("MessageID"));
  const auto date = fields->Item(Variant(oracle ? "QXDate" : "Date"));
  const auto userId = fields->Item(Variant("UserId"));
  const auto version = fields->Item(Variant("Version"));
  const auto message = fields->Item(Variant("Message"));
  std::string line;
  while (!rows.Eof()) {
    line.clear();
    padTo(line, text(messageId->Value()), kMessageIdWidth);
    padTo(line, dateValueText(date->Value()), dateColumnWidth);
    padTo(line, text(userId->Value()), kUserIdWidth);
    padTo(line, text(version->Value()), kVersionWidth);
    line += text(message->Value());
    writeLine(file, line);
    rows.MoveNext();
  }
  rows.Close();
}

// The stored file's "Data" copied in pieces into the file: ActualSize
// bytes, whether the column holds bytes or (in a loosely typed store) text.
void copyData(ado::Field& data, ExportTarget& file) {
  int32_t left = data.ActualSize();
  while (left > 0) {
    const Variant piece = data.GetChunk(std::min(left, kChunkSize));
    std::string_view bytes;
    if (const auto* binary = piece.get<ByteArray>()) {
      bytes =
          std::string_view(reinterpret_cast<const char*>(binary->data.data()), binary->data.size());
    } else if (const auto* text = piece.get<std::string>()) {
      bytes = *text;
    }
    if (bytes.empty()) break;
    file.write(bytes);
    left -= static_cast<int32_t>(std::min<size_t>(bytes.size(), static_cast<size_t>(left)));
  }
}

}  // namespace

bool QX_ADO_Utilities::QX_ADO_ExportFile(const std::string& v_strFileName,
                                         const std::string& v_strConnect,
                                         const std::string& v_strTargetFile) {
  std::shared_ptr<ado::Connection> connection;
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  try {
    connection = QX_ADO_OpenConnection(v_strConnect);
  } catch (const std::exception&) {
    raise(record(enuUnableToOpenConnection, kCannotOpenConnection, v_strConnect));
  }
  // The target is made once: the working file is created where the empty
  // target would be, and becomes the target empty when there is nothing to
  // copy, or with the stored file's data.
  Recorded failure;
  std::unique_ptr<ExportTarget> file;
  try {
    file = std::make_unique<ExportTarget>(v_strTargetFile);
  } catch (const std::exception&) {
    failure = record(enuUnableToCreateFile, kCannotCreateFile, v_strTargetFile);
  }
  ado::Recordset rows;
  if (!failure.failed()) {
    const bool oracle = isOracleProvider(providerItem(*this, v_strConnect));
    const std::string name = oracle ? upper(v_strFileName) : v_strFileName;
    const std::string sql =
        "SELECT * FROM Files WHERE Name = '" + QX_ADO_EncodeSQLValue(name) + "'";
    std::shared_ptr<ado::Field> data;
    try {
      rows.Open(Variant(sql), Variant(std::static_pointer_cast<Dispatch>(connection)), 0, 1, -1);
      if (!rows.Eof()) data = rows.FieldsObject()->Item(Variant("Data"));
    } catch (const std::exception&) {
      data.reset();
    }
    if (!data) {
      failure = record(enuUnableToFindRecord, kRecordNotFound, v_strFileName);
      try {
        file->commit();
      } catch (const std::exception&) {
        failure = record(enuUnableToCreateFile, kCannotCreateFile, v_strTargetFile);
      }
    } else {
      try {
        copyData(*data, *file);
        file->commit();
      } catch (const std::exception&) {
        failure = record(enuUnableToCreateFile, kCannotCreateFile, v_strTargetFile);
        file.reset();
        // As when the target was made empty before the copy began.
        try {
          createEmptyTarget(v_strTargetFile);
        } catch (const std::exception&) {
          // The failure to report is the copy's.
        }
      }
    }
  }
  try {
    if (rows.State() == 1) rows.Close();
  } catch (const std::exception&) {
    // Clean-up failures change nothing for the caller.
  }
  if (failure.failed()) raise(failure);
  return true;
}

bool QX_ADO_Utilities::QX_ADO_ExportLogFile(int32_t v_lngLogFile, const std::string& v_strConnect,
                                            const std::string& v_strTargetFile) {
  if (v_lngLogFile != 0 && v_lngLogFile != 1) {
    raise(Recorded{enuErrorUnknownLogFile, localString(kUnknownLogFile)});
  }
  const std::string logName = localString(kLogName);
  auto connection = openAdo(v_strConnect);
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  Recorded failure;
  std::unique_ptr<ExportTarget> file;
  try {
    file = std::make_unique<ExportTarget>(v_strTargetFile);
  } catch (const std::exception&) {
    failure = record(enuUnableToCreateFile, kCannotCreateFile, v_strTargetFile);
  }
  if (file) {
    const int32_t width = dateWidth();
    writeLine(*file, "Quillane " + logName + ". " + files::nowText());
    writeLine(*file, "");
    writeLine(*file, headingLine(width));
    try {
      const bool oracle = isOracleProvider(providerItem(*this, v_strConnect));
      writeRows(*file, connection, logTable(logName), oracle, width);
    } catch (const std::exception&) {
      failure = record(enuUnableToFindRecord, kRecordNotFound, logName);
    }
  }
  // The file is closed with what was written, also after a failure while
  // the log table was read: the title and heading come before the table.
  if (file) {
    try {
      file->commit();
    } catch (const std::exception&) {
      if (!failure.failed())
        failure = record(enuUnableToCreateFile, kCannotCreateFile, v_strTargetFile);
    }
  }
  if (failure.failed()) raise(failure);
  return true;
}

void addExportMembers(Members<QX_ADO_Utilities>& members) {
  using Self = QX_ADO_Utilities;
  members
      .method<&Self::QX_ADO_ExportFile>(
          "QX_ADO_ExportFile", {in("v_strFileName"), in("v_strConnect"), in("v_strTargetFile")})
      .method<&Self::QX_ADO_ExportLogFile>(
          "QX_ADO_ExportLogFile", {in("v_lngLogFile"), in("v_strConnect"), in("v_strTargetFile")});
}

}  // namespace qxvb
