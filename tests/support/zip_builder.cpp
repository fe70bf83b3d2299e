#include "support/zip_builder.h"

#include <zip.h>

#include <cstring>
#include <stdexcept>

#include "support/sandbox.h"

namespace qxvb::test {

void writeZip(const std::filesystem::path& file, const std::vector<ZipEntry>& entries) {
  int error = 0;
  zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) throw std::runtime_error("cannot create " + file.string());
  for (const ZipEntry& entry : entries) {
    zip_int64_t index = -1;
    if ((entry.unixMode & 0170000) == 0040000) {
      index = zip_dir_add(archive, entry.name.c_str(), ZIP_FL_ENC_UTF_8);
    } else {
      // The source reads the entry's bytes when the archive is closed.
      zip_source_t* source = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
      index =
          zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
      if (index < 0) zip_source_free(source);
    }
    if (index < 0 || zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0,
                                                      ZIP_OPSYS_UNIX, entry.unixMode << 16) != 0) {
      zip_discard(archive);
      throw std::runtime_error("cannot add " + entry.name);
    }
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    throw std::runtime_error("cannot write " + file.string());
  }
}

void declareUncompressedSize(const std::filesystem::path& file, uint32_t size) {
  std::string bytes = readFile(file);
  const auto patch = [&](const char* signature, size_t offset) {
    const size_t at = bytes.find(signature, 0, 4);
    if (at == std::string::npos || at + offset + 4 > bytes.size()) {
      throw std::runtime_error("no header in " + file.string());
    }
    for (int i = 0; i < 4; ++i)
      bytes[at + offset + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
  };
  patch("PK\x03\x04", 22);
  patch("PK\x01\x02", 24);
  writeFile(file, bytes);
}

}  // namespace qxvb::test
