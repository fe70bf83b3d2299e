// qxdiagram end to end: the sample model exported as pictures and pages,
// then the pages used in a real browser, whose clicks on symbols must
// follow the links to the related diagrams.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>

#include "support/diagram_models.h"
#include "support/headless_browser.h"
#include "support/sandbox.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode = -1;
  std::string out;
};

Outcome run(const std::string& command) {
  Outcome r;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 4096> buffer{};
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string tool(const std::string& name) {
  return std::string(QXVB_BIN_DIR) + "/" + name;
}

// The sample model in a repository made by qxrepo, as a user makes it.
class QxdiagramTool : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = freshFolder("qxdiagram");
    repository_ = folder_ / "orders.qxr";
    ASSERT_EQ(run(tool("qxrepo") + " create " + repository_.string()).exitCode, 0);
    const Outcome imported =
        run(tool("qxrepo") + " model " + repository_.string() + " " + sampleModelFile().string());
    ASSERT_EQ(imported.exitCode, 0) << imported.out;
    EXPECT_NE(imported.out.find("loaded 4 diagrams, 19 symbols, 10 lines"), std::string::npos);
  }
  static fs::path folder_;
  static fs::path repository_;
};

fs::path QxdiagramTool::folder_;
fs::path QxdiagramTool::repository_;

struct Rect {
  int left, top, right, bottom;
};

// The rectangle of a symbol in a hotspot map.
Rect symbolRect(const fs::path& map, const std::string& name) {
  const std::regex pattern("<Symbol DDID=\"[0-9]+\" Name=\"" + name +
                           "\" TypeNumber=\"[0-9]+\" Left=\"([0-9]+)\" Top=\"([0-9]+)\" "
                           "Right=\"([0-9]+)\" Bottom=\"([0-9]+)\"");
  std::smatch m;
  const std::string text = readFile(map);
  if (!std::regex_search(text, m, pattern)) return {0, 0, 0, 0};
  return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])};
}

TEST_F(QxdiagramTool, ExportsEveryDiagramWithPagesAndReportsFailures) {
  const fs::path site = folder_ / "site";
  const Outcome r =
      run(tool("qxdiagram") + " --html -o " + site.string() + " " + repository_.string());
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("exported 4 of 4 diagrams"), std::string::npos);
  for (const char* name : {"diagram-1.png", "diagram-1.HSP", "diagram-1.html", "diagram-4.png",
                           "diagram-4.html", "index.html"}) {
    EXPECT_TRUE(fs::exists(site / name)) << name;
  }
  const std::string page = readFile(site / "diagram-1.html");
  // The areas are the map's rectangles, linked to the related pages.
  const Rect take = symbolRect(site / "diagram-1.HSP", "Take Order");
  EXPECT_NE(page.find("coords=\"" + std::to_string(take.left) + "," + std::to_string(take.top) +
                      "," + std::to_string(take.right) + "," + std::to_string(take.bottom) +
                      "\" data-symbol=\"103\""),
            std::string::npos);
  EXPECT_NE(page.find("href=\"diagram-2.html\""), std::string::npos);
  EXPECT_NE(readFile(site / "index.html").find("<a href=\"diagram-3.html\">Check Stock</a>"),
            std::string::npos);

  const Outcome some = run(tool("qxdiagram") + " -q -f jpeg -w 400 -o " +
                           (folder_ / "some").string() + " " + repository_.string() + " 2 77");
  EXPECT_EQ(some.exitCode, 1);
  EXPECT_NE(some.out.find("qxdiagram: diagram 77 is not in the repository"), std::string::npos);
  EXPECT_TRUE(fs::exists(folder_ / "some" / "diagram-2.jpg"));
  EXPECT_EQ(run(tool("qxdiagram") + " --format gif x.qxr").exitCode, 2);
  EXPECT_EQ(run(tool("qxdiagram") + " " + (folder_ / "missing.qxr").string()).exitCode, 1);
}

TEST_F(QxdiagramTool, ClickingASymbolInTheBrowserOpensItsRelatedDiagram) {
  const fs::path site = folder_ / "browse";
  ASSERT_EQ(run(tool("qxdiagram") + " -q --html -o " + site.string() + " " + repository_.string())
                .exitCode,
            0);
  HeadlessBrowser browser(folder_ / "browser");
  // Where the picture's pixels start in the page.
  const auto clickSymbol = [&](const fs::path& map, const std::string& name) {
    const std::string origin = browser.evaluate(
        "(() => { const i = document.querySelector('img'); const r = i.getBoundingClientRect(); "
        "return (r.left + i.clientLeft) + ',' + (r.top + i.clientTop); })()");
    const double x = std::stod(origin.substr(0, origin.find(',')));
    const double y = std::stod(origin.substr(origin.find(',') + 1));
    const Rect r = symbolRect(map, name);
    ASSERT_LT(r.left, r.right) << name;
    browser.click(x + (r.left + r.right) / 2.0, y + (r.top + r.bottom) / 2.0);
  };
  browser.open("file://" + (site / "diagram-1.html").string());
  clickSymbol(site / "diagram-1.HSP", "Take Order");
  EXPECT_EQ(browser.waitForLocation("/diagram-2.html", std::chrono::seconds(10)),
            "file://" + (site / "diagram-2.html").string());
  clickSymbol(site / "diagram-2.HSP", "Back to Overview");
  EXPECT_EQ(browser.waitForLocation("/diagram-1.html", std::chrono::seconds(10)),
            "file://" + (site / "diagram-1.html").string());
  // A symbol without related diagram leads nowhere.
  clickSymbol(site / "diagram-1.HSP", "Customer");
  EXPECT_EQ(browser.waitForLocation("/nowhere.html", std::chrono::milliseconds(500)),
            "file://" + (site / "diagram-1.html").string());
  // The store's related diagram is the state chart of the second notation.
  clickSymbol(site / "diagram-1.HSP", "Orders");
  EXPECT_EQ(browser.waitForLocation("/diagram-4.html", std::chrono::seconds(10)),
            "file://" + (site / "diagram-4.html").string());
}

}  // namespace
}  // namespace qxvb::test
