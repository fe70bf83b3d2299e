// Reads the connection string of a data-link file made of fuzzed bytes.
// The reader must end without a fault; a line it takes is empty or starts
// with "Provider", holds no line break, and reads back the same from a
// file written by the library.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "database/connection_string_items.h"
#include "database/qx_ado_utilities.h"
#include "database/udl_file.h"
#include "frame/automation_error.h"
#include "platform/unicode.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// One file per fuzzing process, rewritten for every input and removed when
// the process ends.
class ScratchFile {
 public:
  ScratchFile() {
    path = "/tmp/qxvb-fuzz-udl-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) std::abort();
    ::close(fd);
  }
  ~ScratchFile() { ::unlink(path.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  std::string path;
};

const std::string& scratchFile() {
  static const ScratchFile file;
  return file.path;
}

void writeFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (written != bytes.size()) std::abort();
}

void checkLine(const std::string& line) {
  check(line.find_first_of("\r\n") == std::string::npos);
  check(line.empty() ||
        qxvb::unicode::equalsIgnoreCase(qxvb::connstr::firstChars(line, 8), "Provider"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qxvb::QX_ADO_Utilities utilities;
  try {
    std::string file = scratchFile();
    writeFile(file, bytes);
    std::string line;
    const bool read = utilities.QX_ADO_ReadConnectionString(file, line);
    if (!read) {
      check(line.empty());
      return 0;
    }
    checkLine(line);
    const std::string again =
        qxvb::udl::connectionLine(qxvb::udl::decode(qxvb::udl::encode("[oledb]", "; c", line)))
            .value_or("missing");
    check(again == line);
  } catch (const qxvb::AutomationError&) {
  }
  return 0;
}
