// The Java test class run directly, as the JDBC ping starts it, against log files that are not
// the one the program reserved: it must refuse them at once and write nothing anywhere.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "general/General.h"
#include "jdbc/JdbcLaunch.h"
#include "platform/posix/SystemPlatform.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace virelo::jdbc {
namespace {

namespace fs = std::filesystem;

class TestClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(VIRELO_JDBC_JAR) || std::system("command -v java >/dev/null") != 0) {
            GTEST_SKIP() << "needs java on PATH and " << VIRELO_JDBC_JAR;
        }
        fs::create_directory(temp.file("cwd"));
        fs::current_path(temp.file("cwd"));
        log = general.GetLogPath();
    }
    void TearDown() override { fs::current_path(startDir); }

    // Runs the class with the reserved log's identity, telling it that `path` is its log.
    std::chrono::milliseconds run(const std::string& path, const std::string& identity) {
        JdbcLaunch launch = PrepareJdbcLaunch({"java.lang.String", "jdbc:none:x", "sa", "Cls-Pw-1"},
                                              path, identity, VIRELO_JDBC_JAR);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(general.RunAndWait(launch.commandLine, launch.environment), 1);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
    }

    fs::path startDir = fs::current_path();
    test::TempDir temp;
    test::ScopedEnv tempEnv{"TEMP", temp.path()};
    platform::posix::PosixFiles files;
    test::FixedClock clock;
    platform::posix::PosixProcesses processes;
    general::General general{files, clock, processes};
    std::string log;
};

TEST_F(TestClassTest, AnythingButTheReservedLogIsRefusedAtOnce) {
    const std::string identity = general.LogFileIdentity(log);
    temp.write("victim.txt", "precious");
    temp.write("other.log", "");
    ASSERT_EQ(mkfifo(temp.file("fifo.log").c_str(), 0600), 0);
    fs::create_symlink(log, temp.file("link.log"));
    fs::create_symlink(temp.file("victim.txt"), temp.file("victim.log"));

    const std::pair<std::string, std::string> refused[] = {
        {temp.file("fifo.log"), identity},
        {temp.file("link.log"), identity},
        {temp.file("victim.log"), identity},
        {temp.file("other.log"), identity},
        {log, "1:2"},
        {log, ""},
        {"", identity},
    };
    for (const auto& [path, id] : refused) {
        EXPECT_LT(run(path, id), std::chrono::seconds(10)) << path << " " << id;
    }
    EXPECT_EQ(temp.read("victim.txt"), "precious");
    EXPECT_EQ(temp.read("other.log"), "");
    EXPECT_EQ(temp.read(fs::path(log).filename()), "") << "nothing written without its identity";
    EXPECT_TRUE(fs::is_empty(temp.file("cwd"))) << "nothing written into the current directory";

    // The reserved file with its identity is written, and the password is not in it.
    run(log, identity);
    const std::string report = temp.read(fs::path(log).filename());
    EXPECT_NE(report.find(" : User: sa\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find(" : Password: given\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("No suitable driver found for jdbc:none:x"), std::string::npos) << report;
    EXPECT_EQ(report.find("Cls-Pw-1"), std::string::npos) << report;
    EXPECT_TRUE(fs::is_empty(temp.file("cwd")));
}

}  // namespace
}  // namespace virelo::jdbc
