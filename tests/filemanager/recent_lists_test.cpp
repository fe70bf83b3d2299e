// The recent files and folders in the user's application settings, and
// their menu captions.
#include <gtest/gtest.h>

#include "filemanager/recent_lists.h"
#include "platform/registry/app_settings.h"

namespace qxvb::test {
namespace {

using filestore::compactPath;
using filestore::recentCaption;
using filestore::RecentList;

TEST(RecentListTest, NewestFirstFourKeptExistingEntriesMoveUp) {
  RecentList files("Tembra", "MRU");
  EXPECT_EQ(files.entries(), (std::vector<std::string>{"", "", "", ""}));
  files.add("/a");
  files.add("/b");
  EXPECT_EQ(files.entries(), (std::vector<std::string>{"/b", "/a", "", ""}));
  // Only the stored entries exist as values.
  EXPECT_EQ(registry::getAppSetting("Tembra", "FileManager", "MRU2", "missing"), "missing");
  for (const char* p : {"/c", "/d", "/e"}) files.add(p);
  EXPECT_EQ(files.entries(), (std::vector<std::string>{"/e", "/d", "/c", "/b"}));
  files.add("/c");
  EXPECT_EQ(files.entries(), (std::vector<std::string>{"/c", "/e", "/d", "/b"}));
  files.add("/c");
  EXPECT_EQ(files.entries(), (std::vector<std::string>{"/c", "/e", "/d", "/b"}));
  // The two lists and the two repository kinds are apart.
  EXPECT_EQ(RecentList("Tembra", "MRUFolder").entries()[0], "");
  EXPECT_EQ(RecentList("TembraO", "MRU").entries()[0], "");
  EXPECT_EQ(registry::getAppSetting("Tembra", "FileManager", "MRU0"), "/c");
  EXPECT_EQ(registry::appSettingsPath("Tembra", "FileManager"),
            "Software\\VB and VBA Program Settings\\Tembra\\FileManager");
  EXPECT_FALSE(registry::saveAppSetting("", "FileManager", "MRU0", "x"));
}

TEST(RecentListTest, CaptionsAreNumberedAndCompacted) {
  EXPECT_EQ(recentCaption(0, "/home/ann/a.txt"), "&1 /home/ann/a.txt");
  EXPECT_EQ(recentCaption(3, "/R&D/plan.cfg"), "&4 /R&&D/plan.cfg");
  const std::string deep = "/home/ann/" + std::string(200, 'x') + "/Modelle/Größe.cfg";
  const std::string shown = compactPath(deep, 125);
  EXPECT_LE(shown.size(), 125u + 2);  // "ö" and "ß" take two bytes each
  EXPECT_EQ(shown.substr(shown.size() - std::string("/.../Größe.cfg").size()), "/.../Größe.cfg");
  EXPECT_EQ(shown.rfind("/home/ann", 0), 0u);
  const std::string longName = "/d/" + std::string(300, 'n') + ".txt";
  EXPECT_EQ(compactPath(longName, 125).size(), 125u);
  EXPECT_EQ(compactPath("/short/path.txt", 125), "/short/path.txt");
}

}  // namespace
}  // namespace qxvb::test
