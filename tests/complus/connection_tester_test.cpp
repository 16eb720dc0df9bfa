// The connection tester over the real ODBC driver manager: SQLite data sources and strings, and
// psqlODBC against a closed port. No password may appear in anything it returns (virelo-check's
// tests log in to a PostgreSQL server through it).
#include <gtest/gtest.h>

#include "complus/LocalConnectionTester.h"
#include "general/Error.h"
#include "platform/RegistryTree.h"
#include "platform/posix/PosixNetwork.h"
#include "serverdir/RegAccess.h"
#include "support/OdbcIni.h"
#include "support/TcpListener.h"

namespace virelo::complus {
namespace {

using Names = std::vector<std::string>;

Names NamesOf(const NameTable& table) {
    Names names;
    for (int i = 1; i <= table.UpperBound(2); ++i) {
        names.push_back(table.at(1, i));
    }
    return names;
}

class ConnectionTesterTest : public ::testing::Test {
protected:
    using Properties = std::vector<Property>;

    // Connects and returns every text the tester gives back afterwards, the properties as lines.
    std::string connect(const std::string& text, bool expected) {
        bool success = false;
        tester.Connect(text, success);
        EXPECT_EQ(success, expected) << tester.ErrorDescription();
        std::string all = tester.ErrorDescription() + "\n" + tester.ResultText() + "\n";
        for (const Property& property : success ? tester.ConnectionProperties() : Properties{}) {
            all += property.Name + "=" + PropertyText(property.Value) + "\n";
        }
        return all;
    }

    test::OdbcIni odbc;
    platform::posix::PosixNetwork network;
    platform::RegistryTree registry;
    LocalConnectionTester tester{network, registry};
};

TEST_F(ConnectionTesterTest, SqliteThroughADataSourceAndATypedString) {
    const std::string database = test::OdbcProcessConfig::SqliteDatabase();
    odbc.systemDsn("Sales", {{"Driver", "SQLite3"}, {"Database", database}});
    const std::string viaDsn = connect("DSN=Sales", true);
    EXPECT_NE(viaDsn.find("Provider=MSDASQL\nData Source Name=Sales\nDBMS Name=SQLite\n"),
              std::string::npos)
        << viaDsn;
    EXPECT_NE(viaDsn.find("Read-Only Data Source=False\n"), std::string::npos) << viaDsn;
    EXPECT_EQ(tester.ResultText().rfind("Connection test succeeded after ", 0), 0u);

    const std::string viaString =
        connect("Provider=MSDASQL;DRIVER=" + std::string(test::kSqliteDriver) +
                    ";Database=" + database + ";PWD={p;w}}d}",
                true);
    EXPECT_NE(viaString.find("DBMS Name=SQLite"), std::string::npos) << viaString;
    EXPECT_EQ(viaString.find("p;w"), std::string::npos) << viaString;
}

TEST_F(ConnectionTesterTest, FailuresCarryTheDriverManagersWordsAndOtherProvidersAreRefused) {
    connect("DSN=NoSuchSource;UID=u;PWD=hunter22", false);
    EXPECT_EQ(tester.ErrorNumber(), -1);
    EXPECT_NE(tester.ErrorDescription().find("[SQLSTATE IM002]"), std::string::npos)
        << tester.ErrorDescription();
    EXPECT_EQ(tester.ResultText().rfind("Connection test failed after ", 0), 0u);
    EXPECT_THROW(tester.ConnectionProperties(), Error) << "no open connection";

    connect("DRIVER={No Such Driver};Database=x", false);
    EXPECT_NE(tester.ErrorDescription().find("No Such Driver"), std::string::npos)
        << tester.ErrorDescription();

    const std::string refused =
        connect("Provider=nbxoledbc;Data Source=db@srv;User ID=u;Password=hunter22", false);
    EXPECT_EQ(tester.ErrorNumber(), LocalConnectionTester::kProviderNotFound);
    EXPECT_NE(tester.ErrorDescription().find("Provider=MSDASQL"), std::string::npos);
    EXPECT_EQ(refused.find("hunter22"), std::string::npos);

    // psqlODBC's message for a refused connection spans lines; each record stays on one line.
    connect("DRIVER={PostgreSQL ANSI};Servername=127.0.0.1;Port=" +
                std::to_string(test::TcpListener::ClosedPort()) + ";Database=x",
            false);
    EXPECT_NE(tester.ErrorDescription().find("refused"), std::string::npos)
        << tester.ErrorDescription();
    EXPECT_EQ(tester.ErrorDescription().find_first_of("\r\n\t"), std::string::npos);

    connect(std::string(40000, 'x'), false);
    EXPECT_NE(tester.ErrorDescription().find("32767"), std::string::npos);
}

TEST_F(ConnectionTesterTest, ListsComeFromTheDriverManagerAndTheServerDirectory) {
    odbc.systemDsn("Sys1", {{"Driver", "SQLite3"}});
    odbc.userDsn("Usr1", {{"Driver", "SQLite3"}});
    odbc.userDsn("Usr2", {{"Driver", "SQLite3"}});
    EXPECT_EQ(NamesOf(tester.OdbcDriverList()), (Names{"SQLite3", "PostgreSQL ANSI"}));
    EXPECT_EQ(NamesOf(tester.SystemDsnList()), (Names{"Sys1"}));
    EXPECT_EQ(NamesOf(tester.UserDsnList()), (Names{"Usr1", "Usr2"}));
    EXPECT_EQ(NamesOf(tester.OleDbProviderList()), (Names{"MSDASQL"}));
    EXPECT_EQ(tester.OdbcDriverList().at(1, 0), "") << "entries start at index 1";

    const std::string key = std::string(serverdir::kSqlhostsKey) + "\\srv_b";
    registry.setString(platform::reg::kLocalMachine, key, "HOST", "hb");
    registry.setString(platform::reg::kLocalMachine, key, "SERVICE", "1526");
    registry.setString(platform::reg::kLocalMachine, key, "PROTOCOL", "kasoctcp");
    registry.createKey(platform::reg::kLocalMachine,
                       std::string(serverdir::kSqlhostsKey) + "\\srv_a");
    const auto servers = tester.ServerList();
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_EQ(servers[0].Name + " " + servers[1].Name, "srv_a srv_b");
    const ServerEntry entry = tester.ServerEntries().Item("SRV_B");
    EXPECT_EQ(entry.HostName + " " + entry.Service + " " + entry.Protocol, "hb 1526 kasoctcp");
    EXPECT_EQ(tester.ServerEntries().Item("srv_a").HostName, "Not Found");
    EXPECT_THROW(tester.ServerEntries().Item("srv9"), Error);
}

}  // namespace
}  // namespace virelo::complus
