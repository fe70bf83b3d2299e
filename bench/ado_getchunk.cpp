// A 100 MB binary field of a SQLite table written to a file: through the
// data-access objects (a forward-only recordset read with GetChunk in
// pieces of 8 KiB, 64 KiB and 1 MiB), and by the sqlite3 command-line
// tool's writefile() run as a child process. Both sides open the database
// and run the query in every iteration.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "ado/ado_constants.h"
#include "ado/connection.h"
#include "ado/recordset.h"
#include "frame/variant.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace qxvb;

constexpr int64_t kBlobBytes = 100 * 1000 * 1000;

void fail(const std::string& what) {
  throw std::runtime_error(what);
}

// The database with one row holding the blob, in a folder of its own that
// goes when the process ends.
class BlobDatabase {
 public:
  BlobDatabase() {
    std::string name = (fs::temp_directory_path() / "qxvb-bench-getchunk-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) fail("mkdtemp");
    folder = name;
    database = folder / "blob.db";
    output = folder / "out.bin";
    std::vector<uint8_t> blob(static_cast<size_t>(kBlobBytes));
    std::mt19937_64 generator(7);
    for (size_t i = 0; i + 8 <= blob.size(); i += 8) {
      const uint64_t word = generator();
      std::memcpy(blob.data() + i, &word, sizeof word);
    }
    sqlite3* db = nullptr;
    if (sqlite3_open(database.c_str(), &db) != SQLITE_OK) fail("sqlite3_open");
    sqlite3_exec(db, "CREATE TABLE t (id INTEGER PRIMARY KEY, data BLOB)", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t (data) VALUES (?)", -1, &insert, nullptr);
    sqlite3_bind_blob64(insert, 1, blob.data(), blob.size(), SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE) fail(sqlite3_errmsg(db));
    sqlite3_finalize(insert);
    sqlite3_close(db);
  }
  ~BlobDatabase() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  BlobDatabase(const BlobDatabase&) = delete;
  BlobDatabase& operator=(const BlobDatabase&) = delete;

  fs::path folder;
  fs::path database;
  fs::path output;
};

const BlobDatabase& files() {
  static const BlobDatabase made;
  return made;
}

void writeAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) fail("write");
    done += static_cast<size_t>(n);
  }
}

// Reads the field in pieces of the given size into the output file, as a
// caller of GetChunk does; returns the bytes written.
int64_t copyWithGetChunk(int32_t pieceBytes) {
  const BlobDatabase& f = files();
  auto connection = std::make_shared<ado::Connection>();
  connection->Open("Provider=QXVB.SQLite;Data Source=" + f.database.string() + ";Mode=Read");
  auto recordset = std::make_shared<ado::Recordset>();
  recordset->Open(Variant("SELECT data FROM t"), Variant(Object(connection)),
                  ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdText);
  auto field = recordset->FieldsObject()->Item(Variant(int32_t{0}));
  const int fd = ::open(f.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) fail("open");
  int64_t total = 0;
  for (;;) {
    const Variant piece = field->GetChunk(pieceBytes);
    const auto* bytes = piece.get<ByteArray>();
    if (bytes == nullptr || bytes->data.empty()) break;
    writeAll(fd, bytes->data);
    total += static_cast<int64_t>(bytes->data.size());
  }
  ::close(fd);
  recordset->Close();
  connection->Close();
  return total;
}

// Runs the sqlite3 tool on the same query and waits for it.
void copyWithSqliteTool() {
  const BlobDatabase& f = files();
  const std::string query = "SELECT writefile('" + f.output.string() + "', data) FROM t";
  std::vector<std::string> args = {"sqlite3", "-readonly", f.database.string(), query};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int rc = posix_spawnp(&child, "sqlite3", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) fail("the sqlite3 program cannot be started");
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fail("sqlite3 failed");
  }
}

void BM_GetChunkToFile_Library(benchmark::State& state) {
  files();
  for (auto _ : state) {
    if (copyWithGetChunk(static_cast<int32_t>(state.range(0))) != kBlobBytes) {
      state.SkipWithError("the field was not read whole");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBlobBytes);
}

void BM_WriteFileToFile_Sqlite3Tool(benchmark::State& state) {
  files();
  for (auto _ : state) {
    copyWithSqliteTool();
    if (static_cast<int64_t>(fs::file_size(files().output)) != kBlobBytes) {
      state.SkipWithError("writefile() wrote a different size");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBlobBytes);
}

}  // namespace

BENCHMARK(BM_GetChunkToFile_Library)
    ->Arg(8 << 10)
    ->Arg(64 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_WriteFileToFile_Sqlite3Tool)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
