#include "ado/stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "ado/ado_constants.h"
#include "ado/ado_errors.h"
#include "ado/charset.h"
#include "ado/value_codec.h"
#include "frame/vb_conversions.h"
#include "platform/atomic_file.h"
#include "platform/regular_file.h"
#include "platform/text/utf.h"

namespace qxvb::ado {

namespace {

constexpr std::string_view kSource = "ADODB.Stream";

}  // namespace

void Stream::requireOpen() const {
  if (!open_) raise(err::kObjectClosed, kSource);
}

void Stream::Open() {
  if (open_) raise(err::kObjectOpen, kSource);
  open_ = true;
  bytes_.clear();
  position_ = 0;
}

void Stream::Close() {
  requireOpen();
  open_ = false;
  bytes_.clear();
  bytes_.shrink_to_fit();
  position_ = 0;
}

void Stream::setType(int32_t type) {
  if (type != adTypeBinary && type != adTypeText) raise(err::kBadArguments, kSource);
  if (open_ && position_ != 0) raise(err::kNotInContext, kSource);
  type_ = type;
}

void Stream::setCharset(const std::string& charset) {
  if (open_ && position_ != 0) raise(err::kNotInContext, kSource);
  if (iconvName(charset).empty()) raise(err::kBadArguments, kSource);
  charset_ = charset;
}

void Stream::setLineSeparator(int32_t separator) {
  if (separator != adCRLF && separator != adLF && separator != adCR) {
    raise(err::kBadArguments, kSource);
  }
  lineSeparator_ = separator;
}

int32_t Stream::Position() const {
  requireOpen();
  return static_cast<int32_t>(position_);
}

void Stream::setPosition(int32_t position) {
  requireOpen();
  if (position < 0 || static_cast<size_t>(position) > bytes_.size()) {
    raise(err::kBadArguments, kSource);
  }
  position_ = static_cast<size_t>(position);
}

int32_t Stream::Size() const {
  requireOpen();
  return static_cast<int32_t>(bytes_.size());
}

bool Stream::EOS() const {
  requireOpen();
  return position_ >= bytes_.size();
}

void Stream::SetEOS() {
  requireOpen();
  bytes_.resize(position_);
}

void Stream::Write(const Variant& buffer) {
  requireOpen();
  if (type_ != adTypeBinary) raise(err::kNotInContext, kSource);
  const auto* bytes = buffer.get<ByteArray>();
  if (bytes == nullptr) raise(err::kBadArguments, kSource);
  const auto& data = bytes->data;
  const size_t end = position_ + data.size();
  if (end > bytes_.size()) bytes_.resize(end);
  std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
  position_ = end;
}

Variant Stream::Read(int32_t count) {
  requireOpen();
  if (type_ != adTypeBinary) raise(err::kNotInContext, kSource);
  if (count < adReadAll) raise(err::kBadArguments, kSource);
  if (position_ >= bytes_.size()) return Variant::null();
  const size_t left = bytes_.size() - position_;
  const size_t take = count == adReadAll ? left : std::min(left, static_cast<size_t>(count));
  ByteArray out;
  out.data.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(position_),
                  bytes_.begin() + static_cast<std::ptrdiff_t>(position_ + take));
  position_ += take;
  return Variant(std::move(out));
}

std::string Stream::separator() const {
  switch (lineSeparator_) {
    case adLF:
      return "\n";
    case adCR:
      return "\r";
    default:
      return "\r\n";
  }
}

size_t Stream::textStart() const {
  const std::string bom = byteOrderMark(charset_);
  if (position_ == 0 && !bom.empty() && bytes_.size() >= bom.size() &&
      std::equal(bom.begin(), bom.end(), bytes_.begin(),
                 [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; })) {
    return bom.size();
  }
  return position_;
}

void Stream::WriteText(const std::string& text, int32_t options) {
  requireOpen();
  if (type_ != adTypeText) raise(err::kNotInContext, kSource);
  std::string encoded;
  // Like ADO, text written at the start of an empty stream gets the
  // charset's byte-order mark.
  if (bytes_.empty()) encoded = byteOrderMark(charset_);
  encoded += encodeText(options == adWriteLine ? text + separator() : text, charset_);
  const size_t end = position_ + encoded.size();
  if (end > bytes_.size()) bytes_.resize(end);
  std::copy(encoded.begin(), encoded.end(),
            bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
  position_ = end;
}

std::string Stream::ReadText(int32_t count) {
  requireOpen();
  if (type_ != adTypeText) raise(err::kNotInContext, kSource);
  if (count < adReadLine) raise(err::kBadArguments, kSource);
  const size_t start = textStart();
  const std::string_view raw(reinterpret_cast<const char*>(bytes_.data()) + start,
                             bytes_.size() - start);
  const std::string text = decodeText(raw, charset_);
  std::string taken;
  if (count == adReadAll) {
    taken = text;
  } else if (count == adReadLine) {
    const std::string sep = separator();
    const size_t at = text.find(sep);
    taken = at == std::string::npos ? text : text.substr(0, at + sep.size());
  } else {
    taken = text.substr(0, utf::offsetOf(text, static_cast<size_t>(count)));
  }
  // The position moves over the bytes the taken text occupies.
  position_ =
      taken.size() == text.size() ? bytes_.size() : start + encodeText(taken, charset_).size();
  if (count == adReadLine && taken.ends_with(separator())) {
    taken.resize(taken.size() - separator().size());
  }
  return taken;
}

void Stream::LoadFromFile(const std::string& path) {
  requireOpen();
  // Only a regular file, and no more than a field can hold (2 GB).
  std::string data;
  if (platform::readRegularFile(path, data, static_cast<size_t>(INT32_MAX)) != 0) {
    raise(err::kFileOpenFailed, kSource);
  }
  bytes_.assign(data.begin(), data.end());
  position_ = 0;
}

void Stream::SaveToFile(const std::string& path, int32_t options) {
  requireOpen();
  if (options != adSaveCreateNotExist && options != adSaveCreateOverWrite) {
    raise(err::kBadArguments, kSource);
  }
  std::error_code ec;
  if (options == adSaveCreateNotExist && std::filesystem::exists(path, ec)) {
    raise(err::kWriteFileFailed, kSource);
  }
  // The platform's atomic writer: a failure leaves no partial file, and a
  // file that must be new is never put over one that appeared meanwhile.
  platform::AtomicFile file(path);
  file.write(std::string_view(reinterpret_cast<const char*>(bytes_.data()), bytes_.size()));
  const int error = options == adSaveCreateNotExist ? file.commitNew() : file.commit();
  if (error != 0) raise(err::kWriteFileFailed, kSource);
}

void Stream::CopyTo(Stream& destination, int32_t count) {
  requireOpen();
  destination.requireOpen();
  const size_t left = bytes_.size() - std::min(position_, bytes_.size());
  const size_t take = count < 0 ? left : std::min(left, static_cast<size_t>(count));
  const size_t end = destination.position_ + take;
  if (end > destination.bytes_.size()) destination.bytes_.resize(end);
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(position_), take,
              destination.bytes_.begin() + static_cast<std::ptrdiff_t>(destination.position_));
  destination.position_ = end;
  position_ += take;
}

const DispatchTable& Stream::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Stream");
    const auto none = [](auto&& fn) {
      return [fn](Stream& s, CallArgs&) {
        fn(s);
        return Variant();
      };
    };
    Members<Stream>(t)
        .method("Open",
                {opt("Source"), opt("Mode"), opt("Options"), opt("UserName"), opt("Password")},
                [](Stream& s, CallArgs& a) {
                  if (!a.missing(0) && !a[0].isEmpty()) raise(err::kBadArguments, kSource);
                  s.Open();
                  return Variant();
                })
        .method("Close", {}, none([](Stream& s) { s.Close(); }))
        .get<&Stream::State>("State", {})
        .get<&Stream::Type>("Type", {})
        .put<&Stream::setType>("Type", {in("Value")})
        .get<&Stream::Charset>("Charset", {})
        .put<&Stream::setCharset>("Charset", {in("Value")})
        .get<&Stream::LineSeparator>("LineSeparator", {})
        .put<&Stream::setLineSeparator>("LineSeparator", {in("Value")})
        .get<&Stream::Position>("Position", {})
        .put<&Stream::setPosition>("Position", {in("Value")})
        .get<&Stream::Size>("Size", {})
        .get<&Stream::EOS>("EOS", {})
        .method("SetEOS", {}, none([](Stream& s) { s.SetEOS(); }))
        .method<&Stream::Write>("Write", {in("Buffer")})
        .method<&Stream::Read>("Read", {opt("NumBytes", Variant(int32_t{-1}))})
        .method<&Stream::WriteText>("WriteText", {in("Data"), opt("Options", Variant(int32_t{0}))})
        .method<&Stream::ReadText>("ReadText", {opt("NumChars", Variant(int32_t{-1}))})
        .method<&Stream::LoadFromFile>("LoadFromFile", {in("FileName")})
        .method<&Stream::SaveToFile>("SaveToFile",
                                     {in("FileName"), opt("Options", Variant(int32_t{1}))})
        .method("CopyTo", {in("DestStream"), opt("CharNumber", Variant(int32_t{-1}))},
                [](Stream& s, CallArgs& a) {
                  auto destination = std::dynamic_pointer_cast<Stream>(a.object(0));
                  if (!destination) raise(err::kBadArguments, kSource);
                  s.CopyTo(*destination, a.lng(1));
                  return Variant();
                })
        .method("Flush", {}, [](Stream&, CallArgs&) { return Variant(); });
    return t;
  }();
  return table;
}

}  // namespace qxvb::ado
