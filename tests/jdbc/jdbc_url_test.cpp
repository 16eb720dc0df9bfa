#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "general/General.h"
#include "jdbc/JdbcLaunch.h"
#include "jdbc/JdbcUrl.h"
#include "platform/posix/SystemPlatform.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace virelo::jdbc {
namespace {

using Items = std::vector<std::string>;

const Items kInitial{"NEMBRIONSERVER=", "NBX_AUTOFREE=",  "TRACE=",
                     "TRACEFILE=",      "PROTOCOLTRACE=", "PROTOCOLTRACEFILE="};

TEST(BuildJdbcUrlTest, JoinsTheFieldsAsDescribed) {
    Items withServer = kInitial;
    SetParameter(withServer, "NEMBRIONSERVER", "srv1");
    const std::pair<UrlFields, const char*> cases[] = {
        {{"jdbc:nembrion-sqli", "server1", "5000", "demo", withServer},
         "jdbc:nembrion-sqli://server1:5000/demo:NEMBRIONSERVER=srv1;"},
        {{"jdbc:qb7", "", "", "demo", kInitial}, "jdbc:qb7:demo"},
        {{"jdbc:qb7", "", "5000", "", kInitial}, "jdbc:qb7:5000"},
        {{"jdbc:qb7", "", "", "", kInitial}, "jdbc:qb7"},
        {{"", "", "", "", {}}, ""},
        {{"p", "h", "", "", {}}, "p://h"},
        {{"p", "h", "", "db", {}}, "p://h:db"},
        {{"p", " h ", "x", "db", {"A=1", "B=", "junk", "C=x=y"}}, "p:// h :x/db:A=1;C=x=y;"},
    };
    for (const auto& [fields, url] : cases) {
        EXPECT_EQ(BuildJDBCURL(fields), url);
    }
}

// A parameter splits at its first equals sign; setting one replaces only the exact name and puts
// it on top, so the last parameter set comes first in the URL.
TEST(ParameterListTest, SetReplacesOnlyTheExactNameAndPutsItOnTop) {
    const std::tuple<const char*, const char*, const char*> splits[] = {
        {"TRACE=", "TRACE", ""}, {"A=b=c", "A", "b=c"}, {"=v", "", "v"}, {"no equals", "", ""}};
    for (const auto& [item, name, value] : splits) {
        EXPECT_EQ(SplitParameter(item), std::make_pair(std::string(name), std::string(value)));
    }
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

// What the test class really receives: a stand-in "java" first on PATH writes its arguments and
// the environment the program set for it.
class ReceivedArgumentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp.write("java",
                   "#!/bin/sh\n: > \"$OUT\"\n"
                   "for a in \"$@\"; do printf '[%s]' \"$a\" >> \"$OUT\"; done\n"
                   "printf ' plain=%s log=%s id=%s cp=%s' \"$VIRELO_JDBC_PLAIN_ARGS\" "
                   "\"$VIRELO_LOG_FILE\" \"$VIRELO_LOG_IDENTITY\" \"$CLASSPATH\" >> \"$OUT\"\n");
        ASSERT_EQ(chmod(temp.file("java").c_str(), 0700), 0);
    }
    std::string received(const JdbcInputs& inputs, const std::string& log = "/l") {
        const JdbcLaunch launch = PrepareJdbcLaunch(inputs, log, "1:2", "/cp");
        EXPECT_EQ(general.RunAndWait(launch.commandLine, launch.environment), 1);
        return temp.read("argv");
    }

    test::TempDir temp;
    test::ScopedEnv path{"PATH", temp.path() + ":/usr/bin:/bin"};
    test::ScopedEnv out{"OUT", temp.file("argv")};
    platform::posix::PosixFiles files;
    test::FixedClock clock;
    platform::posix::PosixProcesses processes;
    general::General general{files, clock, processes};
};

// Each shape of the command line, and how many of the class's arguments are free of the
// password: the class writes none of the others.
TEST_F(ReceivedArgumentsTest, TheClassIsToldWhichArgumentsMayHoldThePassword) {
    const std::pair<JdbcInputs, const char*> shapes[] = {
        {{"org.h2.Driver", "jdbc:h2:mem:x;A=b c", "sa", "pw"},
         "[VireloJDBC][org.h2.Driver][jdbc:h2:mem:x;A=b c][/l][sa][pw] plain=4"},
        {{"d", "u", "", ""}, "[VireloJDBC][d][u][/l] plain=3"},
        {{"d", "u", "", "pw"}, "[VireloJDBC][d][u][/l][pw] plain=3"},
        {{"d", "u", "sa", ""}, "[VireloJDBC][d][u][/l][sa] plain=4"},
        {{"d", "u", "john smith", "p w"}, "[VireloJDBC][d][u][/l][john][smith][p][w] plain=5"},
        {{"d", "u", "a\"b", "pw"}, "[VireloJDBC][d][u][/l][ab pw] plain=3"},
        {{"d", "a\"b", "u", "p"}, "[VireloJDBC][d][ab /l u p] plain=1"},
        {{"", "", "u", "p"}, "[VireloJDBC][][/l][u][p] plain=3"},
        {{"", "not-jdbc", "sa", "pw"}, "[VireloJDBC][not-jdbc][/l][sa][pw] plain=3"},
    };
    for (const auto& [inputs, expected] : shapes) {
        EXPECT_EQ(received(inputs), std::string(expected) + " log=/l id=1:2 cp=/cp");
    }
    // A double quote in the TEMP directory breaks the log path apart.
    EXPECT_EQ(
        received({"d", "u", "sa", "pw"}, "/t\"q/virelo.log"),
        "[VireloJDBC][d][u][/tq/virelo.log sa pw] plain=2 log=/t\"q/virelo.log id=1:2 cp=/cp");
}

// The program installed in /opt/virelo/bin, whose jar lies in the data directory beside it, or
// run from the build tree, or with no jar that can be trusted.
class PlacedFiles : public platform::posix::PosixFiles {
public:
    std::string programDirectory() override { return "/opt/virelo/bin"; }
    bool isTrustedFile(const std::string& path) override { return path == trusted; }
    std::string trusted;
};

TEST(ChildClassPathTest, TheProgramsOwnTestClassComesFirst) {
    PlacedFiles files;
    for (const bool installed : {true, false}) {
        // Installed, the jar lies in the data directory beside the program's directory.
        files.trusted = installed ? "/opt/virelo/bin/../share/virelo/VireloJDBC.jar"
                                  : VIRELO_BUILD_TREE_JAR;
        {
            test::ScopedEnv unset("CLASSPATH", std::nullopt);
            EXPECT_EQ(ChildClassPath(files), files.trusted);
        }
        test::ScopedEnv user("CLASSPATH", "/usr/share/java/h2.jar");
        EXPECT_EQ(ChildClassPath(files), files.trusted + ":/usr/share/java/h2.jar");
        EXPECT_EQ(std::filesystem::path(files.trusted).lexically_normal(),
                  installed ? "/opt/virelo/share/virelo/VireloJDBC.jar" : VIRELO_BUILD_TREE_JAR);
    }
    // Without a trusted jar the user's path stays, and an empty one never means "here".
    files.trusted.clear();
    test::ScopedEnv user("CLASSPATH", "/x.jar");
    EXPECT_EQ(ChildClassPath(files), "/x.jar");
    test::ScopedEnv empty("CLASSPATH", "");
    EXPECT_EQ(ChildClassPath(files), "/opt/virelo/bin");
}

TEST(ChildClassPathTest, OnlyFilesNobodyElseMayChangeAreTrusted) {
    test::TempDir temp;
    platform::posix::PosixFiles files;
    temp.write("own.jar", "x");
    chmod(temp.file("own.jar").c_str(), 0644);
    EXPECT_TRUE(files.isTrustedFile(temp.file("own.jar")));
    chmod(temp.file("own.jar").c_str(), 0664);
    EXPECT_FALSE(files.isTrustedFile(temp.file("own.jar"))) << "group may write it";
    EXPECT_FALSE(files.isTrustedFile(temp.path())) << "a directory";
    EXPECT_FALSE(files.isTrustedFile(temp.file("missing.jar")));
    if (geteuid() == 0) {
        temp.write("theirs.jar", "x");
        chmod(temp.file("theirs.jar").c_str(), 0644);
        ASSERT_EQ(chown(temp.file("theirs.jar").c_str(), 65534, 65534), 0);
        EXPECT_FALSE(files.isTrustedFile(temp.file("theirs.jar"))) << "another user's file";
    }
}

}  // namespace
}  // namespace virelo::jdbc
