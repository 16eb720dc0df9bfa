#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "general/General.h"
#include "platform/CommandLine.h"
#include "platform/posix/SystemPlatform.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace virelo::general {
namespace {

using test::ScopedEnv;
namespace fs = std::filesystem;

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The error a call raises, or number -1 when it raised none.
template <typename Call>
Error RaisedBy(Call call) {
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    return Error(-1, "", "no error");
}

class GeneralTest : public ::testing::Test {
protected:
    test::TempDir temp;
    ScopedEnv tempEnv{"TEMP", temp.path()};
    platform::posix::PosixFiles files;
    test::FixedClock clock;
    platform::posix::PosixProcesses processes;
    General general{files, clock, processes};
};

TEST_F(GeneralTest, LogPathReservesTheFirstFreeNameAndWriteLogAppendsTimedLines) {
    const std::string first = general.GetLogPath();
    EXPECT_EQ(first, temp.file("virelo.log"));
    EXPECT_EQ(ModeOf(first), 0600u) << "the name is taken when it is chosen";
    EXPECT_EQ(general.GetLogPath(), temp.file("virelo1.log"));
    general.WriteLog(first, "gethostbyname", "x");
    general.WriteLog(first, "ignored source", "second line");
    EXPECT_EQ(temp.read("virelo.log"), "3:04:05 PM : x\r\n3:04:05 PM : second line\r\n");

    // A second program (its own files object) never gets a name this one reserved.
    platform::posix::PosixFiles otherFiles;
    General other(otherFiles, clock, processes);
    EXPECT_EQ(other.GetLogPath(), temp.file("virelo2.log"));
    EXPECT_THROW(other.WriteLog(first, "WriteLog", "intruder"), Error);
    EXPECT_THROW(other.DeleteLogFile(first), Error);
    EXPECT_TRUE(fs::exists(first));

    general.DeleteLogFile(first);
    EXPECT_EQ(general.GetLogPath(), first) << "a gap is taken";

    // A link, even one pointing nowhere, is a name in use: a log never goes through it.
    general.DeleteLogFile(first);
    fs::create_symlink(temp.file("nowhere"), first);
    EXPECT_EQ(general.GetLogPath(), temp.file("virelo3.log"));
    EXPECT_FALSE(fs::exists(temp.file("nowhere")));

    // A name never reserved is created on the first line, exclusively and user-only.
    general.WriteLog(temp.file("fresh.log"), "WriteLog", "y");
    EXPECT_EQ(temp.read("fresh.log"), "3:04:05 PM : y\r\n");
    EXPECT_EQ(ModeOf(temp.file("fresh.log")), 0600u);
    const Error e =
        RaisedBy([&] { general.WriteLog(temp.file("missing/v.log"), "WriteLog", "x"); });
    EXPECT_EQ(e.number(), errors::kPathNotFound);
    EXPECT_EQ(e.source(), "WriteLog");

    // A log this run reserved and could not write a line to is removed, whoever writes it; one
    // that holds lines stays. Where lines may be dropped, the first failure is kept, not raised.
    const std::string written = general.GetLogPath(), empty = general.GetLogPath(),
                      unused = general.GetLogPath();
    general.WriteLog(written, "WriteLog", "x");
    {
        test::FullDisk full;
        EXPECT_EQ(RaisedBy([&] { general.WriteLog(empty, "WriteLog", "x"); }).number(),
                  errors::kPathFileAccess);
        general.DropUnwritableLines(true);
        general.WriteLog(written, "WriteLog", "z");  // dropped, not raised
        general.DropUnwritableLines(false);
    }
    EXPECT_EQ(general.LogFailure().value_or(Error(0, "", "none")).description(),
              "Path/File access error (" + written + ": File too large)");
    EXPECT_EQ(general.ReadTextFile(written), "\r\n3:04:05 PM : x");
    // A run that wrote nothing at all (a program that could not start) gives its name back.
    general.DiscardUnwrittenLog(unused);
    general.DiscardUnwrittenLog(written);
    EXPECT_TRUE(!fs::exists(empty) && !fs::exists(unused) && fs::exists(written));
}

// Files whose every name is taken, or whose directory refuses new files.
class RefusingFiles : public platform::posix::PosixFiles {
public:
    platform::FileStatus reserve(const std::string& path) override {
        ++attempts;
        lastName = path;
        return {answer, path + ": refused"};
    }
    platform::FileError answer = platform::FileError::Exists;
    int attempts = 0;
    std::string lastName;
};

// Where the log goes without TEMP, and how the search for a name ends when none can be had.
TEST_F(GeneralTest, LogDirectoryWithoutTempAndASearchThatAlwaysEnds) {
    temp.write("plain-file", "x");
    ASSERT_EQ(mkfifo(temp.file("fifo").c_str(), 0600), 0);
    const std::pair<std::string, std::string> unusable[] = {
        {temp.file("missing"), " does not exist)"},
        {temp.file("plain-file"), " is not a directory but a regular file)"},
        {temp.file("fifo"), " is not a directory but a FIFO)"}};
    for (const auto& [dir, why] : unusable) {
        ScopedEnv env("TEMP", dir);
        EXPECT_EQ(ErrorLine(RaisedBy([&] { general.GetLogPath(); })),
                  "Error Number: 76 Error Source: GetLogPath Error Description: Path not found: "
                  "the TEMP directory " +
                      dir + " cannot hold log files (" + dir + why);
    }

    ScopedEnv env("TEMP", "/work-area");
    RefusingFiles full;
    General limited(full, clock, processes);
    EXPECT_EQ(RaisedBy([&] { limited.GetLogPath(); }).number(), errors::kOverflow);
    EXPECT_EQ(full.attempts, 32768);
    EXPECT_EQ(full.lastName, "/work-area/virelo32767.log");

    RefusingFiles denied;
    denied.answer = platform::FileError::AccessDenied;
    General stopped(denied, clock, processes);
    const Error e = RaisedBy([&] { stopped.GetLogPath(); });
    EXPECT_EQ(e.number(), errors::kPathFileAccess);
    EXPECT_NE(e.description().find("refused"), std::string::npos) << e.description();
    EXPECT_EQ(denied.attempts, 1) << "a directory that refuses one name refuses them all";

    // Without TEMP the log goes to TMPDIR, or else to a private directory.
    ScopedEnv noTemp("TEMP", std::nullopt);
    {
        ScopedEnv tmpdir("TMPDIR", temp.path());
        EXPECT_EQ(general.GetLogPath(), temp.file("virelo.log"));
    }
    ScopedEnv noTmpdir("TMPDIR", std::nullopt), emptyTemp("TEMP", std::string());
    platform::posix::PosixFiles shared(temp.path());
    General onShared(shared, clock, processes);
    const std::string own = temp.file("virelo-" + std::to_string(geteuid()));
    EXPECT_EQ(onShared.GetLogPath(), own + "/virelo.log");
    EXPECT_EQ(ModeOf(own), 0700u);

    // Another user's directory, one others may enter, or a link under that name is refused.
    chmod(own.c_str(), 0755);
    EXPECT_EQ(RaisedBy([&] { onShared.GetLogPath(); }).number(), errors::kPathFileAccess);
    fs::remove_all(own);
    fs::create_directory(temp.file("elsewhere"));
    chmod(temp.file("elsewhere").c_str(), 0700);
    fs::create_directory_symlink(temp.file("elsewhere"), own);
    const Error refused = RaisedBy([&] { onShared.GetLogPath(); });
    EXPECT_EQ(refused.number(), errors::kPathFileAccess);
    EXPECT_NE(refused.description().find(own + ": is a symbolic link to " + temp.file("elsewhere")),
              std::string::npos)
        << refused.description();
    EXPECT_TRUE(fs::is_empty(temp.file("elsewhere")));
}

// Our own log is read with CR LF before every line. What someone else may have put under a
// reserved name between two steps of a run: another file, a link to a victim, a FIFO. Each is
// refused at once and left alone.
TEST_F(GeneralTest, ReadTextFileReadsOurLogAndRefusesForeignFilesAtOnce) {
    const std::string ours = general.GetLogPath();
    const std::pair<std::string, std::string> cases[] = {{"a\r\nb\r\n", "\r\na\r\nb"},
                                                         {"a\r\nb", "\r\na\r\nb"},
                                                         {"a\nb\n", "\r\na\r\nb"},
                                                         {"a\rb", "\r\na\r\nb"},
                                                         {"", ""},
                                                         {"\r\n", "\r\n"},
                                                         {"\r\n\r\nz", "\r\n\r\n\r\nz"}};
    for (const auto& [content, expected] : cases) {
        std::ofstream(ours, std::ios::binary | std::ios::trunc) << content;  // same file
        EXPECT_EQ(general.ReadTextFile(ours), expected) << testing::PrintToString(content);
    }
    general.DeleteLogFile(ours);
    EXPECT_NO_THROW(general.DeleteLogFile(ours)) << "a file already gone is no error";
    EXPECT_EQ(RaisedBy([&] { general.ReadTextFile(ours); }).number(), errors::kFileNotFound);
    EXPECT_EQ(RaisedBy([&] { general.ReadTextFile(""); }).number(), errors::kFileNotFound);

    temp.write("victim.txt", "precious");
    for (int planted = 0; planted < 3; ++planted) {
        const std::string path = general.GetLogPath();
        general.WriteLog(path, "WriteLog", "ours");
        fs::remove(path);
        if (planted == 0) {
            std::ofstream(path) << "12:00:00 PM : attacker's line\r\n";
        } else if (planted == 1) {
            fs::create_symlink(temp.file("victim.txt"), path);
        } else {
            ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
        }
        SCOPED_TRACE(planted);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(RaisedBy([&] { general.WriteLog(path, "WriteLog", "x"); }).number(),
                  errors::kPathFileAccess);
        EXPECT_EQ(RaisedBy([&] { general.ReadTextFile(path); }).number(), errors::kPathFileAccess);
        EXPECT_EQ(RaisedBy([&] { general.DeleteLogFile(path); }).number(), errors::kPathFileAccess);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_TRUE(fs::exists(fs::symlink_status(path))) << "not deleted";
        fs::remove(path);
    }
    EXPECT_EQ(temp.read("victim.txt"), "precious");

    // A file that was there before this run is not taken over by a first WriteLog either.
    temp.write("existing.log", "theirs\n");
    EXPECT_THROW(general.WriteLog(temp.file("existing.log"), "WriteLog", "x"), Error);
    EXPECT_THROW(general.ReadTextFile(temp.file("existing.log")), Error);
    EXPECT_EQ(temp.read("existing.log"), "theirs\n");
}

TEST_F(GeneralTest, RunAndWaitSplitsAndCountsArgumentsWaitsAndReportsAProgramThatCannotStart) {
    const std::string out = temp.file("argv");
    const std::string script = "sleep 0.3; for a; do printf '[%s]' \\\"$a\\\"; done > '" + out +
                               "'; printf '%s|%s' \\\"$VIRELO_X\\\" \\\"$HOME\\\" >> '" + out + "'";
    ScopedEnv home("HOME", "/inherited"), x("VIRELO_X", "old");
    ASSERT_EQ(general.RunAndWait(
                  "sh -c \"" + script + "\" argv0 one \"two words\" \"\" q\\\"uote $HOME;rm `x` ",
                  {{"VIRELO_X", "new value"}}),
              1);
    EXPECT_EQ(general.LastDllError(), 0);
    EXPECT_EQ(temp.read("argv"), "[one][two words][][q\"uote][$HOME;rm][`x`]new value|/inherited");

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(general.RunAndWait("virelo-no-such-program-anywhere arg"), 0);
    EXPECT_EQ(general.LastDllError(), 2);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    temp.write("not-executable", "#!/bin/sh\n");
    EXPECT_EQ(general.RunAndWait(temp.file("not-executable")), 0);
    EXPECT_EQ(general.LastDllError(), 13);
    EXPECT_EQ(general.RunAndWait(""), 0);

    // The rules of the command line that the arguments above and those of the JDBC test class do
    // not show already: blanks and tabs, doubled quotes, backslashes, and the program name.
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"   \t ", {}},
        {"  a\tb  c", {"a", "b", "c"}},
        {"a \"x\"\"y\"", {"a", "x\"y"}},
        {"a \\\\\"b c\"", {"a", "\\b c"}},
        {"a \\\\\\\"b", {"a", "\\\"b"}},
        {"a b\\c d\\\\", {"a", "b\\c", "d\\\\"}},
        {"\"C:\\Program Files\\x.exe\" y", {"C:\\Program Files\\x.exe", "y"}},
        {"pro\\\"g arg", {"pro\\g arg"}}};
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(platform::SplitCommandLine(line), expected) << line;
    }
    // An argument lies before an offset when it ends there or earlier; what quotes and empty
    // arguments do to the count, the JDBC test class's arguments show.
    const std::string java = "java C d \"u\" \"/l\" user secret";
    EXPECT_EQ(platform::ArgumentsEndingBefore(java, java.find("secret")), 6u);
    EXPECT_EQ(platform::ArgumentsEndingBefore(java, java.size()), 7u);
}

}  // namespace
}  // namespace virelo::general
