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

using ::testing::_;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

using SqliteConnectTest = OdbcFixture;

// What a user may type, passed on byte for byte with its own length (an empty text with length 0,
// never as a null pointer or SQL_NTS), and data sources that cannot be reached, told apart by
// the diagnostic lines of SQLConnect.
TEST_F(SqliteConnectTest, TypedTextReachesTheDriverManagerExactly) {
    const std::string hard = " a=b;{c} Größe ";
    const std::string missing = temp.file("no-such-driver.so");
    const std::string ownName = "missing-" + std::filesystem::path(temp.path()).filename().string();
    const struct {
        std::string defined, typed, user, password;
        std::string state = {}, message = {};  // of the SQLConnect failure; empty: it connects
        std::string driver = kSqliteDriver;
    } cases[] = {
        {"my data source", "my data source", "", ""},
        {"a=b;{c}", "a=b;{c}", hard, "pw" + hard},
        {"Größe-Datenbank", "Größe-Datenbank", std::string(255, 'u'), std::string(300, 'p')},
        {std::string(32, 'x'), std::string(32, 'x'), "", ""},
        {std::string(33, 'y'), std::string(33, 'y'), "", "", "S1090",
         "[unixODBC][Driver Manager]Invalid string or buffer length"},
        // A leading blank is not trimmed away.
        {"my data source", " my data source", "", "", "IM002",
         "[unixODBC][Driver Manager]Data source name not found and no default driver specified"},
        // unixODBC 2.3 reports a library that cannot be opened as 01000 (and never IM003).
        {ownName, ownName, "", "", "01000",
         "[unixODBC][Driver Manager]Can't open lib '" + missing + "' : file not found", missing},
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

// psqlODBC against a PostgreSQL server that the suite starts, and against a listener.
class PostgresConnectTest : public OdbcFixture {
protected:
    PostgresConnectTest() : OdbcFixture(kPostgresDriver) {}
    static void SetUpTestSuite() { server = new PostgresServer; }
    static void TearDownTestSuite() { delete server; }
    // A data source for the database "postgres" on 127.0.0.1 at `port`.
    std::string dsn(int port) {
        const std::string name = "pg-" + std::to_string(port);
        ini.systemDsn(name, {{"Driver", kPostgresDriver},
                             {"Servername", "127.0.0.1"},
                             {"Port", std::to_string(port)},
                             {"Database", "postgres"}});
        return name;
    }

    inline static PostgresServer* server = nullptr;
};

TEST_F(PostgresConnectTest, WrongPasswordFailsWithTheDriversWordsAndRightOneGathersNineValues) {
    if (!server->running()) {
        GTEST_SKIP() << "no PostgreSQL server: " << server->reason;
    }
    const std::string name = dsn(server->port);
    odbc::ODBCInfo info = connect(name, "tester", "wrong-pw;{x}");
    EXPECT_EQ(info.Status, SQL_ERROR);
    EXPECT_THAT(logLines(),
                ElementsAre(_, _, _, "SQLState = 08001", "Native Error =  101",
                            ::testing::AllOf(
                                ::testing::StartsWith("Error Message = [unixODBC]"),
                                HasSubstr("password authentication failed for user \"tester\""))));

    info = connect(name, "tester", "right-pw");
    EXPECT_EQ(logLines(), kSuccessLines);
    EXPECT_THAT(Fields(info),
                ElementsAre(name, "tester", "postgres", MatchesRegex("15\\.[0-9]+.*"),
                            "psqlodbca.so", MatchesRegex("[0-9]{2}\\.[0-9]{2}\\.[0-9]{4}"),
                            MatchesRegex("0[0-9]\\.[0-9]{2}"), "03.52", "PostgreSQL"));
}

// A server that takes the connection and never says a word: the login time-out ends the wait.
TEST_F(PostgresConnectTest, ASilentServerEndsInATimeOutInsteadOfAHang) {
    TcpListener silent;
    const std::string name = dsn(silent.port);
    // One second instead of the program's fifteen, so that the test stays short.
    odbc::ODBC quick(general, dm, 1);
    auto run = std::async(std::launch::async,
                          [&] { return quick.ODBCConnect(name, "tester", "pw", logPath); });
    if (run.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        std::fprintf(stderr, "SQLConnect still waits after 30 s: no login time-out\n");
        std::_Exit(1);
    }
    EXPECT_EQ(run.get().Status, SQL_ERROR);
    EXPECT_EQ(dm.calls.at(2), "SetLoginTimeout 1");
    EXPECT_THAT(logLines(), ElementsAre(_, _, "There was an error within SQLConnect!",
                                        "SQLState = 08001", _, HasSubstr("timeout expired")));
}

}  // namespace
}  // namespace virelo::test
