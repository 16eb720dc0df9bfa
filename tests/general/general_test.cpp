#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "general/General.h"
#include "platform/posix/SystemPlatform.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace virelo::general {
namespace {

using test::ScopedEnv;
using test::TempDir;

class GeneralTest : public ::testing::Test {
protected:
    platform::posix::PosixFiles files;
    test::FixedClock clock;
    platform::posix::PosixProcesses processes;
    General general{files, clock, processes};
    TempDir temp;
};

TEST_F(GeneralTest, LogPathTakesTheFirstFreeNameGapsIncluded) {
    ScopedEnv env("TEMP", temp.path());
    EXPECT_EQ(general.GetLogPath(), temp.file("virelo.log"));

    temp.write("virelo.log", "");
    temp.write("virelo1.log", "");
    EXPECT_EQ(general.GetLogPath(), temp.file("virelo2.log"));

    std::filesystem::remove(temp.file("virelo.log"));
    EXPECT_EQ(general.GetLogPath(), temp.file("virelo.log")) << "a gap is taken";

    // A link, even one pointing nowhere, is a name in use: a log never goes through it.
    std::filesystem::create_symlink(temp.file("nowhere"), temp.file("virelo.log"));
    EXPECT_EQ(general.GetLogPath(), temp.file("virelo2.log"));
    EXPECT_FALSE(std::filesystem::exists(temp.file("virelo2.log"))) << "the name is not created";
}

TEST_F(GeneralTest, LogPathWithoutTempUsesTheSystemTemporaryDirectory) {
    ScopedEnv tmpdir("TMPDIR", temp.path());
    {
        ScopedEnv env("TEMP", std::nullopt);
        EXPECT_EQ(general.GetLogPath(), temp.file("virelo.log"));
    }
    ScopedEnv env("TEMP", std::string());
    EXPECT_EQ(general.GetLogPath(), temp.file("virelo.log"));
}

TEST_F(GeneralTest, LogPathSearchEndsWhenTheDirectoryIsMissing) {
    for (const std::string& dir : {temp.file("missing"), temp.file("plain-file")}) {
        temp.write("plain-file", "x");
        ScopedEnv env("TEMP", dir);
        try {
            general.GetLogPath();
            FAIL() << "no error for " << dir;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), errors::kPathNotFound);
            EXPECT_EQ(e.source(), "GetLogPath");
            EXPECT_NE(e.description().find(dir), std::string::npos) << e.description();
        }
    }
}

// Files whose probe never says "not found": every name seems taken or unreachable.
class UnreachableFiles : public platform::posix::PosixFiles {
public:
    platform::FileStatus probe(const std::string& path) override {
        ++probes;
        lastProbe = path;
        return {platform::FileError::AccessDenied, path + ": Permission denied"};
    }
    int probes = 0;
    std::string lastProbe;
};

TEST_F(GeneralTest, LogPathSearchEndsAtTheLastSixteenBitAttempt) {
    UnreachableFiles unreachable;
    General limited(unreachable, clock, processes);
    ScopedEnv env("TEMP", "/work-area");
    try {
        limited.GetLogPath();
        FAIL() << "the search did not end with an error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), errors::kOverflow);
        EXPECT_NE(e.description().find("Permission denied"), std::string::npos);
    }
    EXPECT_EQ(unreachable.probes, 32768);
    EXPECT_EQ(unreachable.lastProbe, "/work-area/virelo32767.log");
}

TEST_F(GeneralTest, WriteLogAppendsTimedLinesToAUserOnlyFile) {
    const std::string path = temp.file("virelo.log");
    general.WriteLog(path, "gethostbyname", "x");
    general.WriteLog(path, "ignored source", "second line");
    EXPECT_EQ(temp.read("virelo.log"), "3:04:05 PM : x\r\n3:04:05 PM : second line\r\n");

    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(GeneralTest, WriteLogNeverWritesThroughALink) {
    temp.write("victim.txt", "precious");
    std::filesystem::create_symlink(temp.file("victim.txt"), temp.file("virelo.log"));
    try {
        general.WriteLog(temp.file("virelo.log"), "WriteLog", "attack");
        FAIL() << "wrote through a symbolic link";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), errors::kPathFileAccess);
        EXPECT_NE(e.description().find("symbolic link"), std::string::npos);
    }
    EXPECT_EQ(temp.read("victim.txt"), "precious");

    // A FIFO under the log's name must not stall the window.
    ASSERT_EQ(mkfifo(temp.file("fifo.log").c_str(), 0600), 0);
    EXPECT_THROW(general.WriteLog(temp.file("fifo.log"), "WriteLog", "x"), Error);
    EXPECT_THROW(general.ReadTextFile(temp.file("fifo.log")), Error);
}

TEST_F(GeneralTest, WriteLogIntoAMissingDirectoryRaisesPathNotFound) {
    try {
        general.WriteLog(temp.file("missing/virelo.log"), "WriteLog", "x");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), errors::kPathNotFound);
        EXPECT_EQ(e.source(), "WriteLog");
    }
}

TEST_F(GeneralTest, ReadTextFilePutsCrLfBeforeEveryLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nb\r\n", "\r\na\r\nb"},
        {"a\r\nb", "\r\na\r\nb"},
        {"a\nb\n", "\r\na\r\nb"},
        {"a\rb", "\r\na\r\nb"},
        {"", ""},
        {"\r\n", "\r\n"},
        {"\r\n\r\nz", "\r\n\r\n\r\nz"},
    };
    for (const auto& [content, expected] : cases) {
        temp.write("in.log", content);
        EXPECT_EQ(general.ReadTextFile(temp.file("in.log")), expected)
            << testing::PrintToString(content);
    }
    try {
        general.ReadTextFile(temp.file("absent.log"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), errors::kFileNotFound);
    }
}

TEST_F(GeneralTest, DeleteLogFileRemovesAndToleratesAMissingFile) {
    temp.write("virelo.log", "x");
    general.DeleteLogFile(temp.file("virelo.log"));
    EXPECT_FALSE(std::filesystem::exists(temp.file("virelo.log")));
    EXPECT_NO_THROW(general.DeleteLogFile(temp.file("virelo.log")));
}

TEST_F(GeneralTest, RunAndWaitReportsAProgramThatCannotStart) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(general.RunAndWait("virelo-no-such-program-anywhere arg"), 0);
    EXPECT_EQ(general.LastDllError(), 2);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    temp.write("not-executable", "#!/bin/sh\n");
    EXPECT_EQ(general.RunAndWait(temp.file("not-executable")), 0);
    EXPECT_EQ(general.LastDllError(), 13);
    EXPECT_EQ(general.RunAndWait(""), 0);
}

TEST_F(GeneralTest, RunAndWaitReturnsOnlyAfterTheProgramHasEnded) {
    const std::string done = temp.file("done");
    EXPECT_EQ(general.RunAndWait("sh -c \"sleep 0.3; echo finished > '" + done + "'\""), 1);
    EXPECT_EQ(general.LastDllError(), 0);
    EXPECT_EQ(temp.read("done"), "finished\n");
}

TEST_F(GeneralTest, RunAndWaitHandsTheArgumentsOverAsTheyWereQuoted) {
    const std::string out = temp.file("argv");
    const std::string script = "for a; do printf '[%s]' \\\"$a\\\"; done > '" + out + "'";
    ASSERT_EQ(general.RunAndWait("sh -c \"" + script +
                                 "\" argv0 one \"two words\" \"\" q\\\"uote $HOME;rm `x` "),
              1);
    EXPECT_EQ(temp.read("argv"), "[one][two words][][q\"uote][$HOME;rm][`x`]");
}

}  // namespace
}  // namespace virelo::general
