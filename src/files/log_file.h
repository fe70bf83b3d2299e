// The product log file: switched on by a setting "Y[,folder]", one line per
// call ("<local date and time> - <message>", CR LF).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qxvb {

// Which log table QX_ADO_ExportLogFile exports.
enum enuLogFiles : int32_t {
  QXLF_NetworkLog = 0,
  QXLF_ErrorLog = 1,
};

namespace files {

// The log file a log setting names: no value when logging is off (the
// setting does not start with "Y" or "y"). The folder is the text after
// the first comma with white space trimmed; an empty folder means
// defaultFolder.
std::optional<std::string> logFileOf(const std::string& setting, const std::string& defaultFolder,
                                     const std::string& fileName);

// The message as it goes into one log line: a line break in it (CR LF, CR
// or LF) becomes one space and any other control character but TAB a
// space, so a message can never start a line of its own in the file.
std::string oneLine(const std::string& message);

// The text of one log line, without the line end.
std::string logLine(const std::string& message);

// Appends one line to a file, creating it when missing. The line goes out
// in one write on a descriptor opened for appending, so lines of several
// writers never mix. False when the file cannot be opened or written.
bool appendLogLine(const std::string& file, const std::string& message);

}  // namespace files

}  // namespace qxvb
