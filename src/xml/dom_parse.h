// Parsing documents safely: never over the network, external entities and
// DTDs only from local files and only when the document asks to resolve
// externals, errors collected instead of printed.
#pragma once

#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <cstdint>
#include <string>

namespace qxvb::xml {

// What the DOM's parse error object reports; errorCode 0 means no error.
struct ParseErrorInfo {
  int32_t errorCode = 0;
  std::string reason;  // ends with CR LF, as the DOM gives it
  std::string url;
  std::string srcText;
  int32_t line = 0;
  int32_t linepos = 0;
  int32_t filepos = 0;
};

struct LoadOptions {
  bool resolveExternals = true;
  bool validateOnParse = true;
  bool preserveWhiteSpace = false;
};

struct ParseOutcome {
  xmlDocPtr doc = nullptr;  // owned by the caller; null on failure
  ParseErrorInfo error;
};

// A string is UTF-8 whatever its declaration says; the bytes of a file are
// decoded as their byte order mark or declaration says.
enum class TextSource { Utf8String, FileBytes };

ParseOutcome parseText(const std::string& text, const std::string& url, const LoadOptions& options,
                       TextSource source = TextSource::Utf8String);
ParseOutcome parseFile(const std::string& path, const LoadOptions& options);

// Error numbers of the parse error object.
inline constexpr int32_t kObjectNotFound = static_cast<int32_t>(0x800C0006);
inline constexpr int32_t kResourceNotFound = static_cast<int32_t>(0x800C0005);
inline constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070005);
// A parser error: the parser's own code in the low word.
int32_t parserErrorCode(int code);

// Collects the errors libxml2 reports on this thread while it lives, and
// keeps them off the standard error stream.
class ErrorCapture {
 public:
  ErrorCapture();
  ~ErrorCapture();
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  bool hasError() const { return code_ != 0; }
  int code() const { return code_; }
  int line() const { return line_; }
  int column() const { return column_; }
  // The first error's message without its trailing line break.
  const std::string& message() const { return message_; }

 private:
  static void onStructured(void* self, xmlErrorPtr error);
  static void onGeneric(void* self, const char* format, ...);

  xmlStructuredErrorFunc savedStructured_;
  void* savedStructuredContext_;
  xmlGenericErrorFunc savedGeneric_;
  void* savedGenericContext_;
  int code_ = 0;
  int line_ = 0;
  int column_ = 0;
  std::string message_;
};

// Makes sure the library's external-entity loader is in place; parsers of
// the library call it before parsing.
void installEntityLoader();

// While it lives, external entities and DTDs may be read from local files
// on this thread (never from the network).
class LocalExternalsAllowed {
 public:
  explicit LocalExternalsAllowed(bool allowed);
  ~LocalExternalsAllowed();
  LocalExternalsAllowed(const LocalExternalsAllowed&) = delete;
  LocalExternalsAllowed& operator=(const LocalExternalsAllowed&) = delete;

 private:
  bool saved_;
};

}  // namespace qxvb::xml
