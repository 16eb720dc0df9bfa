// virelo-check on networks that users meet, inside the private namespace that run_in_netns.sh
// makes: a loopback that drops IPv4 echo requests, an IPv6 address of its own (v6only.test in
// the test hosts file), no way off the machine, and a name server the test can hold silent.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cli/CheckFixture.h"
#include "platform/System.h"

namespace virelo::cli {
namespace {

class CliNamespaceTest : public CheckFixture {
protected:
    void SetUp() override {
        if (std::getenv("VIRELO_NETNS") == nullptr) {
            GTEST_SKIP() << "runs only inside the namespace made by run_in_netns.sh";
        }
        CheckFixture::SetUp();
    }
    // The namespace's name server (127.0.0.53), held open and never answering; its own
    // time-out is 30 seconds.
    static int SilentNameServer() {
        const int server = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{AF_INET, htons(53), {htonl(0x7F000035)}, {}};
        EXPECT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return server;
    }
};

// An echo without answer is a warning and the walk goes on to the listener and the login; an
// IPv6-only host passes every layer; a driver that cannot resolve its host is a name failure.
TEST_F(CliNamespaceTest, VerdictsHoldWhereEchoIsDroppedForIpv6OnlyHostsAndInDrivers) {
    EXPECT_EQ(walk(run("diagnose srv_up --dsn Sales --json")),
              "resolve echo? service listener odbc 0");
    EXPECT_EQ(walk(run("diagnose srv_closed --json")), "resolve echo? service listener! 13");
    const auto text = run("diagnose srv_up");
    EXPECT_NE(text.out.find("== echo localhost: WARNING - 0 of 1 address(es) answered"),
              std::string::npos)
        << text.out;
    const auto plugin = run("diagnose srv_up --plugin");
    EXPECT_EQ(plugin.exitCode, 1);
    EXPECT_TRUE(plugin.out.starts_with("VIRELO WARNING - echo localhost: 0 of 1")) << plugin.out;
    EXPECT_EQ(run("host localhost").exitCode, 11) << "host's own verdict is the echo";

    test::TcpListener v6("fd00::5");
    values["{V6}"] = std::to_string(v6.port);
    const auto six = run("diagnose --host v6only.test --port {V6} --json");
    EXPECT_EQ(walk(six), "resolve echo service listener 0");
    const std::string echoed = document(six)["checks"][1]["log"].dump();
    EXPECT_NE(echoed.find("Ping IP fd00::5 [ ip found ] 0"), std::string::npos) << echoed;
    EXPECT_EQ(run("host v6only.test").exitCode, 10) << "the TCP/IP tab's look-up is IPv4";

    expectRows({{"connect {PGODBC};Servername=no-such-host.invalid --json", 10, "/checks/0/state",
                 "08001"},
                {"jdbc org.postgresql.Driver jdbc:postgresql://no-such-host.invalid/x", 10},
                {"jdbc org.h2.Driver jdbc:h2:tcp://no-such-host.invalid/x", 10}},
               std::nullopt, {},
               {{"CLASSPATH", "/usr/share/java/h2.jar:/usr/share/java/postgresql.jar"}});
}

// A name server that never answers (its own time-out is 30 seconds): every look-up gives up
// after --timeout and is reported as the name service's failure, before any driver starts.
TEST_F(CliNamespaceTest, ASilentNameServerHoldsNoCheckLongerThanTheTimeout) {
    const int server = SilentNameServer();
    temp.write("odbc.ini", "[Silent]\nDriver=" + std::string(test::kPostgresDriver) +
                               "\nServername=db.silent.test\n");
    const std::vector<Row> rows = {
        {"host db.silent.test --json", 10, "/checks/0/message",
         "the name service gave no answer within 1000 ms (TRY_AGAIN)"},
        {"host --by-address 10.1.2.3", 10},
        {"native x --host db.silent.test --port 5432 --json", 10, "/checks/0/code", -1806},
        {"diagnose --host db.silent.test --port 5432 --json", 10, "/checks/0/message",
         "the name service could not answer (no answer within 1000 ms)"},
        {"odbc Silent --json", 10, "/checks/0/layer", "resolve"},
        {"connect {PGODBC};Servername=db.silent.test --json", 10, "/checks/0/layer", "resolve"},
        {"jdbc org.postgresql.Driver jdbc:postgresql://db.silent.test/x --json", 10,
         "/checks/0/layer", "resolve"},
    };
    for (const Row& row : rows) {
        const auto start = std::chrono::steady_clock::now();
        // Without nss_wrapper, so that the namespace's name server is asked.
        expectRows({{row.line + " --timeout 1", row.exitCode, row.field, row.value}}, std::nullopt,
                   {}, {{"LD_PRELOAD", std::nullopt}});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << row.line;
    }
    ::close(server);
}

// The window's services as it sets them up (no limit given): a host look-up gives up on a silent
// name server after five seconds, as the name service's failure.
TEST_F(CliNamespaceTest, TheWindowsLookUpsGiveUpOnASilentNameServerAfterFiveSeconds) {
    const int server = SilentNameServer();
    platform::SystemServices system;
    ASSERT_EQ(system.sockets.startup(0x0101), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(system.sockets.hostByName("db.silent.test"));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(system.sockets.lastError(), platform::wsa::kTryAgain);
    EXPECT_GE(waited, std::chrono::milliseconds(4500));
    EXPECT_LT(waited, std::chrono::seconds(8));
    ::close(server);
}

// A report file on a disk that is full by the time the run is written to it (the namespace lets
// the test mount a small file system of its own): the run's output is still printed, the part of
// a report is removed, and the exit code says that output was lost.
TEST_F(CliNamespaceTest, AReportThatCannotBeWrittenIsRemovedAndTheRunExits74) {
    const std::string disk = temp.file("disk");
    ASSERT_EQ(::mkdir(disk.c_str(), 0700), 0);
    ASSERT_EQ(::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=4k"), 0) << std::strerror(errno);
    // The name can still be reserved, but none of the text fits.
    std::ofstream(disk + "/filler") << std::string(64 * 1024, 'x');
    const auto result = run("--report " + disk + "/r.txt service http");
    EXPECT_EQ(result.exitCode, 74) << result.out << result.err;
    EXPECT_NE(result.out.find("== service http/tcp: OK"), std::string::npos) << result.out;
    EXPECT_TRUE(result.err.starts_with("virelo-check: the report could not be written: "))
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(disk + "/r.txt"));
    ::umount2(disk.c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace virelo::cli
