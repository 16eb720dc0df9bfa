// The log files and the process launcher over the file and process calls of Windows, and
// virelo-check.exe as a whole program: its JSON report, a diagnosis of a server that the
// registry's server directory names, and partners that stay silent.
#include "WindowsSupport.h"

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>

#include "platform/CoreDumps.h"
#include "platform/win32/Win32Icmp.h"
#include "platform/win32/Win32Network.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Sockets.h"

namespace virelo::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string FileText(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class GeneralTest : public LogFixture {
protected:
    // A directory whose name is not in the ANSI code page's ASCII part: paths cross as UTF-16.
    std::string dir = temp.file(
        "Gr\xC3\xB6\xC3\x9F"
        "e");
    bool made = fs::create_directory(fs::u8path(dir));
    ScopedEnv tempEnv{"TEMP", dir};
};

TEST_F(GeneralTest, LogNamesAreReservedAndOnlyOurOwnFileIsWrittenReadOrDeleted) {
    const std::string first = general.GetLogPath();
    EXPECT_EQ(first, dir + "\\virelo.log");
    EXPECT_EQ(general.GetLogPath(), dir + "\\virelo1.log");
    EXPECT_NE(general.LogFileIdentity(first), "");
    general.WriteLog(first, "gethostbyname", "x");
    general.WriteLog(first, "ignored source", "second line");
    EXPECT_EQ(FileText(first), "3:04:05 PM : x\r\n3:04:05 PM : second line\r\n");
    EXPECT_EQ(general.ReadTextFile(first), "\r\n3:04:05 PM : x\r\n3:04:05 PM : second line");

    // Another program's files object gets the next name and may not touch this one's.
    platform::win32::Win32Files otherFiles;
    general::General other(otherFiles, clock, processes);
    EXPECT_EQ(other.GetLogPath(), dir + "\\virelo2.log");
    EXPECT_THROW(other.WriteLog(first, "WriteLog", "intruder"), Error);
    EXPECT_THROW(other.DeleteLogFile(first), Error);
    EXPECT_TRUE(fs::exists(fs::u8path(first)));

    general.DeleteLogFile(first);
    EXPECT_FALSE(fs::exists(fs::u8path(first)));
    EXPECT_EQ(general.GetLogPath(), first) << "a gap is taken";
    // A file put in place of ours under its name (ours moved away) is not ours.
    fs::rename(fs::u8path(first), fs::u8path(first + ".moved"));
    std::ofstream(fs::u8path(first), std::ios::binary) << "planted\n";
    EXPECT_THROW(general.WriteLog(first, "WriteLog", "x"), Error);
    EXPECT_THROW(general.DeleteLogFile(first), Error);
    EXPECT_EQ(FileText(first), "planted\n");

    const ScopedEnv missing("TEMP", temp.file("missing"));
    EXPECT_THROW(general.GetLogPath(), Error) << "no log file in a missing TEMP directory";
}

TEST_F(GeneralTest, RunAndWaitStartsWithTheChangedEnvironmentAndWaits) {
    const std::string out = temp.file("child.txt");
    // cmd.exe expands the variable from the environment the child was given.
    EXPECT_EQ(general.RunAndWait("cmd /c \"echo %VIRELO_PROBE%> \"" + out + "\"\"",
                                 {{"virelo_probe", "given"}}),
              1);
    EXPECT_EQ(FileText(out), "given\r\n") << "the child ran to its end before the return";
    EXPECT_EQ(general.RunAndWait("no-such-program-4711 x"), 0);
    EXPECT_EQ(general.LastDllError(), 2);
}

// Windows makes no core files; a failing program is not offered for a crash report either.
TEST(CoreDumpsTest, NoCrashReportIsOffered) {
    platform::ForbidCoreDumps();
    EXPECT_NE(::GetErrorMode() & SEM_NOGPFAULTERRORBOX, 0u);
}

// virelo-check.exe, built beside this program, run as a user would.
class CheckExeTest : public ::testing::Test {
protected:
    nlohmann::json check(const std::string& arguments, int expectedExit) {
        const Ran ran = RunCaptured(exe + " --json " + arguments);
        EXPECT_EQ(ran.exitCode, expectedExit) << arguments << "\n" << ran.out;
        const auto doc = nlohmann::json::parse(ran.out, nullptr, false);
        EXPECT_FALSE(doc.is_discarded()) << ran.out;
        return doc;
    }
    static std::string Layers(const nlohmann::json& doc) {
        std::string layers;
        for (const auto& c : doc["checks"]) {
            layers += c["layer"].get<std::string>() + (c["ok"].get<bool>() ? "+ " : "- ");
        }
        return layers;
    }
    TempDir temp;
    ScopedEnv tempEnv{"TEMP", temp.path()};
    platform::win32::Win32Files files;
    std::string exe = "\"" + files.programDirectory() + "\\virelo-check.exe\"";
    Listener listener;
};

TEST_F(CheckExeTest, HostServiceAndNativeChecksAsJson) {
    EXPECT_EQ(Layers(check("host localhost", 0)), "resolve+ echo+ ");
    EXPECT_EQ(check("service http", 0)["checks"][0]["message"],
              "service http is port 80/tcp, aliases www");
    check("service no-such-service", 12);
    EXPECT_EQ(check("native s --host 127.0.0.1 --port " + std::to_string(listener.port()),
                    0)["checks"][0]["state"],
              "01V01");
    EXPECT_TRUE(fs::is_empty(fs::u8path(temp.path()))) << "every check deletes its log file";
}

// The support report's facts as Windows gives them: the machine's names, the clock with its
// offset, the program's own variables, odbc32 where it was loaded from.
TEST_F(CheckExeTest, ReportHeaderFromWindowsFacts) {
    const nlohmann::json env = check("report", 0)["environment"];
    if (InPrivatePrefix()) {  // in the namespaces of scripts/test-windows.sh
        EXPECT_EQ(env["host_name"], "test-ws");
    }
    EXPECT_FALSE(env["qualified_name"].get<std::string>().empty());
    EXPECT_TRUE(std::regex_match(env["created"].get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")))
        << env["created"];
    EXPECT_TRUE(
        std::regex_match(env["kernel_release"].get<std::string>(), std::regex(R"(\d+\.\d+\.\d+)")))
        << env["kernel_release"];
    EXPECT_EQ(env["variables"]["TEMP"], temp.path());
    if (const char* dsn = std::getenv("VIRELO_SQLITE_DSN")) {
        EXPECT_EQ(env["variables"]["VIRELO_SQLITE_DSN"], dsn);
    }
    EXPECT_TRUE(std::regex_search(env["odbc"]["library"].get<std::string>(),
                                  std::regex(R"(\\odbc32\.dll$)", std::regex::icase)))
        << env["odbc"]["library"];
}

// A program run for its output: what it writes on either output, cut at the limit; one that
// cannot be started says why; one that keeps waiting is ended at the time limit.
TEST_F(CheckExeTest, ProgramsRunForTheirOutput) {
    platform::win32::Win32Processes processes;
    platform::CapturedRun run = processes.runCapturing(exe + " --version", 10s, 4096);
    EXPECT_TRUE(run.started && !run.timedOut) << run.failure;
    EXPECT_EQ(run.output.rfind("virelo-check ", 0), 0u) << run.output;
    EXPECT_EQ(processes.runCapturing(exe + " --version", 10s, 4).output, "vire");
    // A refused option is told on the error output.
    EXPECT_EQ(processes.runCapturing(exe + " --bogus", 10s, 4096)
                  .output.rfind("virelo-check: unknown option --bogus", 0),
              0u);
    run = processes.runCapturing("no-such-program.exe", 10s, 4096);
    EXPECT_FALSE(run.started);
    EXPECT_FALSE(run.failure.empty());
    // serve-tester waits for requests on its input, which stays open.
    const auto start = Clock::now();
    run = processes.runCapturing(exe + " serve-tester", 500ms, 4096);
    EXPECT_TRUE(run.started && run.timedOut);
    EXPECT_LT(Clock::now() - start, 5s);
}

TEST_F(CheckExeTest, DiagnoseWalksTheLayersOfAServerOfTheRegistry) {
    VIRELO_REQUIRE_PRIVATE_PREFIX();
    const std::string key = "HKLM\\SOFTWARE\\Nembrion\\SQLHOSTS\\winsrv";
    RegDelete(key);
    ASSERT_TRUE(RegAdd(key, "HOST", "REG_SZ", "localhost"));
    ASSERT_TRUE(RegAdd(key, "SERVICE", "REG_SZ", std::to_string(listener.port())));
    ASSERT_TRUE(RegAdd(key, "PROTOCOL", "REG_SZ", "kasoctcp"));
    EXPECT_EQ(Layers(check("diagnose winsrv", 0)), "resolve+ echo+ service+ listener+ ");
    const std::string port = std::to_string(listener.port());
    EXPECT_EQ(check("list servers", 0)["servers"][0].dump(),
              R"({"host":"localhost","name":"winsrv","options":"Not Found","protocol":"kasoctcp",)"
              R"("service":")" +
                  port + R"(","source":"registry"})");
    listener.close();
    EXPECT_EQ(Layers(check("diagnose winsrv", 13)), "resolve+ echo+ service+ listener- ");
    EXPECT_EQ(Layers(check("diagnose --host 127.0.0.1 --port " + port, 13)),
              "resolve+ echo+ service+ listener- ");
    // Plain text, through a pipe: no colours; as a monitoring plugin, one line and 2.
    const Ran plain = RunCaptured(exe + " --plugin diagnose winsrv");
    EXPECT_EQ(plain.exitCode, 2);
    EXPECT_EQ(plain.out.rfind("VIRELO CRITICAL - listener winsrv (localhost, " + port, 0), 0u)
        << plain.out;
    EXPECT_EQ(RunCaptured(exe + " diagnose winsrv").out.find('\x1b'), std::string::npos);
    ASSERT_TRUE(RegAdd(key, "SERVICE", "REG_SZ", "no-such-service"));
    EXPECT_EQ(Layers(check("diagnose winsrv", 12)), "resolve+ echo+ service- ");
    EXPECT_EQ(Layers(check("diagnose no-such-server", 16)), "directory- ");
    RegDelete(key);
}

// Partners that stay silent: a name server that never answers, an echo service that ignores
// requests and a listener whose queue is full, each given up on at its time limit, and a check
// interrupted with Ctrl-C while it waits. They run in the silent part of scripts/test-windows.sh:
// a private network namespace whose names come from a name server on 127.0.0.53 (which the test
// holds open and never answers) and whose loopback ignores echo requests.
class SilentNetworkTest : public CheckExeTest {
protected:
    void SetUp() override {
        if (std::getenv("VIRELO_SILENT_NETWORK") == nullptr) {
            GTEST_SKIP() << "needs the silent network of scripts/test-windows.sh (a name server "
                            "that never answers, echo requests ignored)";
        }
        sockaddr_in address{AF_INET, ::htons(53), {}, {}};
        address.sin_addr.s_addr = ::htonl(0x7F000035);  // 127.0.0.53, as resolv.conf names it
        ASSERT_EQ(::bind(nameServer, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    void TearDown() override { ::closesocket(nameServer); }

    Listener full{true};  // its session (WSAStartup) serves the name server's socket too
    SOCKET nameServer = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
};

TEST_F(SilentNetworkTest, LookUpsAndEchoesGiveUpAtTheirTimeLimits) {
    auto start = Clock::now();
    const auto resolved = platform::win32::Win32Network().resolveHost("db.silent.test", 500ms);
    EXPECT_EQ(resolved.status, platform::ResolveStatus::TimedOut) << resolved.reason;
    platform::win32::Win32Sockets sockets(500ms);
    EXPECT_FALSE(sockets.hostByName("db.silent.test"));
    EXPECT_EQ(sockets.lastError(), 11002);
    EXPECT_LT(Clock::now() - start, 3s);
    platform::EchoResult echo;
    std::string failure;
    ASSERT_TRUE(platform::win32::Win32Icmp().sendEcho(0x0100007F, "x", 500, echo, failure));
    EXPECT_EQ(echo.status, 11010);
    // virelo-check's look-ups wait as long as its --timeout, not the default five seconds.
    start = Clock::now();
    EXPECT_EQ(RunCaptured(exe + " host db.silent.test --timeout 1").exitCode, 10);
    EXPECT_LT(Clock::now() - start, 4s);
}

TEST_F(SilentNetworkTest, AFullListenerTimesOutAndCtrlCEndsTheWaitWith130) {
    const std::string target = "--host 127.0.0.1 --port " + std::to_string(full.port());
    EXPECT_EQ(check("native x " + target + " --timeout 1", 13)["checks"][0]["code"], -1811);

    // A console of our own, shared with the check: Ctrl-C reaches every program attached to it
    // (this one takes it and goes on). The listener is the check's last layer: it waits once the
    // service has been reported.
    ::FreeConsole();
    ASSERT_TRUE(::AllocConsole());
    ::SetConsoleCtrlHandler([](DWORD) { return TRUE; }, TRUE);
    const Ran ran =
        RunCaptured(exe + " diagnose " + target + " --timeout 30", [](const std::string& shown) {
            return shown.find("== service") != std::string::npos &&
                   ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
        });
    EXPECT_EQ(ran.exitCode, 130) << ran.out;
    EXPECT_NE(ran.out.find("interrupted by CTRL_C_EVENT"), std::string::npos) << ran.out;
}

}  // namespace
}  // namespace virelo::test
