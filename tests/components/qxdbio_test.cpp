// The database I/O exports: the open repository's control block and the
// export of a stored file into a folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "ado/connection.h"
#include "components/qxhost/running_host.h"
#include "exports/qxdbio.h"
#include "filemanager/file_store.h"
#include "support/diagram_models.h"
#include "support/sandbox.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

TEST(Qxdbio, StoredFileIsExportedFromTheOpenRepository) {
  qxhost::closeRepository();
  EXPECT_EQ(QXDBIO_GetControlBlock(), 0);
  const fs::path folder = freshFolder("qxdbio");
  const fs::path repository = makeDiagramRepository(folder, "<Model/>");
  {
    auto connection = std::make_shared<ado::Connection>();
    connection->Open("Provider=QXVB.SQLite;Data Source=" + repository.string());
    filestore::StoreSetup setup;
    setup.connection = connection;
    filestore::FileStore(setup).storeBytes("Kept.zip", ByteArray{0, {'P', 'K', 1, 2}});
    connection->Close();
  }
  const OpenRepository open(repository);
  const int32_t block = QXDBIO_GetControlBlock();
  ASSERT_NE(block, 0);
  EXPECT_EQ(QXDBIO_GetControlBlock(), block);
  const fs::path out = folder / "out";
  fs::create_directory(out);
  EXPECT_EQ(QXDBIO_EncyFileExport(block, "Kept.zip", "Copy.zip", out.c_str()), kQxdbioSuccess);
  EXPECT_EQ(readFile(out / "Copy.zip"), std::string("PK\x01\x02", 4));
  EXPECT_EQ(QXDBIO_EncyFileExport(block, "Other.zip", "Other.zip", out.c_str()), kQxdbioNoSuchFile);
  EXPECT_EQ(QXDBIO_EncyFileExport(block, "Kept.zip", "../up.zip", out.c_str()), kQxdbioBadName);
  EXPECT_EQ(QXDBIO_EncyFileExport(block, "Kept.zip", "a.zip", (folder / "missing").c_str()),
            kQxdbioCannotWrite);
  EXPECT_EQ(QXDBIO_EncyFileExport(block + 100, "Kept.zip", "a.zip", out.c_str()),
            kQxdbioNoRepository);
  EXPECT_FALSE(fs::exists(folder / "up.zip"));
}

}  // namespace
}  // namespace qxvb::test
