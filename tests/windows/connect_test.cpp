// Connections on Windows: the native-connect component over Windows Sockets to listeners on
// loopback, and the ODBC connect-and-report sequence and the connection tester over odbc32. Under
// Wine, odbc32 passes the calls on to the build machine's unixODBC, which reads the data sources
// of the ini files that scripts/test-windows.sh writes (a SQLite database).
#include "WindowsSupport.h"

#include "complus/LocalConnectionTester.h"
#include "general/General.h"
#include "odbc/ODBC.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Network.h"
#include "platform/win32/Win32Processes.h"
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
        {"localhost", port, "kasocspx", -1803, "HYC00"},
        {"", port, "kasoctcp", -1804, "08001"},
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

class OdbcTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (dsn.empty()) {
            GTEST_SKIP() << "needs VIRELO_SQLITE_DSN, a data source of the SQLite driver that "
                            "odbc32 can reach (scripts/test-windows.sh defines one for Wine)";
        }
    }
    Texts logLines() {
        const std::string text = general.ReadTextFile(path);
        general.DeleteLogFile(path);
        Texts lines;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t next = text.find("\r\n", at + 2);
            // Each line starts with CR LF and the time of day, then " : ".
            const std::size_t message = text.find(" : ", at) + 3;
            lines.push_back(text.substr(
                message, next == std::string::npos ? std::string::npos : next - message));
            at = next == std::string::npos ? text.size() : next;
        }
        return lines;
    }

    const char* named = std::getenv("VIRELO_SQLITE_DSN");
    std::string dsn = named != nullptr ? named : "";
    platform::win32::Win32Files files;
    platform::win32::Win32Clock clock;
    platform::win32::Win32Processes processes;
    general::General general{files, clock, processes};
    odbc::SystemDriverManager dm;
    odbc::ODBC module{general, dm};
    TempDir temp;
    std::string path = temp.file("virelo.log");
};

TEST_F(OdbcTest, SqliteDataSourceGivesSixteenLinesAndNineValuesAnUnknownOneItsDiagnostics) {
    const odbc::ODBCInfo info = module.ODBCConnect(dsn, "", "", path);
    Texts expected = {"SQLAllocEnv Successful", " SQLAllocConnect Successful",
                      "SQLConnect Successful"};
    for (const char* type :
         {"DATA_SOURCE_NAME", "USER_NAME", "DATABASE_NAME", "DBMS_VER", "DRIVER_NAME", "DRIVER_VER",
          "DRIVER_ODBC_VER", "ODBC_VER", "DBMS_NAME"}) {
        expected.push_back(std::string("SQLGetInfo for SQL_") + type + " Successful");
    }
    for (const char* line : {"SQLDisconnect was Successful", "SQLFreeConnect Successful\\n",
                             "SQLFreeEnv Successful", "ODBC connection closed."}) {
        expected.push_back(line);
    }
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(info.Status, 0);
    EXPECT_EQ(info.DataSourceName, dsn);
    EXPECT_EQ(info.DBMSName, "SQLite");

    const odbc::ODBCInfo unknown = module.ODBCConnect("no such data source", "", "", path);
    const Texts lines = logLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "There was an error within SQLConnect!");
    EXPECT_EQ(lines[3], "SQLState = IM002");
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
