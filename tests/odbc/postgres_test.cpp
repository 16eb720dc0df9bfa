// The connect-and-report sequence against a PostgreSQL server on 127.0.0.1 started by the test,
// through the psqlODBC driver, and against a server that never answers.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <regex>

#include "support/OdbcFixture.h"
#include "support/PostgresServer.h"

namespace virelo::test {
namespace {

using Lines = std::vector<std::string>;

class PostgresConnectTest : public OdbcFixture {
protected:
    static void SetUpTestSuite() { server = new PostgresServer; }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        if (!std::filesystem::exists(kPostgresDriver)) {
            GTEST_SKIP() << kPostgresDriver << " is missing (odbc-postgresql)";
        }
        if (!server->running()) {
            GTEST_SKIP() << "no PostgreSQL server: " << server->reason;
        }
        ini.systemDsn(dsn(), {{"Driver", kPostgresDriver},
                              {"Servername", "127.0.0.1"},
                              {"Port", std::to_string(server->port)},
                              {"Database", "postgres"}});
    }

    // The data source of this server; its port is part of the name.
    static std::string dsn() { return "pg-" + std::to_string(server->port); }

    static PostgresServer* server;
};
PostgresServer* PostgresConnectTest::server = nullptr;

TEST_F(PostgresConnectTest, WrongPasswordFailsAtSQLConnectWithTheDriversOwnWords) {
    const odbc::ODBCInfo info = connect(dsn(), "tester", "wrong-pw;{x}");
    const Lines lines = logLines();
    const Lines expected = ConnectFailure("08001", " 101", "");
    ASSERT_EQ(lines.size(), expected.size()) << logText();
    for (std::size_t i = 0; i + 1 < expected.size(); ++i) {
        EXPECT_EQ(lines[i], expected[i]);
    }
    EXPECT_EQ(lines.back().rfind("Error Message = [unixODBC]", 0), 0u) << lines.back();
    EXPECT_NE(lines.back().find("password authentication failed for user \"tester\""),
              std::string::npos)
        << lines.back();
    EXPECT_EQ(info.Status, SQL_ERROR);
    EXPECT_EQ(info.DBMSName, "");
    EXPECT_EQ(logText().find("wrong-pw"), std::string::npos);
}

TEST_F(PostgresConnectTest, RightPasswordGathersNineValues) {
    const odbc::ODBCInfo info = connect(dsn(), "tester", "right-pw");
    EXPECT_EQ(logLines(), kSuccessLines);
    EXPECT_EQ(info.Status, 0);
    EXPECT_EQ(info.DataSourceName, dsn());
    EXPECT_EQ(info.UserName, "tester");
    EXPECT_EQ(info.DatabaseName, "postgres");
    EXPECT_TRUE(std::regex_match(info.DBMSVersion, std::regex(R"(15\.\d+.*)"))) << info.DBMSVersion;
    EXPECT_EQ(info.DriverName, "psqlodbca.so");
    EXPECT_TRUE(std::regex_match(info.DriverVersion, std::regex(R"(\d\d\.\d\d\.\d{4})")))
        << info.DriverVersion;
    EXPECT_TRUE(std::regex_match(info.DriverODBCVersion, std::regex(R"(0\d\.\d\d)")))
        << info.DriverODBCVersion;
    EXPECT_EQ(info.ODBCVersion, "03.52");
    EXPECT_EQ(info.DBMSName, "PostgreSQL");
    EXPECT_EQ(logText().find("right-pw"), std::string::npos);
}

// A server that takes connections and never says a word: the kernel completes the handshake for
// a listening socket, and nobody reads.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(fd_, 4) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
    }
    ~SilentServer() { stop(); }
    // Closing the listener resets the connections that nobody took, which ends any wait on them.
    void stop() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    int port = 0;

private:
    int fd_ = -1;
};

TEST(LoginTimeoutTest, ASilentServerEndsInATimeOutInsteadOfAHang) {
    if (!std::filesystem::exists(kPostgresDriver)) {
        GTEST_SKIP() << kPostgresDriver << " is missing (odbc-postgresql)";
    }
    SilentServer silent;
    ASSERT_NE(silent.port, 0);
    OdbcIni ini;
    const std::string dsn = "silent-" + std::to_string(silent.port);
    ini.systemDsn(dsn, {{"Driver", kPostgresDriver},
                        {"Servername", "127.0.0.1"},
                        {"Port", std::to_string(silent.port)},
                        {"Database", "postgres"}});
    TempDir temp;
    platform::posix::PosixFiles files;
    FixedClock clock;
    platform::posix::PosixProcesses processes;
    general::General general{files, clock, processes};
    odbc::SystemDriverManager dm;
    // One second instead of the program's fifteen, so that the test stays short.
    odbc::ODBC module(general, dm, 1);

    auto run = std::async(std::launch::async, [&] {
        return module.ODBCConnect(dsn, "tester", "pw", temp.file("virelo.log"));
    });
    if (run.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << "SQLConnect still waits after 30 s: no login time-out";
        silent.stop();
    }
    const odbc::ODBCInfo info = run.get();
    EXPECT_EQ(info.Status, SQL_ERROR);
    const std::string log = temp.read("virelo.log");
    EXPECT_NE(log.find("There was an error within SQLConnect!"), std::string::npos) << log;
    EXPECT_NE(log.find("SQLState = 08001"), std::string::npos) << log;
    EXPECT_NE(log.find("timeout expired"), std::string::npos) << log;
}

}  // namespace
}  // namespace virelo::test
