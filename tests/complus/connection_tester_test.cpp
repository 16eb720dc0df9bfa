// Connection strings: splitting into attributes. The connection tester over the real ODBC driver
// manager: SQLite data sources and strings, and a stand-in driver that records what it received
// (the records of a failure and the completed string are checked through the window). No password
// may appear in anything it returns (virelo-check's tests log in to a PostgreSQL server through it).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "complus/ConnectionString.h"
#include "complus/LocalConnectionTester.h"
#include "general/Error.h"
#include "platform/posix/PosixNetwork.h"
#include "platform/posix/registry/RegistryTree.h"
#include "serverdir/RegAccess.h"
#include "support/OdbcIni.h"
#include "support/StandInDriver.h"

namespace virelo::complus {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Names = std::vector<std::string>;

// Attributes keep braced values whole.
TEST(ConnectionStringTest, BracedValuesStayWhole) {
    const auto attributes = ParseConnectionString("Provider=MSDASQL;DRIVER={a;b}}c};PWD={p;w};;X");
    ASSERT_EQ(attributes.size(), 4u);
    EXPECT_EQ(attributes[0].keyword + "|" + attributes[1].value + "|" + attributes[2].value + "|" +
                  attributes[3].keyword + "|" + attributes[3].value,
              "Provider|{a;b}}c}|{p;w}|X|");
    EXPECT_EQ(JoinConnectionString({attributes[1], attributes[2]}), "DRIVER={a;b}}c};PWD={p;w}");
}

Names NamesOf(const NameTable& table) {
    Names names;
    for (int i = 1; i <= table.UpperBound(2); ++i) {
        names.push_back(table.at(1, i));
    }
    return names;
}

class ConnectionTesterTest : public ::testing::Test {
protected:
    // Connects and returns every text the tester gives back afterwards, the properties as lines.
    std::string connect(const std::string& text, bool expected) {
        bool success = false;
        tester.Connect(text, success);
        EXPECT_EQ(success, expected) << tester.ErrorDescription();
        std::string all = tester.ErrorDescription() + "\n" + tester.ResultText() + "\n";
        for (const Property& property :
             success ? tester.ConnectionProperties() : std::vector<Property>{}) {
            all += property.Name + "=" + PropertyText(property.Value) + "\n";
        }
        return all;
    }

    test::OdbcIni odbc;
    platform::posix::PosixNetwork network;
    platform::RegistryTree registry;
    LocalConnectionTester tester{network, registry};
};

TEST_F(ConnectionTesterTest, SqliteThroughADataSourceAndAStringAndFailuresWithTheirOwnWords) {
    const std::string database = test::OdbcProcessConfig::SqliteDatabase();
    odbc.systemDsn("Sales", {{"Driver", "SQLite3"}, {"Database", database}});
    EXPECT_THAT(connect("DSN=Sales", true),
                AllOf(HasSubstr("Provider=MSDASQL\nData Source Name=Sales\nDBMS Name=SQLite\n"),
                      HasSubstr("Read-Only Data Source=False\n")));
    EXPECT_THAT(tester.ResultText(), StartsWith("Connection test succeeded after "));
    EXPECT_THAT(connect("Provider=MSDASQL;DRIVER=" + std::string(test::kSqliteDriver) +
                            ";Database=" + database + ";PWD={p;w}}d}",
                        true),
                AllOf(HasSubstr("DBMS Name=SQLite"), Not(HasSubstr("p;w"))));

    // Failures carry the driver manager's words; other providers are refused.
    EXPECT_THAT(connect("DSN=NoSuchSource;UID=u;PWD=hunter22", false),
                AllOf(HasSubstr("[SQLSTATE IM002]"), Not(HasSubstr("hunter22"))));
    EXPECT_EQ(tester.ErrorNumber(), -1);
    EXPECT_THAT(tester.ResultText(), StartsWith("Connection test failed after "));
    EXPECT_THROW(tester.ConnectionProperties(), Error) << "no open connection";

    EXPECT_THAT(connect("DRIVER={No Such Driver};Database=x", false), HasSubstr("No Such Driver"));

    EXPECT_THAT(connect(std::string(40000, 'x'), false), HasSubstr("32767"));
}

// Through the stand-in driver, which records what it received: every Provider keyword counts and
// none reaches the driver; the rest of the string arrives as written, after the login time-out.
TEST_F(ConnectionTesterTest, ProvidersAreCheckedAndRemovedBeforeTheDriverSeesTheString) {
    test::StandInDriver driver(odbc);
    const std::pair<std::string, std::string> cases[] = {
        {"DSN=standin;UID=u;PWD={a;b}}c}", "DSN=standin;UID=u;PWD={a;b}}c}"},
        {"Provider=MSDASQL;DSN=standin;PWD=ab1", "DSN=standin;PWD=ab1"},
        {"DSN=standin;Provider=\"MSDASQL\";Provider='msdasql.1'", "DSN=standin"},
        {"Provider={MSDASQL};DSN=standin;Provider=;Provider", "DSN=standin"},
        {"Provider=nbxoledbc;DSN=standin;Provider=", ""},
        {"Provider=nbxoledbc;DSN=standin;Provider", ""},
        {"Provider=MSDASQL;DSN=standin;Provider=nbxoledbc", ""},
        {"Provider=nbxoledbc;DSN=standin;Provider=MSDASQL", ""},
        {"Provider=\"SQLOLEDB\";DSN=standin", ""},
    };
    for (const auto& [text, received] : cases) {
        SCOPED_TRACE(text);
        connect(text, !received.empty());
        if (received.empty()) {
            EXPECT_EQ(tester.ErrorNumber(), LocalConnectionTester::kProviderNotFound);
            EXPECT_EQ(driver.take(), Names{});
        } else {
            EXPECT_EQ(driver.take(), (Names{"AllocHandle 1", "AllocHandle 2",
                                            "SetConnectAttr 103 15", "DriverConnect " + received,
                                            "Disconnect", "FreeHandle 2", "FreeHandle 1"}))
                << "the connection is closed as soon as its properties are read";
        }
    }
    // The refusal says which ways of the COM+ tab are served and which is not.
    connect("Provider=nbxoledbc;Data Source=db@srv;User ID=u;Password=hunter22", false);
    EXPECT_THAT(tester.ErrorDescription(),
                AllOf(StartsWith("Provider cannot be found: NBXOLEDBC. This connection tester "
                                 "serves ODBC connection strings only"),
                      HasSubstr("It does not serve \"Build a OLE DB Connection String\"")));
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

    const std::string key = std::string(serverdir::kSqlhostsKey) + "\\srv_";
    registry.setString(platform::reg::kLocalMachine, key + "b", "HOST", "hb");
    registry.setString(platform::reg::kLocalMachine, key + "b", "SERVICE", "1526");
    registry.setString(platform::reg::kLocalMachine, key + "b", "PROTOCOL", "kasoctcp");
    registry.createKey(platform::reg::kLocalMachine, key + "a");
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
