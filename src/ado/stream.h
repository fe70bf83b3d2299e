// ADODB.Stream: bytes or text in memory, read and written at a position,
// loaded from and saved to files. Text is kept in the stream's Charset
// ("Unicode", that is UTF-16LE with a byte-order mark, unless set).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/dispatch.h"

namespace qxvb::ado {

class Stream : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  void Open();
  void Close();
  int32_t State() const { return open_ ? 1 : 0; }

  int32_t Type() const { return type_; }
  void setType(int32_t type);
  const std::string& Charset() const { return charset_; }
  void setCharset(const std::string& charset);
  int32_t LineSeparator() const { return lineSeparator_; }
  void setLineSeparator(int32_t separator);
  int32_t Position() const;
  void setPosition(int32_t position);
  int32_t Size() const;
  bool EOS() const;
  void SetEOS();

  void Write(const Variant& buffer);
  // count bytes from the position (adReadAll -1: to the end); Null at the end.
  Variant Read(int32_t count = -1);
  void WriteText(const std::string& text, int32_t options = 0);
  // count characters (adReadAll -1, adReadLine -2 for one line).
  std::string ReadText(int32_t count = -1);
  void LoadFromFile(const std::string& path);
  // adSaveCreateNotExist 1 refuses an existing file; adSaveCreateOverWrite 2
  // replaces it. The file appears whole or not at all.
  void SaveToFile(const std::string& path, int32_t options = 1);
  void CopyTo(Stream& destination, int32_t count = -1);

 private:
  void requireOpen() const;
  std::string separator() const;
  // Where the text starts: after a byte-order mark at the stream's start.
  size_t textStart() const;

  bool open_ = false;
  int32_t type_ = 2;  // adTypeText
  std::string charset_ = "Unicode";
  int32_t lineSeparator_ = -1;  // adCRLF
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};

}  // namespace qxvb::ado
