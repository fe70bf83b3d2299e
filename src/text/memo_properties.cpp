#include "text/memo_properties.h"

#include "frame/automation_error.h"
#include "text/char_positions.h"

namespace qxvb {

namespace {

constexpr std::string_view kOpen = "[[[";
constexpr std::string_view kClose = "]]]";
constexpr std::string_view kCrLf = "\r\n";

bool crLfAt(std::string_view text, size_t offset) {
  return text.substr(offset, 2) == kCrLf;
}

}  // namespace

bool getNextProperty(std::string_view memo, int32_t& pos, std::string& name, std::string& value) {
  if (pos < 1) raiseVbError(vberr::InvalidProcedureCall);
  const size_t start = byteOffsetOfPosition(memo, static_cast<size_t>(pos));
  const size_t p1 = memo.find(kOpen, start);
  size_t p2 = memo.find(kClose, start);
  if (p1 == std::string_view::npos || p2 == std::string_view::npos) return false;
  if (p2 < p1) {
    p2 = memo.find(kClose, p1);
    if (p2 == std::string_view::npos) return false;
  }
  name = std::string(memo.substr(p1 + kOpen.size(), p2 - p1 - kOpen.size()));

  size_t v = p2 + kClose.size();
  if (crLfAt(memo, v)) v += kCrLf.size();
  const size_t p3 = memo.find(kOpen, v);
  if (p3 == std::string_view::npos) {
    pos = 0;
    size_t end = memo.size();
    // The CR LF that ends the memo is not part of the value; a memo that
    // ends right after the name's own CR LF has an empty value.
    if (memo.ends_with(kCrLf) && end - v >= kCrLf.size()) end -= kCrLf.size();
    value = std::string(memo.substr(v, end - v));
    return false;
  }
  // Count on from the start position rather than from the memo's start.
  const size_t from = start < memo.size() ? start : memo.size();
  const size_t counted = positionOfByteOffset(memo.substr(from), p3 - from) - 1;
  pos = static_cast<int32_t>(static_cast<size_t>(pos) + counted);
  size_t end = p3;
  if (p3 >= v + kCrLf.size() && crLfAt(memo, p3 - kCrLf.size())) end -= kCrLf.size();
  value = std::string(memo.substr(v, end - v));
  return true;
}

}  // namespace qxvb
