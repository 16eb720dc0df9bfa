// The support report's module: the header against this machine's own facts (private ODBC ini
// files, a private registry view), the log of a run read only while it is the run's own file,
// and the text rules every report follows.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "general/General.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/posix/registry/PosixRegistry.h"
#include "report/OdbcFacts.h"
#include "report/Report.h"
#include "report/ReportText.h"
#include "support/Fakes.h"
#include "support/IsolatedResolver.h"
#include "support/OdbcIni.h"

namespace virelo::report {
namespace {

namespace fs = std::filesystem;
using testing::AllOf;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;
using Variables = std::vector<std::pair<std::string, std::string>>;

std::string FirstLine(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// What a shell makes of /etc/os-release, independently of the report's own reading.
std::string ShellPrettyName() {
    FILE* shell = popen(". /etc/os-release && printf %s \"$PRETTY_NAME\"", "r");
    char buffer[256] = {};
    const std::size_t n = fread(buffer, 1, sizeof buffer - 1, shell);
    pclose(shell);
    return std::string(buffer, n);
}

fs::path OnPath(const std::string& program) {
    std::string path = std::getenv("PATH");
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        const fs::path candidate = fs::path(path.substr(start, end - start)) / program;
        if (fs::exists(candidate)) {
            return fs::canonical(candidate);
        }
        start = end + 1;
    }
    return {};
}

class ReportTest : public testing::Test {
protected:
    test::TempDir temp;
    platform::posix::PosixFiles files;
    platform::posix::PosixProcesses processes;
    test::FixedClock clock;
    general::General general{files, clock, processes};
};

TEST_F(ReportTest, HeaderHoldsThisMachinesFacts) {
    const test::TempDir& odbc = test::OdbcProcessConfig::Isolate();
    odbc.write("odbcinst.ini", std::string("[Lite]\nDriver=") +
                                   fs::path(test::kSqliteDriver).filename().string() +
                                   "\n[Pg]\nDriver=" + test::kPostgresDriver +
                                   "\n[Gone]\nDriver=/no/such/libgone.so.1.2\n");
    test::ScopedEnv tempDir("TEMP", temp.path()), tmpdir("TMPDIR", std::nullopt);
    test::ScopedEnv classPath("CLASSPATH", "/usr/share/java/h2.jar::lib/classes/");
    odbc.write("odbc.ini", std::string("[rep]\nDriver=") + test::kSqliteDriver + "\n");
    odbc.write("user-odbc.ini", "");
    temp.write("a.reg",
               "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Nembrion\\SQLHOSTS\\ol_one]\n\"HOST\"=\"h1\"\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Nembrion\\SQLHOSTS\\ol_two]\n"
               "no value line\n");
    temp.write("sqlhosts", "ol_three kasoctcp h3 9088\nshort line\n");
    test::ScopedEnv secret("VIRELO_PASSWORD", "Hdr-S3cret-99");
    test::ScopedEnv reg("VIRELO_REGISTRY", temp.file("a.reg")),
        hosts("VIRELO_SQLHOSTS", temp.file("sqlhosts"));
    platform::posix::PosixRegistry registry({temp.path()}, [](const std::string&) {});
    const Header header = GatherHeader({files, processes, &registry, "virelo 2.81", "", true});

    EXPECT_EQ(header.hostName + " " + header.qualifiedName, "test-ws test-ws");
    EXPECT_EQ(header.operatingSystem, ShellPrettyName());
    EXPECT_EQ(header.kernelRelease, FirstLine("/proc/sys/kernel/osrelease"));
    std::smatch at;
    ASSERT_TRUE(
        std::regex_match(header.created, at,
                         std::regex(R"((\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)[+-]\d\d:\d\d)")))
        << header.created;
    EXPECT_EQ(header.fileStamp,
              at.str(1) + at.str(2) + at.str(3) + "-" + at.str(4) + at.str(5) + at.str(6));

    EXPECT_EQ(header.odbc.name, "unixODBC");
    EXPECT_THAT(header.odbc.version, StartsWith("03.52."));
    EXPECT_EQ(header.odbc.library, fs::canonical("/usr/lib/x86_64-linux-gnu/libodbc.so.2"));
    const std::string lite = fs::canonical(test::kSqliteDriver);
    std::vector<std::string> drivers;
    for (const DriverFacts& driver : header.odbc.drivers) {
        drivers.push_back(driver.name + "|" + driver.library + "|" + driver.path + "|" +
                          driver.version);
    }
    EXPECT_THAT(drivers, ElementsAre("Lite|libsqlite3odbc.so|" + lite + "|0.9998",
                                     std::string("Pg|") + test::kPostgresDriver + "|" +
                                         test::kPostgresDriver + "|",
                                     "Gone|/no/such/libgone.so.1.2||"));

    std::vector<std::string> sources;
    for (const platform::RegistrySource& source : header.registry) {
        sources.push_back(source.role + "|" + source.path + "|" + source.state + "|" +
                          std::to_string(source.servers) + "|" +
                          std::to_string(source.dataSources));
        for (const std::string& warning : source.warnings) {
            sources.back() += "|" + warning.substr(0, warning.find(": ") + 1);
        }
    }
    EXPECT_THAT(
        sources,
        ElementsAre(
            "registry export|" + temp.file("a.reg") + "|read|2|-1|" + temp.file("a.reg") + ":6:",
            "server directory|" + temp.file("sqlhosts") + "|read|1|-1|" + temp.file("sqlhosts") +
                ":2:",
            "ODBC system data sources|" + odbc.file("odbc.ini") + "|there|-1|1",
            "ODBC drivers|" + odbc.file("odbcinst.ini") + "|there|-1|-1",
            "ODBC user data sources|" + odbc.file("user-odbc.ini") + "|there|-1|0"));
    ASSERT_TRUE(header.java.has_value());
    EXPECT_THAT(*header.java, AllOf(Contains(HasSubstr(" version \"")),
                                    Contains("java.home = " +
                                             OnPath("java").parent_path().parent_path().string())));
    EXPECT_THAT(header.variables,
                AllOf(Contains(std::pair<std::string, std::string>("TEMP", temp.path())),
                      Contains(std::pair<std::string, std::string>("TMPDIR", "(not set)")),
                      Contains(std::pair<std::string, std::string>(
                          "CLASSPATH", "h2.jar, (current directory), classes")),
                      Contains(std::pair<std::string, std::string>("VIRELO_PASSWORD", "(given)")),
                      Contains(std::pair<std::string, std::string>("VIRELO_SQLHOSTS",
                                                                   temp.file("sqlhosts")))));

    const std::string text = ComposeReport(header, {}, files, {});
    EXPECT_THAT(text, AllOf(HasSubstr("\nHost name           test-ws\n"),
                            HasSubstr("\nGone                /no/such/libgone.so.1.2, library not "
                                      "found\n"),
                            HasSubstr("\nserver directory    " + temp.file("sqlhosts") +
                                      ": read, 1 server\n                    " +
                                      temp.file("sqlhosts") + ":2: "),
                            Not(HasSubstr("Hdr-S3cret-99"))));
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LT(line.size(), 100u) << line;
    }
}

// A driver name too long for the SQLSMALLINT of its length comes back with a negative length.
TEST_F(ReportTest, DriverNameTooLongForItsLengthIsCut) {
    const test::TempDir& odbc = test::OdbcProcessConfig::Isolate();
    odbc.write("odbcinst.ini", "[" + std::string(40000, 'L') + "]\nDriver=libl.so\n");
    const OdbcFacts facts = ReadOdbcFacts();
    ASSERT_EQ(facts.drivers.size(), 1u);
    EXPECT_EQ(facts.drivers[0].name, std::string(511, 'L'));
}

// Java is run with a time limit, and a Java that cannot be run is said to be so.
TEST_F(ReportTest, JavaFactsSayWhenJavaIsMissingOrDoesNotEnd) {
    // A Java that is not stopped would write its trace after the time limit.
    temp.write("java", "#!/bin/sh\necho 'openjdk version \"99\"' >&2\n/bin/sleep 3\n: >$0.on\n");
    chmod(temp.file("java").c_str(), 0755);
    {
        test::ScopedEnv path("PATH", temp.path());
        EXPECT_THAT(JavaFacts(processes, std::chrono::milliseconds(300)),
                    ElementsAre("openjdk version \"99\"",
                                "(java had not ended after 300 ms and was stopped)"));
    }
    EXPECT_FALSE(fs::exists(temp.file("java.on")));
    test::ScopedEnv path("PATH", temp.file("nowhere"));
    EXPECT_THAT(JavaFacts(processes),
                ElementsAre("java could not be started: No such file or directory"));
}

// A run's log is read only while it is the very file the run created, and at most in part.
TEST_F(ReportTest, RunLogReadsOnlyTheFileTheRunCreated) {
    test::ScopedEnv tempDir("TEMP", temp.path());
    const std::string path = general.GetLogPath();
    for (int i = 0; i < 20000; ++i) {
        general.WriteLog(path, "", "line " + std::to_string(i));
    }
    const std::string log = RunLog(files, path);
    EXPECT_THAT(log, AllOf(StartsWith("3:04:05 PM : line 0\n"), HasSubstr(" : line 19999\n"),
                           HasSubstr("cut here: the report keeps the first and the last 128 "
                                     "KiB ...]\n"),
                           Not(HasSubstr(" : line 10000\n"))));
    EXPECT_LE(log.size(), kTextLimit + 100);

    fs::remove(path);
    EXPECT_THAT(RunLog(files, path), StartsWith("(the file is not there any more"));
    std::ofstream(path) << "planted by someone else\n";
    EXPECT_EQ(RunLog(files, path),
              "(not read: " + path +
                  ": is not the log file this run created (another file has taken its name))\n");
}

// Plain UTF-8 with new-line line ends, aligned fields and underlined titles; every password
// masked, also where no keyword shows it.
TEST_F(ReportTest, ReportTextIsPlainAndMasked) {
    EXPECT_EQ(PlainText("a\r\nb\rc\td\x1b[0m\x7f \xC3\xA9 \xC0\xAF \xED\xA0\x80 \xF0\x9F\x98\x80"),
              "a\nb\nc\td^[[0m^? \xC3\xA9 \xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD"
              "\xEF\xBF\xBD \xF0\x9F\x98\x80");
    EXPECT_EQ(Title("Pâne", '-'), "Pâne\n----\n");
    EXPECT_EQ(Field("Host", "a  \nb"), "Host                a\n                    b\n");
    EXPECT_EQ(Field("A label of twenty-two", "x"), "A label of twenty-two  x\n");
    const std::string words(70, 'w');
    EXPECT_EQ(Field("Long", words + " " + words + " " + words + std::string(30, 'x')),
              "Long                " + words + "\n" + std::string(20, ' ') + words + "\n" +
                  std::string(20, ' ') + words + std::string(30, 'x') + "\n");

    TabRun run{"ODBC",
               {{"Password", "(given)"}},
               "Message pane",
               "SQLConnect PWD=Pw-Run-123\r\n"
               "echoed: Pw-Run-123\r\n",
               ""};
    const std::string text = FormatRun(run, files);
    EXPECT_EQ(MaskEveryPassword(text, {"", "Pw-Run-123"}),
              "ODBC\n====\nPassword            (given)\n\nMessage pane\n------------\n"
              "SQLConnect PWD=########\nechoed: ########\n");
}

}  // namespace
}  // namespace virelo::report

int main(int argc, char** argv) {
    virelo::test::RequireIsolatedResolver(argv);
    virelo::test::OdbcProcessConfig::Isolate();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
