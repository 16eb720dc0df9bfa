// The log files and the process launcher over the file and process calls of Windows, and
// virelo-check.exe as a whole program: its JSON report, and a diagnosis of a server that the
// registry's server directory names.
#include "WindowsSupport.h"

#include "platform/CoreDumps.h"

#include <fstream>
#include <nlohmann/json.hpp>

namespace virelo::test {
namespace {

namespace fs = std::filesystem;

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
        const Ran ran = RunCaptured("\"" + files.programDirectory() +
                                    "\\virelo-check.exe\" --json " + arguments);
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
    Listener listener;
};

TEST_F(CheckExeTest, HostServiceAndNativeChecksAsJson) {
    nlohmann::json doc = check("host localhost", 0);
    EXPECT_EQ(Layers(doc), "resolve+ echo+ ");
    doc = check("service http", 0);
    EXPECT_EQ(doc["checks"][0]["message"], "service http is port 80/tcp");
    check("service no-such-service", 12);
    doc = check("native srv --host 127.0.0.1 --protocol kasoctcp --service " +
                    std::to_string(listener.port()),
                0);
    EXPECT_EQ(doc["checks"][0]["code"], 0);
    EXPECT_EQ(doc["checks"][0]["state"], "01V01");
    EXPECT_TRUE(fs::is_empty(fs::u8path(temp.path()))) << "every check deletes its log file";
}

TEST_F(CheckExeTest, DiagnoseWalksTheLayersOfAServerOfTheRegistry) {
    VIRELO_REQUIRE_PRIVATE_PREFIX();
    const std::string key = "HKLM\\SOFTWARE\\Nembrion\\SQLHOSTS\\winsrv";
    RegDelete(key);
    ASSERT_TRUE(RegAdd(key, "HOST", "REG_SZ", "localhost"));
    ASSERT_TRUE(RegAdd(key, "SERVICE", "REG_SZ", std::to_string(listener.port())));
    ASSERT_TRUE(RegAdd(key, "PROTOCOL", "REG_SZ", "kasoctcp"));
    EXPECT_EQ(Layers(check("diagnose winsrv", 0)), "resolve+ echo+ listener+ ");
    listener.close();
    EXPECT_EQ(Layers(check("diagnose winsrv", 13)), "resolve+ echo+ listener- ");
    ASSERT_TRUE(RegAdd(key, "SERVICE", "REG_SZ", "no-such-service"));
    EXPECT_EQ(Layers(check("diagnose winsrv", 12)), "resolve+ echo+ service- ");
    EXPECT_EQ(Layers(check("diagnose no-such-server", 16)), "directory- ");
    RegDelete(key);
}

}  // namespace
}  // namespace virelo::test
