// The server-list component and the server-list members: where servers
// are found, each name once, and the object's cache of local servers.
#include <gtest/gtest.h>

#include <filesystem>

#include "components/server_list/server_list.h"
#include "database/qx_ado_utilities.h"
#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/vb_conversions.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

namespace fs = std::filesystem;

TEST(ServerListSources, FreeTdsSections) {
  const std::string conf =
      "[global]\n  tds version = 7.4\n# [commented]\n[ Sales ]\n host = 127.0.0.1\n"
      "[sales]\n[Archive]\n[]\n[broken\n";
  EXPECT_EQ(server_list::freetdsServers(conf), (std::vector<std::string>{"Sales", "Archive"}));
  EXPECT_TRUE(server_list::freetdsServers("").empty());
}

TEST(ServerListSources, PostgresSockets) {
  const fs::path folder = test::freshFolder("pg-sockets");
  for (const char* name : {".s.PGSQL.5433", ".s.PGSQL.5432", ".s.PGSQL.5432.lock", "other"}) {
    test::writeFile(folder / name, "");
  }
  EXPECT_EQ(server_list::postgresServers(folder.string()),
            (std::vector<std::string>{"localhost:5432", "localhost:5433"}));
  EXPECT_TRUE(server_list::postgresServers((folder / "none").string()).empty());
  EXPECT_TRUE(server_list::postgresServers("").empty());
}

TEST(ServerListSources, NetworkServersFromSettings) {
  auto reader = [](const std::string& key) -> std::string {
    if (key == "Connections_Server1") return "alpha";
    if (key == "Connections_Server2") return "ALPHA";
    if (key == "Connections_Server3") return "beta";
    if (key == "Connections_Server5") return "unreached";
    return {};
  };
  EXPECT_EQ(server_list::networkServers(reader), (std::vector<std::string>{"alpha", "beta"}));
}

TEST(ServerListComponent, LocalAndNetwork) {
  const fs::path folder = test::freshFolder("server-list");
  test::writeFile(folder / "freetds.conf", "[global]\n[tds1]\n");
  test::writeFile(folder / ".s.PGSQL.6000", "");
  server_list::Sources sources{(folder / "freetds.conf").string(), folder.string(), false};
  auto list = std::make_shared<server_list::ServerList>(sources, [](const std::string& key) {
    return key == "Connections_Server1" ? std::string("remote") : std::string();
  });
  EXPECT_EQ(list->names(true), (std::vector<std::string>{"tds1", "localhost:6000"}));
  std::vector<Variant> args{Variant(false)};
  const Object all = CObj(list->invoke("GetServerList", kMethod, args));
  ASSERT_EQ(CLng(all->call("Count")), 3);
  EXPECT_EQ(CStr(all->call("Item", {Variant(int32_t{3})})), "remote");
}

TEST(ServerListMembers, ListsAndCache) {
  QX_ADO_Utilities ado;
  Object names = std::make_shared<Collection>();
  const Object given = names;
  const int32_t network = ado.QX_ADO_GetSQLServerList(names);
  EXPECT_NE(names, given);
  EXPECT_EQ(network, CLng(names->call("Count")));

  Object local;
  const int32_t count = ado.QX_ADO_GetLocalServerList(local);
  ASSERT_TRUE(local);
  EXPECT_EQ(count, CLng(local->call("Count")));
  EXPECT_LE(count, network);
  Object cached;
  EXPECT_EQ(ado.QX_ADO_GetLocalServerList2(cached, false), count);
  EXPECT_NE(cached, local);
  auto* keyed = dynamic_cast<Collection*>(cached.get());
  ASSERT_NE(keyed, nullptr);
  for (int32_t i = 1; i <= count; ++i) {
    const std::string name = CStr(keyed->Item(Variant(i)));
    EXPECT_EQ(keyed->keyAt(i), name);
  }
  Object fresh;
  EXPECT_EQ(ado.QX_ADO_GetLocalServerList2(fresh, true), count);

  Object late = createObject("QXVBUtils.QX_ADO_Utilities");
  std::vector<Variant> args{Variant()};
  EXPECT_EQ(late->invoke("QX_ADO_GetLocalServerList", kMethod, args), Variant(count));
  EXPECT_EQ(CLng(CObj(args[0])->call("Count")), count);
  std::vector<Variant> args2{Variant(), Variant(true)};
  EXPECT_EQ(late->invoke("QX_ADO_GetLocalServerList2", kMethod, args2), Variant(count));
  std::vector<Variant> args3{Variant()};
  EXPECT_EQ(late->invoke("QX_ADO_GetSQLServerList", kMethod, args3), Variant(network));
}

}  // namespace
}  // namespace qxvb
