#include <gtest/gtest.h>
#include <sys/stat.h>

#include "general/General.h"
#include "jdbc/JdbcUrl.h"
#include "platform/posix/SystemPlatform.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace virelo::jdbc {
namespace {

using Items = std::vector<std::string>;

const Items kInitial{"NEMBRIONSERVER=", "NBX_AUTOFREE=",  "TRACE=",
                     "TRACEFILE=",      "PROTOCOLTRACE=", "PROTOCOLTRACEFILE="};

struct UrlCase {
    UrlFields fields;
    const char* url;
};

class BuildJdbcUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(BuildJdbcUrlTest, JoinsTheFieldsAsDescribed) {
    EXPECT_EQ(BuildJDBCURL(GetParam().fields), GetParam().url);
}

Items WithServer() {
    Items items = kInitial;
    SetParameter(items, "NEMBRIONSERVER", "srv1");
    return items;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildJdbcUrlTest,
    ::testing::Values(UrlCase{{"jdbc:nembrion-sqli", "server1", "5000", "demo", WithServer()},
                              "jdbc:nembrion-sqli://server1:5000/demo:NEMBRIONSERVER=srv1;"},
                      UrlCase{{"jdbc:qb7", "", "", "demo", kInitial}, "jdbc:qb7:demo"},
                      UrlCase{{"jdbc:qb7", "", "5000", "", kInitial}, "jdbc:qb7:5000"},
                      UrlCase{{"jdbc:qb7", "", "", "", kInitial}, "jdbc:qb7"},
                      UrlCase{{"", "", "", "", {}}, ""}, UrlCase{{"p", "h", "", "", {}}, "p://h"},
                      UrlCase{{"p", "h", "", "db", {}}, "p://h:db"},
                      UrlCase{{"p", " h ", "x", "db", {"A=1", "B=", "junk", "C=x=y"}},
                              "p:// h :x/db:A=1;C=x=y;"}));

TEST(ParameterListTest, SplitsAtTheFirstEqualsSign) {
    EXPECT_EQ(SplitParameter("TRACE="), std::make_pair(std::string("TRACE"), std::string()));
    EXPECT_EQ(SplitParameter("A=b=c"), std::make_pair(std::string("A"), std::string("b=c")));
    EXPECT_EQ(SplitParameter("=v"), std::make_pair(std::string(), std::string("v")));
    EXPECT_EQ(SplitParameter("no equals"), std::make_pair(std::string(), std::string()));
}

TEST(ParameterListTest, SetReplacesOnlyTheExactNameAndPutsItOnTop) {
    Items items = kInitial;
    SetParameter(items, "TRACEFILE", "/tmp/t");
    SetParameter(items, "TRACE", "1");
    EXPECT_EQ(items, (Items{"TRACE=1", "TRACEFILE=/tmp/t", "NEMBRIONSERVER=", "NBX_AUTOFREE=",
                            "PROTOCOLTRACE=", "PROTOCOLTRACEFILE="}));
    SetParameter(items, "TRACE", "2");
    SetParameter(items, "TRACE", "");
    EXPECT_EQ(items.front(), "TRACE=") << "an empty value is stored too";
    EXPECT_EQ(std::count(items.begin(), items.end(), "TRACE="), 1);
    EXPECT_EQ(items.size(), kInitial.size());

    SetParameter(items, "", "ignored");
    EXPECT_EQ(items.size(), kInitial.size());
    SetParameter(items, "trace", "x");
    EXPECT_EQ(items.front(), "trace=x") << "names compare case-sensitively";
    EXPECT_EQ(items.size(), kInitial.size() + 1);

    // The last parameter set comes first in the URL.
    UrlFields fields{"p", "", "", "", {}};
    SetParameter(fields.parameters, "A", "1");
    SetParameter(fields.parameters, "B", "2");
    EXPECT_EQ(BuildJDBCURL(fields), "p:B=2;A=1;");
}

TEST(JavaCommandLineTest, QuotesOnlyTheUrlAndTheLogPath) {
    EXPECT_EQ(
        JdbcCommandLine("com.nembrion.jdbc.NbxDriver", "jdbc:nembrion-sqli://server1:5000/demo",
                        "/tmp/virelo.log", "informix", "secret"),
        "java VireloJDBC com.nembrion.jdbc.NbxDriver "
        "\"jdbc:nembrion-sqli://server1:5000/demo\" \"/tmp/virelo.log\" informix secret");
    EXPECT_EQ(JdbcCommandLine("d", "u", "/l", "", ""), "java VireloJDBC d \"u\" \"/l\"  ");
    EXPECT_EQ(JavaLaunchFailureText(2),
              "Could not spawn java.exe:  CreateProcess failed.\r\nCheck your PATH environment "
              "variable.\r\nError: 2");
}

// What the test class really receives: a stand-in "java" first on PATH writes its arguments.
class ReceivedArgumentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp.write("java",
                   "#!/bin/sh\n: > \"$VIRELO_ARGV\"\n"
                   "for a in \"$@\"; do printf '[%s]' \"$a\" >> \"$VIRELO_ARGV\"; done\n");
        ASSERT_EQ(chmod(temp.file("java").c_str(), 0700), 0);
    }
    std::string received(const std::string& commandLine) {
        EXPECT_EQ(general.RunAndWait(commandLine), 1);
        return temp.read("argv");
    }

    test::TempDir temp;
    test::ScopedEnv path{"PATH", temp.path() + ":/usr/bin:/bin"};
    test::ScopedEnv argvFile{"VIRELO_ARGV", temp.file("argv")};
    platform::posix::PosixFiles files;
    test::FixedClock clock;
    platform::posix::PosixProcesses processes;
    general::General general{files, clock, processes};
};

TEST_F(ReceivedArgumentsTest, TheChildSeesTheArgumentsAsTheCommandLineSplitsThem) {
    EXPECT_EQ(received(JdbcCommandLine("org.h2.Driver", "jdbc:h2:mem:x;A=b c", "/tmp/v 1.log", "sa",
                                       "pw")),
              "[VireloJDBC][org.h2.Driver][jdbc:h2:mem:x;A=b c][/tmp/v 1.log][sa][pw]");
    EXPECT_EQ(received(JdbcCommandLine("d", "u", "/l", "", "")), "[VireloJDBC][d][u][/l]")
        << "empty user and password: three arguments for the class";
    EXPECT_EQ(received(JdbcCommandLine("d", "u", "/l", "", "pw")), "[VireloJDBC][d][u][/l][pw]")
        << "an empty user makes the password the fourth";
    EXPECT_EQ(received(JdbcCommandLine("d", "u", "/l", "john smith", "p w")),
              "[VireloJDBC][d][u][/l][john][smith][p][w]");
    EXPECT_EQ(received(JdbcCommandLine("d", "a\"b", "/l", "u", "p")), "[VireloJDBC][d][ab /l u p]")
        << "a quote in the URL breaks the quoting";
    EXPECT_EQ(received(JdbcCommandLine("", "", "/l", "u", "p")), "[VireloJDBC][][/l][u][p]")
        << "an empty driver class vanishes between blanks; the empty quoted URL stays";
}

}  // namespace
}  // namespace virelo::jdbc
