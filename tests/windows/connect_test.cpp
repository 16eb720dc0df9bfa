// Connections on Windows: the native-connect component over Windows Sockets to listeners on
// loopback, and the ODBC connect-and-report sequence and the connection tester over odbc32. Under
// Wine, odbc32 passes the calls on to the build machine's unixODBC, which reads the data sources
// of the ini files that scripts/test-windows.sh writes (a SQLite database).
#include "WindowsSupport.h"

#include "complus/LocalConnectionTester.h"
#include "odbc/ODBC.h"
#include "platform/win32/Win32Network.h"
#include "platform/win32/Win32Registry.h"
#include "serverdir/LocalNativeConnector.h"

namespace virelo::test {
namespace {

using Texts = std::vector<std::string>;

TEST(NativeConnectTest, ListenerReachedAndEachFailingLayerWithItsCode) {
    platform::win32::Win32Network network;
    serverdir::LocalNativeConnector connector(network);
    Listener listening;
    Listener closed;
    closed.close();
    const std::string port = std::to_string(listening.port());
    // host, service, protocol, SQL code, SQLSTATE
    const std::tuple<std::string, std::string, std::string, std::int32_t, std::string> cases[] = {
        {"localhost", port, "kasoctcp", 0, "01V01"},
        {"127.0.0.1", " " + port + " ", "KBSOCTCP", 0, "01V01"},
        {"localhost", std::to_string(closed.port()), "kasoctcp", -1809, "08004"},
        {"localhost", "no-such-service", "kasoctcp", -1808, "08001"},
    };
    for (const auto& [host, service, protocol, code, state] : cases) {
        connector.PingServer("srv1", host, service, protocol, "informix", "pw", "stores");
        EXPECT_EQ(std::pair(connector.SqlCode(), connector.SqlState()), std::pair(code, state))
            << host << " " << service << " " << protocol << ": " << connector.Detail();
    }
    if (std::getenv("VIRELO_TEST_HOSTS") != nullptr) {
        connector.PingServer("srv1", "nosuch.test", port, "kasoctcp", "", "", "");
        EXPECT_EQ(connector.SqlCode(), -1805) << connector.Detail();
    }
}

class OdbcTest : public LogFixture {
protected:
    void SetUp() override {
        if (dsn.empty()) {
            GTEST_SKIP() << "needs VIRELO_SQLITE_DSN, a data source of the SQLite driver that "
                            "odbc32 can reach (scripts/test-windows.sh defines one for Wine)";
        }
    }
    const char* named = std::getenv("VIRELO_SQLITE_DSN");
    std::string dsn = named != nullptr ? named : "";
    odbc::SystemDriverManager dm;
    odbc::ODBC module{general, dm};
};

TEST_F(OdbcTest, SqliteDataSourceGivesSixteenLinesAndNineValuesAnUnknownOneItsDiagnostics) {
    const odbc::ODBCInfo info = module.ODBCConnect(dsn, "", "", path);
    std::string expected;
    // The step lines, with the information types' lines named by their types alone.
    for (const std::string line :
         {"SQLAllocEnv Successful", " SQLAllocConnect Successful", "SQLConnect Successful",
          "DATA_SOURCE_NAME", "USER_NAME", "DATABASE_NAME", "DBMS_VER", "DRIVER_NAME", "DRIVER_VER",
          "DRIVER_ODBC_VER", "ODBC_VER", "DBMS_NAME", "SQLDisconnect was Successful",
          "SQLFreeConnect Successful\\n", "SQLFreeEnv Successful", "ODBC connection closed."}) {
        expected += "\r\n3:04:05 PM : " + (line.find(' ') == std::string::npos
                                               ? "SQLGetInfo for SQL_" + line + " Successful"
                                               : line);
    }
    EXPECT_EQ(log(), expected);
    EXPECT_EQ(info.Status, 0);
    EXPECT_EQ(info.DataSourceName, dsn);
    EXPECT_EQ(info.DBMSName, "SQLite");

    const odbc::ODBCInfo unknown = module.ODBCConnect("no such data source", "", "", path);
    const std::string failed = expected.substr(0, expected.find("SQLConnect")) +
                               "There was an error within SQLConnect!"
                               "\r\n3:04:05 PM : SQLState = IM002";
    EXPECT_EQ(log().substr(0, failed.size()), failed);
    EXPECT_EQ(unknown.Status, SQL_ERROR);
}

TEST_F(OdbcTest, ConnectionTesterOpensTheDataSourceAndListsIt) {
    platform::win32::Win32Network network;
    platform::win32::Win32Registry registry;
    complus::LocalConnectionTester tester(network, registry);
    bool success = false;
    tester.Connect("DSN=" + dsn, success);
    EXPECT_TRUE(success) << tester.ErrorNumber() << " " << tester.ErrorDescription();
    const complus::NameTable sources = tester.SystemDsnList();
    Texts names;
    for (int i = 1; i <= sources.UpperBound(2); ++i) {
        names.push_back(sources.at(1, i));
    }
    EXPECT_NE(std::find(names.begin(), names.end(), dsn), names.end())
        << ::testing::PrintToString(names);
    tester.Connect("DSN=no such data source", success);
    EXPECT_FALSE(success);
}

}  // namespace
}  // namespace virelo::test
