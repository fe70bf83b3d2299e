// A database server of the tests' own, reached through a registered
// provider: it records every statement it is sent and answers the
// statements it was given rows for; any other statement fails as an
// unknown object would on a real server. The string table of the thread can
// be pointed at texts naming such a provider as the Oracle provider.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ado/engine.h"
#include "frame/automation_error.h"
#include "frame/dispatch.h"
#include "frame/module_state.h"
#include "support/sandbox.h"

namespace qxvb::test {

struct CannedRows {
  std::vector<std::string> columns;
  std::vector<std::vector<Variant>> rows;
};

struct CannedScript {
  std::map<std::string, CannedRows> answers;
  std::vector<std::string> statements;
  int opens = 0;
};

inline CannedScript& cannedScript() {
  static CannedScript script;
  return script;
}

class CannedCursor : public ado::Cursor {
 public:
  explicit CannedCursor(CannedRows rows) : rows_(std::move(rows)) {
    for (const std::string& name : rows_.columns) {
      ado::ColumnInfo column;
      column.name = name;
      column.type = 12;  // adVariant: the values keep their own kinds
      column.definedSize = 255;
      columns_.push_back(column);
    }
  }
  const std::vector<ado::ColumnInfo>& columns() const override { return columns_; }
  bool fetch() override { return ++row_ < rows_.rows.size(); }
  Variant value(size_t column) override { return rows_.rows[row_][column]; }
  int64_t length(size_t) override { return 0; }
  Variant readPiece(size_t, int64_t) override { return Variant::null(); }

 private:
  CannedRows rows_;
  std::vector<ado::ColumnInfo> columns_;
  size_t row_ = static_cast<size_t>(-1);
};

class CannedEngine : public ado::EngineConnection {
 public:
  std::string sourceName() const override { return "CannedServer"; }
  ado::StatementResult execute(const std::string& sql, std::vector<ado::ParamValue>&) override {
    cannedScript().statements.push_back(sql);
    ado::StatementResult result;
    const auto it = cannedScript().answers.find(sql);
    if (it != cannedScript().answers.end()) {
      result.cursor = std::make_unique<CannedCursor>(it->second);
      return result;
    }
    if (sql.rfind("alter session", 0) == 0 || sql.rfind("ALTER SESSION", 0) == 0) return result;
    throw std::runtime_error("Invalid object name in: " + sql);
  }
  std::string procedureCall(const std::string& name, const std::vector<ado::ParamValue>&) override {
    return name;
  }
  std::vector<ado::ParamValue> procedureParameters(const std::string&) override { return {}; }
  std::vector<std::string> keyColumns(const std::string&) override { return {}; }
  std::string quoteIdentifier(std::string_view name) const override {
    return "[" + std::string(name) + "]";
  }
  void beginTransaction() override {}
  void commitTransaction() override {}
  void rollbackTransaction() override {}
  void setCommandTimeout(int32_t) override {}
};

inline constexpr const char* kCannedSqlServer = "QXVB.CannedSqlServer";
inline constexpr const char* kCannedOracle = "QXVB.CannedOracle";

// Connection strings for a repository on each canned server.
inline constexpr const char* kCannedSqlServerRepository =
    "Provider=QXVB.CannedSqlServer;Data Source=srv;Initial Catalog=Repo";
inline constexpr const char* kCannedOracleRepository =
    "Provider=QXVB.CannedOracle;Data Source=orcl;Initial Catalog=Scott";

inline void registerCannedProviders() {
  for (const char* name : {kCannedSqlServer, kCannedOracle}) {
    ado::registerProvider(name, [](const ado::OpenRequest& request) {
      if (request.target.items.get("Data Source") == "down") {
        raiseError(-2147467259, "CannedServer", "server does not exist or access denied");
      }
      ++cannedScript().opens;
      return std::unique_ptr<ado::EngineConnection>(new CannedEngine);
    });
  }
}

inline void answer(const std::string& sql, CannedRows rows) {
  cannedScript().answers[sql] = std::move(rows);
}

// The texts the database members use, with the canned Oracle provider as
// string 55057; the thread's string table reads them until restored.
inline void useCannedOracleTexts() {
  const auto folder = freshFolder("canned-strings");
  std::ofstream out(folder / "qxxres-strings.txt");
  out << "41127\tThe record for %1 could not be found or read.\n"
         "41128\tUnable to open a connection to the database using %1.\n"
         "41129\tUnable to create the file %1.\n"
         "41130\tUnknown log file.\n"
         "41131\tThe log contains no entries.\n"
         "55046\tData Source=\n55047\tInitial Catalog=\n55048\tUser ID=\n"
         "55053\tExtended Properties=\n55054\tProvider=\n55055\tPassword=\n"
         "55056\tSQLOLEDB.1\n55057\t"
      << kCannedOracle
      << "\n55058\tOSAuthent=\n55059\t1\n55060\tIntegrated Security=\n55061\tSSPI\n"
         "55070\tNetwork.log\n";
  out.close();
  std::vector<Variant> args{Variant(folder.string())};
  stringTableObject()->invoke("SetStringtablePath", kMethod, args);
}

}  // namespace qxvb::test
