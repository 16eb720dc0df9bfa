// The connect-and-report sequence against the real driver manager: data sources of the SQLite
// driver in private ini files, a PostgreSQL server on 127.0.0.1 started by the test, and a server
// that never answers.
#include <chrono>
#include <cstdio>
#include <future>

#include "support/OdbcFixture.h"
#include "support/PostgresServer.h"
#include "support/TcpListener.h"

namespace virelo::test {
namespace {

namespace fs = std::filesystem;

const std::string kNotFound =
    "[unixODBC][Driver Manager]Data source name not found and no default driver specified";

class SqliteConnectTest : public OdbcFixture {
protected:
    void SetUp() override {
        if (!fs::exists(kSqliteDriver)) {
            GTEST_SKIP() << kSqliteDriver << " is missing (libsqliteodbc)";
        }
    }
};

TEST_F(SqliteConnectTest, SuccessWritesSixteenLinesAndFillsNineFields) {
    ini.systemDsn("lite", {{"Driver", kSqliteDriver}, {"Database", sqliteFile()}});
    const odbc::ODBCInfo info = connect("lite", "someone", "secret-pw");

    EXPECT_EQ(logLines(), kSuccessLines);
    EXPECT_EQ(info.Status, 0);
    Strings fields = Fields(info);
    EXPECT_TRUE(std::regex_match(fields[3], std::regex(R"(3\.\d+\.\d+)"))) << fields[3];
    fields[3] = "(version)";
    // SQLite has no users; the driver's ODBC version, then the driver manager's.
    EXPECT_EQ(fields, (Strings{"lite", "", sqliteFile(), "(version)", "sqlite3odbc.so", "0.9998",
                               "03.00", "03.52", "SQLite"}));
    EXPECT_EQ(logText().find("secret-pw"), std::string::npos);
    // The login time-out is set before SQLConnect, and every handle is released once.
    EXPECT_EQ(dm.calls, Joined(kUpToConnect, {"Disconnect", "FreeConnect", "FreeEnv"}));
}

// What a user may type, passed on byte for byte with its own length (an empty text with length 0,
// never as a null pointer or SQL_NTS), and data sources that cannot be reached, told apart by
// the diagnostic lines of SQLConnect.
TEST_F(SqliteConnectTest, TypedTextReachesTheDriverManagerExactly) {
    const std::string tooLong = "[unixODBC][Driver Manager]Invalid string or buffer length";
    const std::string hard = " a=b;{c} Größe ";
    const std::string missing = temp.file("no-such-driver.so");
    const std::string ownName = "missing-" + fs::path(temp.path()).filename().string();
    const std::string cannotOpen = "[unixODBC][Driver Manager]Can't open lib '";
    const struct {
        std::string defined, typed, user, password;
        std::string state = {}, message = {};  // of the SQLConnect failure; empty: it connects
        std::string driver = kSqliteDriver;
    } cases[] = {
        {"my data source", "my data source", "", ""},
        {"a=b;{c}", "a=b;{c}", hard, "pw" + hard},
        {"Größe-Datenbank", "Größe-Datenbank", std::string(255, 'u'), std::string(300, 'p')},
        {std::string(32, 'x'), std::string(32, 'x'), "", ""},
        {std::string(33, 'y'), std::string(33, 'y'), "", "", "S1090", tooLong},
        // A leading blank is not trimmed away; letter case does not count in unixODBC.
        {"my data source", " my data source", "", "", "IM002", kNotFound},
        {"Mixed Case", "MIXED case", "", ""},
        // unixODBC 2.3 reports a library that cannot be opened as 01000 (and never IM003); a
        // driver name that odbcinst.ini does not define leaves the data source without a driver.
        {ownName, ownName, "", "", "01000", cannotOpen + missing + "' : file not found", missing},
        {"not-a-library", "not-a-library", "", "", "01000",
         cannotOpen + "/etc/hostname' : file not found", "/etc/hostname"},
        {"unknown-driver", "unknown-driver", "", "", "IM002", kNotFound, "NoSuchDriver"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        OdbcIni own;
        own.systemDsn(c.defined, {{"Driver", c.driver}, {"Database", sqliteFile()}});
        const odbc::ODBCInfo info = connect(c.typed, c.user, c.password);
        EXPECT_EQ(dm.connected, (Strings{c.typed, c.user, c.password}));
        if (c.state.empty()) {
            EXPECT_EQ(logLines(), kSuccessLines);
            EXPECT_EQ(info.DataSourceName, c.typed);
            continue;
        }
        EXPECT_EQ(logLines(), ConnectFailure(c.state, " 0", c.message));
        EXPECT_EQ(info.Status, SQL_ERROR);
        EXPECT_EQ(Fields(info), Strings(9));
        // The failed run's connection and environment are released afterwards, without a line.
        EXPECT_EQ(dm.calls, Joined(kUpToConnect, {"FreeConnect", "FreeEnv"}));
    }
}

class PostgresConnectTest : public OdbcFixture {
protected:
    static void SetUpTestSuite() { server = new PostgresServer; }
    static void TearDownTestSuite() { delete server; }
    void SetUp() override {
        if (!fs::exists(kPostgresDriver)) {
            GTEST_SKIP() << kPostgresDriver << " is missing (odbc-postgresql)";
        }
        if (!server->running()) {
            GTEST_SKIP() << "no PostgreSQL server: " << server->reason;
        }
        ini.systemDsn(dsn, {{"Driver", kPostgresDriver},
                            {"Servername", "127.0.0.1"},
                            {"Port", std::to_string(server->port)},
                            {"Database", "postgres"}});
    }

    static PostgresServer* server;
    const std::string dsn = "pg-" + std::to_string(server->port);
};
PostgresServer* PostgresConnectTest::server = nullptr;

TEST_F(PostgresConnectTest, WrongPasswordFailsWithTheDriversWordsAndRightOneGathersNineValues) {
    odbc::ODBCInfo info = connect(dsn, "tester", "wrong-pw;{x}");
    EXPECT_EQ(info.Status, SQL_ERROR);
    Strings lines = logLines();
    ASSERT_EQ(lines.size(), 6u) << logText();
    EXPECT_EQ(lines.back().rfind("Error Message = [unixODBC]", 0), 0u) << lines.back();
    EXPECT_NE(lines.back().find("password authentication failed for user \"tester\""),
              std::string::npos)
        << lines.back();
    lines.back() = "Error Message = ";
    EXPECT_EQ(lines, ConnectFailure("08001", " 101", ""));
    EXPECT_EQ(logText().find("wrong-pw"), std::string::npos);

    info = connect(dsn, "tester", "right-pw");
    EXPECT_EQ(logLines(), kSuccessLines);
    std::string fields;
    for (const std::string& field : Fields(info)) {
        fields += field + "|";
    }
    EXPECT_TRUE(std::regex_match(
        fields, std::regex(dsn + R"(\|tester\|postgres\|15\.\d+[^|]*\|psqlodbca\.so\|)"
                                 R"(\d\d\.\d\d\.\d{4}\|0\d\.\d\d\|03\.52\|PostgreSQL\|)")))
        << fields;
    EXPECT_EQ(logText().find("right-pw"), std::string::npos);
}

// A server that takes the connection and never says a word: the login time-out ends the wait.
using LoginTimeoutTest = OdbcFixture;

TEST_F(LoginTimeoutTest, ASilentServerEndsInATimeOutInsteadOfAHang) {
    if (!fs::exists(kPostgresDriver)) {
        GTEST_SKIP() << kPostgresDriver << " is missing (odbc-postgresql)";
    }
    TcpListener silent;
    const std::string dsn = "silent-" + std::to_string(silent.port);
    ini.systemDsn(dsn, {{"Driver", kPostgresDriver},
                        {"Servername", "127.0.0.1"},
                        {"Port", std::to_string(silent.port)},
                        {"Database", "postgres"}});
    // One second instead of the program's fifteen, so that the test stays short.
    odbc::ODBC quick(general, dm, 1);
    auto run = std::async(std::launch::async,
                          [&] { return quick.ODBCConnect(dsn, "tester", "pw", logPath); });
    if (run.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        std::fprintf(stderr, "SQLConnect still waits after 30 s: no login time-out\n");
        std::_Exit(1);
    }
    EXPECT_EQ(run.get().Status, SQL_ERROR);
    EXPECT_EQ(dm.calls.at(2), "SetLoginTimeout 1");
    const Strings lines = logLines();
    ASSERT_EQ(lines.size(), 6u) << logText();
    EXPECT_EQ(lines[2], "There was an error within SQLConnect!");
    EXPECT_EQ(lines[3], "SQLState = 08001");
    EXPECT_NE(lines[5].find("timeout expired"), std::string::npos) << lines[5];
}

}  // namespace
}  // namespace virelo::test
