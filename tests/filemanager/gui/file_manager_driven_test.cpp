// The file manager window met as a person meets it: qxcall shows it on an
// embedded repository made by qxrepo, xdotool imports a folder's files,
// exports them, deletes one, filters by name and by extension and picks a
// file, and the results are checked on disk and in the repository.
#include <gtest/gtest.h>

#include <filesystem>

#include "database/repository/embedded_repository.h"
#include "platform/registry/app_settings.h"
#include "support/gui_driver.h"
#include "support/sandbox.h"
#include "support/x_server.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

class FileManagerDrivenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sharedXServer(); }
};

uint32_t activeWindowTitled(const std::string& title) {
  const uint32_t w = waitForWindow(exactPattern(title));
  EXPECT_NE(w, 0u) << "no window titled " << title;
  xdotool({"windowactivate", "--sync", std::to_string(w)});
  xdotool({"sleep", "0.3"});
  return w;
}

int64_t storedFiles(const fs::path& repository) {
  for (const auto& t : describeEmbeddedRepository(repository.string()).tables) {
    if (t.name == "Files") return t.rows;
  }
  return -1;
}

TEST_F(FileManagerDrivenTest, ImportExportDeleteFilterAndPick) {
  const fs::path folder = freshFolder("driven");
  const fs::path repository = folder / "model.qxr";
  int code = -1;
  runProgram({builtProgram("qxrepo").string(), "create", repository.string()}, &code);
  ASSERT_EQ(code, 0);
  const fs::path in = folder / "Übergabe";
  const fs::path out = folder / "out";
  fs::create_directories(in);
  fs::create_directories(out);
  writeFile(in / "a.txt", "alpha");
  writeFile(in / "b.cfg", std::string("[b]\r\n\0x", 7));
  writeFile(in / "c.png", std::string("\x89PNG\r\n\x1a\n", 8));
  // The import dialog starts in the folder last used.
  registry::saveAppSetting("Tembra", "Folders", "File Manager", in.string());

  QxcallProcess qx({"--json", "QXVBUtils.QXFileManager", "--put", "FromBrowseInternal", "b:true",
                    "--", "Init_New_noADO", "Tool", embeddedConnectionString(repository.string()),
                    "--", "Show", "--", "SelectedFileName"});
  const uint32_t w = activeWindowTitled("File Manager");
  const WindowGeometry g = windowGeometry(w);
  // A click on the grid's empty part; never twice on the same spot, as a
  // pointer move that moves nothing waits for nothing.
  int clicks = 0;
  const auto focusGrid = [&] { clickAt(w, 150 + 10 * clicks++, g.height / 2); };

  // Import the folder's three files.
  pressKeys(w, {"ctrl+i"});
  const uint32_t open = activeWindowTitled("Import Files");
  typeText(open, "\"a.txt\" \"b.cfg\" \"c.png\"");
  pressKeys(open, {"Return"});
  ASSERT_TRUE(eventually([&] { return storedFiles(repository) == 3; }, 10s));

  // Export all of them into a folder chosen in the folder browser.
  focusGrid();
  pressKeys(w, {"ctrl+a", "ctrl+e"});
  xdotool({"sleep", "0.3"});
  pressKeys(w, {"c"});
  const uint32_t browse = activeWindowTitled("Export");
  pressKeys(browse, {"ctrl+a"});
  typeText(browse, out.string());
  pressKeys(browse, {"Return"});
  ASSERT_TRUE(eventually([&] { return fs::exists(out / "c.png"); }, 10s));
  for (const char* name : {"a.txt", "b.cfg", "c.png"}) {
    EXPECT_EQ(readFile(out / name), readFile(in / name)) << name;
  }

  // Delete the first row.
  focusGrid();
  pressKeys(w, {"ctrl+Home", "ctrl+space", "Delete"});
  ASSERT_TRUE(eventually([&] { return storedFiles(repository) == 2; }, 10s));

  // Filter by name, then by extension, and pick what is left.
  pressKeys(w, {"ctrl+f", "alt+a"});
  typeText(w, "b");
  xdotool({"sleep", "0.6"});
  pressKeys(w, {"ctrl+a", "BackSpace", "ctrl+f", "alt+x", "space"});  // cfg off
  xdotool({"sleep", "0.6"});
  focusGrid();
  pressKeys(w, {"ctrl+Home", "ctrl+space", "alt+o"});
  ASSERT_EQ(qx.wait(), 0) << qx.output();
  const std::string output = qx.output();
  EXPECT_NE(output.find("{\"result\": \"c.png\\r\""), std::string::npos) << output;
  EXPECT_EQ(storedFiles(repository), 2);
}

}  // namespace
}  // namespace qxvb::test
