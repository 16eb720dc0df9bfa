// The connection tester on another machine through real OpenSSH: an sshd of the test's own plays
// the machine apphost (SshServer.h), and the window, built as the program builds it, is told by
// the environment to use it.
#include <regex>

#include "support/ChildProcess.h"
#include "support/OdbcIni.h"
#include "support/SshServer.h"
#include "support/WindowFixture.h"
#include "ui/SystemComponents.h"

namespace virelo::complus {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

class RemoteSshTest : public test::WindowFixture {
protected:
    // Outlives every window of the test (the window is the fixture's and goes after the test).
    static platform::SystemServices& System() {
        static platform::SystemServices system;
        return system;
    }
    // A COM+ ping of the system data source, its closing line's time left out.
    std::string ping(const std::string& dsn) {
        click("optSystemDSN");
        fill("cboSystemDSN=" + dsn + "|txtUID=u|txtPWD=Ssh-Secret-77");
        click("cmdPingADO");
        return std::regex_replace(text("txtDiagCOM"), std::regex("after \\d+ ms"), "after N ms");
    }
};

TEST_F(RemoteSshTest, SqlitePingAndListsThroughOpenSshAndLoginFailuresInItsOwnWords) {
    test::SshServer server(VIRELO_CHECK_BINARY);
    if (!server.skipReason.empty()) {
        GTEST_SKIP() << server.skipReason;
    }
    ASSERT_EQ(server.failure, "");
    test::OdbcIni odbc;
    odbc.systemDsn("RemoteSales", {{"Driver", "SQLite3"},
                                   {"Database", test::OdbcProcessConfig::SqliteDatabase()}});
    server.dir.write("remote-odbc.ini", "[OnlyOnApphost]\nDriver=SQLite3\n");
    const std::string local = ping("RemoteSales");
    EXPECT_THAT(local, HasSubstr("CONNECTION WAS SUCCESSFUL\r\n"));

    test::ScopedEnv host("VIRELO_COMPONENT_HOST", test::SshServer::kHost);
    test::ScopedEnv ssh("VIRELO_SSH", server.ssh);
    window = open(ui::SystemComponents(System()));
    activate();
    EXPECT_EQ(text("lblComLocation"), "COM Object is loaded on apphost");
    EXPECT_EQ(text("optUserDSN"), "User DSNs on apphost");
    EXPECT_EQ(items("cboUserDSN"), Texts{"OnlyOnApphost"});
    EXPECT_THAT(items("cboSystemDSN"), Contains("RemoteSales"));
    EXPECT_EQ(ping("RemoteSales"), local);

    // virelo-check connect --on: the same lines as without it.
    const auto check = [&server](std::vector<std::string> argv) {
        argv.insert(argv.begin(),
                    {VIRELO_CHECK_BINARY, "connect", "DSN=RemoteSales;PWD={PASSWORD}"});
        const test::ChildResult run = test::RunChild(
            argv, {{"VIRELO_PASSWORD", "Ssh-Secret-77"},
                   {"VIRELO_SSH", server.ssh},
                   // The ODBC driver's own leaks are not virelo-check's (SanitizerSupport.cpp).
                   {"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0"}});
        return std::to_string(run.exitCode) + "\n" +
               std::regex_replace(run.out, std::regex("after \\d+ ms"), "after N ms") + run.err;
    };
    const std::string checked = check({});
    EXPECT_THAT(checked, HasSubstr("CONNECTION WAS SUCCESSFUL\n"));
    EXPECT_EQ(check({"--on", "apphost"}), checked);
    EXPECT_THAT(server.dir.read("remote.argv"), HasSubstr("serve-tester\n--timeout\n10\n"))
        << "virelo-check's time-out went with it";
    // The password went through the channel only, also when virelo-check had it in its
    // environment.
    EXPECT_THAT(server.traces(), AllOf(HasSubstr("serve-tester"), HasSubstr("Accepted publickey"),
                                       Not(HasSubstr("Ssh-Secret-77"))));

    const std::pair<const char*, std::string> failures[] = {
        {"stranger",
         "Error Number: 70 Error Source: ssh stranger Error Description: The "
         "connection tester on stranger cannot be reached: the SSH login was refused"},
        {"closedport",
         "Error Number: 462 Error Source: ssh closedport Error Description: The "
         "connection tester on closedport cannot be reached: nothing accepts SSH"},
        {"nohost.invalid",
         "Error Number: 462 Error Source: ssh nohost.invalid Error "
         "Description: The connection tester on nohost.invalid cannot be "
         "reached: the host name is not known (ssh: Could not resolve"},
    };
    for (const auto& [destination, line] : failures) {
        RemoteTesterSettings settings;
        settings.destination = destination;
        settings.sshProgram = server.ssh;
        RemoteConnectionTester tester(settings);
        try {
            tester.MachineName();
            ADD_FAILURE() << destination << ": no error raised";
        } catch (const Error& error) {
            EXPECT_THAT(ErrorLine(error), HasSubstr(line));
        }
    }
}

}  // namespace
}  // namespace virelo::complus
