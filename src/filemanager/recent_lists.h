// The file manager's recent lists, kept in the user's application
// settings: the four files imported last ("FileManager" keys MRU0 to MRU3)
// and the four export folders used last (MRUFolder0 to MRUFolder3), entry
// 0 the newest; and the captions their menu entries show.
#pragma once

#include <string>
#include <vector>

namespace qxvb::filestore {

inline constexpr int kRecentEntries = 4;

class RecentList {
 public:
  // application: "Tembra" or "TembraO"; prefix: "MRU" or "MRUFolder".
  RecentList(std::string application, std::string prefix);

  // Entries 0 to 3 in order; "" where nothing is stored.
  std::vector<std::string> entries() const;
  // Puts the path first: an entry already in the list moves up, otherwise
  // the oldest is dropped.
  void add(const std::string& path);

 private:
  std::string key(int index) const;
  std::string application_, prefix_;
};

// The path shortened to at most maxChars characters, the way the
// platform's path compaction does it: the name is kept and folders
// between the start and the name give way to "...".
std::string compactPath(const std::string& path, size_t maxChars);

// A recent entry's menu caption: "&", its number counted from 1, a space,
// and the path compacted to 125 characters (its own "&" doubled so that
// it shows as written).
std::string recentCaption(int index, const std::string& path);

}  // namespace qxvb::filestore
