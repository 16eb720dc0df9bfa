// The connection tester on another machine: which machine is chosen, and every way the channel
// can fail, through a scripted "ssh" stand-in that records how it was started. The real channel
// through OpenSSH is tested in remote_ssh_test.cpp.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "complus/ComponentHost.h"
#include "complus/RemoteConnectionTester.h"
#include "general/Error.h"
#include "platform/posix/PosixFiles.h"
#include "support/TempDir.h"

namespace virelo::complus {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using Clock = std::chrono::steady_clock;

struct ChoiceCase {
    const char* name;
    std::vector<std::string> arguments;   // the window's command line
    std::optional<std::string> variable;  // VIRELO_COMPONENT_HOST
    std::string xdgFile, homeFile;        // virelo.conf under XDG_CONFIG_HOME and under ~/.config
    std::string chosen;                   // empty: this machine
};

TEST(ComponentHostTest, CommandLineThenEnvironmentThenConfigurationFileEmptyMeansThisMachine) {
    const ChoiceCase cases[] = {
        {"nothing", {}, std::nullopt, "", "", ""},
        {"xdg file", {}, std::nullopt, " # far away\n component-host = apphost \n", "", "apphost"},
        {"home file", {}, std::nullopt, "", "colour=blue\ncomponent-host=u@h1\n", "u@h1"},
        {"xdg before home", {}, std::nullopt, "component-host=x1", "component-host=h1", "x1"},
        {"variable", {}, "envhost", "component-host=confhost", "", "envhost"},
        {"empty variable", {}, "", "component-host=confhost", "", ""},
        {"option", {"--component-host", "cli"}, "envhost", "", "", "cli"},
        {"option=", {"-style", "fusion", "--component-host=u@cli"}, "envhost", "", "", "u@cli"},
        {"empty option", {"--component-host="}, "envhost", "", "", ""},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir home;
        std::filesystem::create_directories(home.file("xdg/virelo"));
        std::filesystem::create_directories(home.file(".config/virelo"));
        if (!c.xdgFile.empty()) {
            home.write("xdg/virelo/virelo.conf", c.xdgFile);
        }
        if (!c.homeFile.empty()) {
            home.write(".config/virelo/virelo.conf", c.homeFile);
        }
        test::ScopedEnv homeEnv("HOME", home.path());
        test::ScopedEnv xdg("XDG_CONFIG_HOME",
                            c.xdgFile.empty() ? std::nullopt : std::optional(home.file("xdg")));
        test::ScopedEnv variable("VIRELO_COMPONENT_HOST", c.variable);
        test::ScopedEnv ssh("VIRELO_SSH", "/opt/ssh-wrapper");
        std::string error;
        platform::posix::PosixFiles files;
        const auto remote = ChosenRemoteTester(ComponentHostArgument(c.arguments, error), files);
        EXPECT_EQ(error, "");
        EXPECT_EQ(remote ? remote->destination : "", c.chosen);
        EXPECT_EQ(remote ? remote->sshProgram : "/opt/ssh-wrapper", "/opt/ssh-wrapper");
    }
    std::string error;
    EXPECT_EQ(ComponentHostArgument({"--component-host"}, error), std::nullopt);
    EXPECT_EQ(error, "--component-host needs a host: --component-host [user@]host");
    // A host name never becomes an option of ssh.
    RemoteTesterSettings option;
    option.destination = "-oProxyCommand=x";
    EXPECT_THROW(RemoteConnectionTester{option}, Error);
}

// A stand-in for ssh: a shell script that records its arguments and environment, then does what
// the test says. `hello` answers the greeting as a tester does.
class StandInSsh {
public:
    static constexpr const char* kHello =
        "read -r line; echo '{\"protocol\":\"virelo-tester\",\"version\":1}'\n";

    explicit StandInSsh(const std::string& body) {
        dir_.write("ssh", "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + dir_.file("argv") + "\nenv > " +
                              dir_.file("env") + "\n" + body);
        ::chmod(dir_.file("ssh").c_str(), 0700);
    }
    RemoteTesterSettings settings(std::chrono::milliseconds bound) const {
        RemoteTesterSettings settings;
        settings.destination = "apphost";
        settings.sshProgram = dir_.file("ssh");
        settings.callBound = bound;
        return settings;
    }
    std::string argv() const { return dir_.read("argv"); }
    std::string env() const { return dir_.read("env"); }
    const test::TempDir& dir() const { return dir_; }

private:
    test::TempDir dir_;
};

struct FailureCase {
    const char* name;
    std::string body;  // the stand-in's script
    std::int32_t number;
    std::string words;  // in the error's description
};

TEST(RemoteTesterTest, EveryFailureOfTheChannelRaisesItsReasonWithinTheBound) {
    const std::string hello = StandInSsh::kHello;
    const FailureCase cases[] = {
        {"ssh missing", "", 429, "the program /nonexistent/ssh cannot be started"},
        {"tester missing", "echo 'sh: 1: virelo-check: not found' >&2; exit 127", 429,
         "virelo-check is not installed there, or not on the PATH of SSH sessions (ssh: sh: 1: "
         "virelo-check: not found)"},
        {"ssh fails",
         "echo 'ssh: connect to host apphost port 22: Connection refused' >&2; exit 255", 462,
         "nothing accepts SSH connections"},
        {"tester without serve-tester", "echo \"unknown command\" >&2; exit 2", 429,
         "ended (exit code 2) without answering"},
        {"garbage", "echo 'Welcome to apphost'; sleep 30", 429,
         "not of the tester protocol (\"Welcome to apphost\")"},
        {"another version",
         "read -r line; echo '{\"protocol\":\"virelo-tester\",\"version\":2}'; sleep 30", 429,
         "speaks version 2 of the tester protocol, this program version 1"},
        {"eof mid-answer", hello + "read -r line; printf '{\"result\":'", 462,
         "failed during MachineName: the channel closed (exit code 0)"},
        {"hang", hello + "read -r line; sleep 30", 462,
         "failed during MachineName: no answer came within 300 ms"},
        {"hang in the greeting", "sleep 30", 462,
         "cannot be reached: no answer came within 300 ms"},
    };
    // A password that virelo-check was given in its environment stays on this machine.
    test::ScopedEnv password("VIRELO_PASSWORD", "Env-Secret-42");
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        StandInSsh ssh(c.body);
        RemoteTesterSettings settings = ssh.settings(std::chrono::milliseconds(300));
        if (c.body.empty()) {
            settings.sshProgram = "/nonexistent/ssh";
        }
        RemoteConnectionTester tester(settings);
        const auto start = Clock::now();
        try {
            tester.MachineName();
            ADD_FAILURE() << "no error raised";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), c.number);
            EXPECT_EQ(error.source(), "ssh apphost");
            EXPECT_THAT(error.description(), HasSubstr(c.words));
        }
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(3)) << "the bound holds";
        EXPECT_THAT(ssh.env(), Not(HasSubstr("Env-Secret-42")));
    }
    // A connection left unanswered: the reason does not put the whole blame on the channel.
    StandInSsh silent(hello + "read -r line; sleep 30");
    RemoteConnectionTester tester(silent.settings(std::chrono::milliseconds(300)));
    bool connected = true;
    try {
        tester.Connect("DSN=Sales", connected);
        ADD_FAILURE() << "no error raised";
    } catch (const Error& error) {
        EXPECT_THAT(error.description(),
                    HasSubstr("within 300 ms; the channel was closed and the next use opens a "
                              "new one. The tester there may still have been waiting for the "
                              "database server"));
    }
}

// The channel's command line; a broken channel is opened again on the next use, and the password
// of a connection string travels in the request only, never in an error text.
TEST(RemoteTesterTest, CommandLineRestartAfterABreakAndPasswordOnlyInTheRequest) {
    StandInSsh ssh("if [ -e " + std::string("$(dirname $0)/started") + " ]; then\n" +
                   StandInSsh::kHello +
                   "read -r line; echo \"$line\" > $(dirname $0)/request\n"
                   "echo '{\"error\":{\"number\":-1,\"source\":\"far\",\"description\":\"bad "
                   "PWD=Rq-Secret-99\"}}'\n"
                   "read -r line; echo '{\"result\":\"apphost\"}'\n"
                   "else touch $(dirname $0)/started; " +
                   StandInSsh::kHello + "read -r line; sleep 30; fi\n");
    EXPECT_EQ(RemoteTesterSettings{}.Bound(), std::chrono::seconds(30))
        << "the login time-out of 15 seconds and a margin";
    RemoteConnectionTester tester(ssh.settings(std::chrono::milliseconds(300)));
    EXPECT_THROW(tester.UserDsnList(), Error);
    EXPECT_EQ(
        ssh.argv(),
        "-T\n-o\nBatchMode=yes\n-o\nConnectTimeout=15\n--\napphost\nvirelo-check\nserve-tester\n--"
        "timeout\n15\n");

    bool success = true;
    try {
        tester.Connect("DSN=x;UID=u;PWD=Rq-Secret-99", success);
        ADD_FAILURE() << "no error raised";
    } catch (const Error& error) {
        EXPECT_EQ(ErrorLine(error),
                  "Error Number: -1 Error Source: far Error Description: bad PWD=########");
    }
    EXPECT_FALSE(success);
    EXPECT_EQ(ssh.dir().read("request"),
              "{\"connectionString\":\"DSN=x;UID=u;PWD=Rq-Secret-99\",\"op\":\"Connect\"}\n");
    EXPECT_EQ(tester.MachineName(), "apphost") << "the same channel serves the next call";
    EXPECT_THAT(ssh.argv() + ssh.env(), Not(HasSubstr("Rq-Secret-99")));
}

}  // namespace
}  // namespace virelo::complus
