// The string-table component as callers create it, and the files the build
// places in the library's string-table folder.
#include "components/qxxres/string_table_resource.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "frame/string_table.h"
#include "support/sandbox.h"
#include "text/qxutilities.h"

namespace qxvb {
namespace {

namespace fs = std::filesystem;

TEST(StringTableResource, AComponentACallerCreatesAnswersTheLibrarysFolder) {
  const std::string folder = stringTableFolderFor(libraryFolder());
  qxxres::StringTableResource fresh;
  EXPECT_EQ(fresh.folder(), folder);
  const Object created = createObject("QXXRes.Resource");
  const auto table = std::dynamic_pointer_cast<qxxres::StringTableResource>(created);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->folder(), folder);
  // The same text as the library's own table answers.
  EXPECT_EQ(created->call("GetLocalString", {Variant(int32_t{55070})}),
            Variant(localString(55070)));
}

TEST(StringTableResource, TheBuildPlacesTheStringTableAndTheLabelsInTheFolder) {
  const fs::path folder = stringTableFolderFor(libraryFolder());
  EXPECT_TRUE(fs::is_regular_file(folder / "qxxres-strings.txt")) << folder;
  EXPECT_TRUE(fs::is_regular_file(folder / "merrin-labels.txt")) << folder;
  // The shipped labels answer without any set-up.
  QXUtilities u;
  EXPECT_EQ(u.QX_Util_GetLabelForPropertyInType(1, 2, "Author"), "Analyst");
}

}  // namespace
}  // namespace qxvb
