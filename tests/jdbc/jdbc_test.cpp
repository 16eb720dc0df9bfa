// The JDBC URL, the parameter list, the test class's command line, environment and class path,
// and the Java test class itself, run as the JDBC ping starts it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "general/General.h"
#include "jdbc/JdbcLaunch.h"
#include "jdbc/JdbcUrl.h"
#include "jdbc/QuickStart.h"
#include "platform/posix/SystemPlatform.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace virelo::jdbc {
namespace {

namespace fs = std::filesystem;
using Items = std::vector<std::string>;

const Items kInitial{"NEMBRIONSERVER=", "NBX_AUTOFREE=",  "TRACE=",
                     "TRACEFILE=",      "PROTOCOLTRACE=", "PROTOCOLTRACEFILE="};

TEST(JdbcUrlTest, JoinsTheFieldsAndSetsParametersOnTop) {
    const std::pair<UrlFields, const char*> cases[] = {
        {{"jdbc:qb7", "", "", "demo", kInitial}, "jdbc:qb7:demo"},
        {{"jdbc:qb7", "", "5000", "", kInitial}, "jdbc:qb7:5000"},
        {{"p", "h", "", "", {}}, "p://h"},
        {{"p", "h", "", "db", {}}, "p://h:db"},
        {{"p", " h ", "x", "db", {"A=1", "B=", "junk", "C=x=y"}}, "p:// h :x/db:A=1;C=x=y;"},
    };
    for (const auto& [fields, url] : cases) {
        EXPECT_EQ(BuildJDBCURL(fields), url);
    }

    // A parameter splits at its first equals sign; setting one replaces only the exact name and
    // puts it on top, so the last parameter set comes first in the URL.
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
    SetParameter(items, "", "ignored");
    EXPECT_EQ(items.front(), "TRACE=") << "an empty value is stored too";
    EXPECT_EQ(items.size(), kInitial.size());
    SetParameter(items, "trace", "x");
    EXPECT_EQ(items.front(), "trace=x") << "names compare case-sensitively";
    EXPECT_EQ(items.size(), kInitial.size() + 1);
}

// A private directory and the program's own launcher, for runs of the test class.
class LaunchTest : public ::testing::Test {
protected:
    test::TempDir temp;
    platform::posix::PosixFiles files;
    test::FixedClock clock;
    platform::posix::PosixProcesses processes;
    general::General general{files, clock, processes};
};

// Each shape of the command line, and how many of the class's arguments are free of the
// password (the class writes none of the others), as the test class really receives them: a
// stand-in "java" first on PATH writes its arguments and the environment the program set for it.
TEST_F(LaunchTest, TheClassIsToldWhichArgumentsMayHoldThePassword) {
    temp.write("java",
               "#!/bin/sh\n: > \"$OUT\"\n"
               "for a in \"$@\"; do printf '[%s]' \"$a\" >> \"$OUT\"; done\n"
               "printf ' plain=%s log=%s id=%s cp=%s' \"$VIRELO_JDBC_PLAIN_ARGS\" "
               "\"$VIRELO_LOG_FILE\" \"$VIRELO_LOG_IDENTITY\" \"$CLASSPATH\" >> \"$OUT\"\n");
    ASSERT_EQ(chmod(temp.file("java").c_str(), 0700), 0);
    test::ScopedEnv path("PATH", temp.path() + ":/usr/bin:/bin"), out("OUT", temp.file("argv"));
    const auto received = [&](const JdbcInputs& inputs, const std::string& log = "/l") {
        const JdbcLaunch launch = PrepareJdbcLaunch(inputs, log, "1:2", "/cp");
        EXPECT_EQ(general.RunAndWait(launch.commandLine, launch.environment), 1);
        return temp.read("argv");
    };
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
    };
    for (const auto& [inputs, expected] : shapes) {
        EXPECT_EQ(received(inputs), std::string(expected) + " log=/l id=1:2 cp=/cp");
    }
    // A double quote in the TEMP directory breaks the log path apart.
    EXPECT_EQ(
        received({"d", "u", "sa", "pw"}, "/t\"q/virelo.log"),
        "[VireloJDBC][d][u][/tq/virelo.log sa pw] plain=2 log=/t\"q/virelo.log id=1:2 cp=/cp");
    // The box shown when java cannot be started.
    EXPECT_EQ(JavaLaunchFailureText(2),
              "Could not spawn java.exe:  CreateProcess failed.\r\nCheck your PATH environment "
              "variable.\r\nError: 2");
}

// The files of the quick-start cache, by their ending (".jsa", ".ok", ".part").
std::vector<std::string> CacheFiles(const std::string& dir, const std::string& ending) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().string().ends_with(ending)) {
            found.push_back(entry.path().string());
        }
    }
    return found;
}

// The JVM's start-up options reach it through its environment, the window's command line
// unchanged, or, for virelo-check, on its command line. The first run has the JVM make the
// archive, which is then kept for later runs of the same JVM and class path; an archive changed
// since, a changed jar and a class path with a directory each stop it being used. A stand-in
// "java" writes its environment's options and its arguments and, when MAKE is set, the archive,
// as a JVM does when it ends.
TEST_F(LaunchTest, TheJvmGetsItsStartOptionsAndArchiveThroughItsEnvironment) {
    temp.write("java",
               "#!/bin/sh\nall=\"$JDK_JAVA_OPTIONS|$*\"; printf '%s' \"$all\" > \"$OUT\"\n"
               "case \"$all\" in *AtExit=*) [ -z \"$MAKE\" ] && exit 0\n"
               "  f=${all#*AtExit=}; f=${f%% *}; rm -f \"$f\"; echo made > \"$f\";; esac\n");
    ASSERT_EQ(chmod(temp.file("java").c_str(), 0700), 0);
    temp.write("driver.jar", "x");
    test::ScopedEnv path("PATH", temp.path() + ":/usr/bin:/bin"), out("OUT", temp.file("options")),
        cacheHome("XDG_CACHE_HOME", temp.file("cache")), own("JDK_JAVA_OPTIONS", std::nullopt);
    const std::string cache = temp.file("cache/virelo");
    const std::string start =
        "-XX:+IgnoreUnrecognizedVMOptions -XX:TieredStopAtLevel=1 -XX:+UseSerialGC "
        "-XX:-UsePerfData";
    const auto run = [&](const std::string& classPath, bool make = true,
                         OptionsIn where = OptionsIn::Environment) {
        test::ScopedEnv makes("MAKE", make ? std::optional<std::string>("1") : std::nullopt);
        EXPECT_EQ(RunTestClass(general, files, "java VireloJDBC d \"u\" \"/l\" ",
                               {{"CLASSPATH", classPath}}, where),
                  1);
        return temp.read("options");
    };
    const std::string args = "|VireloJDBC d u /l";
    const std::string jar = temp.file("driver.jar");
    // The options with the archive's name (a hash of the JVM and class path) as KEY.
    const auto keyed = [](const std::string& options) {
        return std::regex_replace(options, std::regex("jdbc-[0-9a-f]{16}"), "jdbc-KEY");
    };
    const std::string making = start + " -XX:ArchiveClassesAtExit=" + cache +
                               "/jdbc-KEY.0.part -Xlog:cds=off,cds+dynamic=off" + args;

    // A JVM that makes no archive leaves nothing behind, and the next run asks again.
    EXPECT_EQ(keyed(run(jar, false)), making);
    EXPECT_TRUE(CacheFiles(cache, ".part").empty() && CacheFiles(cache, ".jsa").empty());
    EXPECT_EQ(keyed(run(jar)), making);
    ASSERT_EQ(CacheFiles(cache, ".jsa").size(), 1u);
    const std::string archive = CacheFiles(cache, ".jsa")[0];
    EXPECT_TRUE(CacheFiles(cache, ".part").empty());
    EXPECT_EQ((fs::status(cache).permissions() & fs::perms::all), fs::perms::owner_all);
    const std::string using_ = start + " -XX:SharedArchiveFile=" + archive;
    EXPECT_EQ(run(jar), using_ + " -Xlog:cds=off,cds+dynamic=off" + args);
    {
        test::ScopedEnv user("JDK_JAVA_OPTIONS", "-Xmx64m -Xshare:off");
        EXPECT_EQ(run(jar), using_ + " -Xlog:cds=off,cds+dynamic=off -Xmx64m -Xshare:off" + args)
            << "the user's own come last";
        EXPECT_EQ(run(jar, true, OptionsIn::CommandLine),
                  "-Xmx64m -Xshare:off|" + using_ + " " + args.substr(1))
            << "on the command line, the user's own come first and nothing is added to them";
    }

    // Changed since it was made (written to, or cut short): made again, never used.
    std::ofstream(archive, std::ios::app) << "x";
    EXPECT_EQ(keyed(run(jar)), making);
    EXPECT_EQ(run(jar), using_ + " -Xlog:cds=off,cds+dynamic=off" + args) << "the new one is used";
    // Another version of a jar is another class path: an archive of its own.
    fs::last_write_time(jar, fs::last_write_time(jar) - std::chrono::hours(1));
    EXPECT_EQ(keyed(run(jar)), making);
    EXPECT_EQ(CacheFiles(cache, ".jsa").size(), 2u);
    // Classes of a directory, or of the current directory, cannot be archived.
    for (const std::string& classPath :
         {temp.path(), jar + ":", jar + ":" + temp.file("none.jar")}) {
        EXPECT_EQ(run(classPath), start + args) << classPath;
    }
    // A cache directory that others may enter, or a link, is not used.
    fs::permissions(cache, fs::perms::group_exec, fs::perm_options::add);
    EXPECT_EQ(run(jar), start + args);
    fs::permissions(cache, fs::perms::owner_all);
    EXPECT_NE(run(jar), start + args) << "private again";
    fs::rename(cache, temp.file("elsewhere"));
    fs::create_directory_symlink(temp.file("elsewhere"), cache);
    EXPECT_EQ(run(jar), start + args);
    // A path with a blank is quoted, as the launcher and virelo-check's command line expect.
    test::ScopedEnv blank("XDG_CACHE_HOME", temp.file("my cache"));
    EXPECT_EQ(keyed(run(jar, false)), start + " \"-XX:ArchiveClassesAtExit=" +
                                          temp.file("my cache/virelo/jdbc-KEY.0.part") +
                                          "\" -Xlog:cds=off,cds+dynamic=off" + args);
}

// The real JVM makes the archive and then runs from it; an archive damaged after it was made
// never breaks a ping (a JVM that maps a damaged archive crashes).
TEST_F(LaunchTest, TheRealJvmRunsFromItsArchiveAndADamagedOneNeverBreaksAPing) {
    if (!fs::exists(VIRELO_JDBC_JAR) || !fs::exists("/usr/share/java/h2.jar") ||
        std::system("command -v java >/dev/null") != 0) {
        GTEST_SKIP() << "needs java on PATH, /usr/share/java/h2.jar and " << VIRELO_JDBC_JAR;
    }
    test::ScopedEnv tempEnv("TEMP", temp.path()), cacheHome("XDG_CACHE_HOME", temp.file("cache"));
    const std::string cache = temp.file("cache/virelo");
    const auto ping = [&] {
        const std::string log = general.GetLogPath();
        const JdbcLaunch launch = PrepareJdbcLaunch({"org.h2.Driver", "jdbc:h2:mem:q", "sa", "pw"},
                                                    log, general.LogFileIdentity(log),
                                                    VIRELO_JDBC_JAR ":/usr/share/java/h2.jar");
        EXPECT_EQ(RunTestClass(general, files, launch.commandLine, launch.environment), 1);
        return general.ReadTextFile(log);
    };
    const auto connected = testing::HasSubstr(" : Connection closed");
    EXPECT_THAT(ping(), connected) << "the first ping makes the archive";
    ASSERT_EQ(CacheFiles(cache, ".jsa").size(), 1u);
    const std::string archive = CacheFiles(cache, ".jsa")[0];
    EXPECT_THAT(ping(), connected) << "the second uses it";

    std::fstream damage(archive, std::ios::in | std::ios::out | std::ios::binary);
    damage.seekp(static_cast<std::streamoff>(fs::file_size(archive) / 3));
    damage << std::string(65536, '\x5a');
    damage.close();
    EXPECT_THAT(ping(), connected) << "damaged";
}

// The program installed in /opt/virelo/bin, whose jar lies in the data directory beside it
// (/opt/virelo/share/virelo), or run from the build tree, or with no jar that can be trusted.
class PlacedFiles : public platform::posix::PosixFiles {
public:
    std::string programDirectory() override { return "/opt/virelo/bin"; }
    bool isTrustedFile(const std::string& path) override { return path == trusted; }
    std::string trusted;
};

// The child's class path has the program's own test class first, from a jar that nobody else may
// change.
TEST_F(LaunchTest, ChildClassPathPutsTheProgramsOwnTrustedTestClassFirst) {
    PlacedFiles placed;
    test::ScopedEnv unset("CLASSPATH", std::nullopt);
    for (const bool installed : {true, false}) {
        placed.trusted =
            installed ? "/opt/virelo/bin/../share/virelo/VireloJDBC.jar" : VIRELO_BUILD_TREE_JAR;
        EXPECT_EQ(ChildClassPath(placed), placed.trusted);
        test::ScopedEnv user("CLASSPATH", "/usr/share/java/h2.jar");
        EXPECT_EQ(ChildClassPath(placed), placed.trusted + ":/usr/share/java/h2.jar");
    }
    // Without a trusted jar the user's path stays, and an empty one never means "here".
    placed.trusted.clear();
    test::ScopedEnv user("CLASSPATH", "/x.jar");
    EXPECT_EQ(ChildClassPath(placed), "/x.jar");
    test::ScopedEnv empty("CLASSPATH", "");
    EXPECT_EQ(ChildClassPath(placed), "/opt/virelo/bin");

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

// The Java test class run directly, as the JDBC ping starts it, against log files that are not
// the one the program reserved: it must refuse them at once and write nothing anywhere.
TEST_F(LaunchTest, TheTestClassRefusesAnythingButTheReservedLogAtOnce) {
    if (!fs::exists(VIRELO_JDBC_JAR) || std::system("command -v java >/dev/null") != 0) {
        GTEST_SKIP() << "needs java on PATH and " << VIRELO_JDBC_JAR;
    }
    test::ScopedEnv tempEnv("TEMP", temp.path());
    const std::string log = general.GetLogPath(), identity = general.LogFileIdentity(log);
    struct RestoreDirectory {
        fs::path start = fs::current_path();
        ~RestoreDirectory() { fs::current_path(start); }
    } restore;
    fs::create_directory(temp.file("cwd"));
    fs::current_path(temp.file("cwd"));
    // Runs the class with `id` as the log's identity, telling it that `path` is its log.
    const auto run = [&](const std::string& path, const std::string& id) {
        const JdbcLaunch launch = PrepareJdbcLaunch(
            {"java.lang.String", "jdbc:none:x", "sa", "Cls-Pw-1"}, path, id, VIRELO_JDBC_JAR);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(general.RunAndWait(launch.commandLine, launch.environment), 1);
        return std::chrono::steady_clock::now() - start;
    };
    temp.write("victim.txt", "precious");
    temp.write("other.log", "");
    ASSERT_EQ(mkfifo(temp.file("fifo.log").c_str(), 0600), 0);
    fs::create_symlink(log, temp.file("link.log"));
    fs::create_symlink(temp.file("victim.txt"), temp.file("victim.log"));

    // Other files with the log's identity, the log with a wrong or no identity, and no log.
    for (const char* name : {"fifo.log", "link.log", "victim.log", "other.log"}) {
        EXPECT_LT(run(temp.file(name), identity), std::chrono::seconds(10)) << name;
    }
    for (const char* id : {"1:2", ""}) {
        EXPECT_LT(run(log, id), std::chrono::seconds(10)) << id;
    }
    EXPECT_LT(run("", identity), std::chrono::seconds(10));
    EXPECT_EQ(temp.read("victim.txt"), "precious");
    EXPECT_EQ(temp.read("other.log"), "");
    EXPECT_EQ(temp.read(fs::path(log).filename()), "") << "nothing written without its identity";
    EXPECT_TRUE(fs::is_empty(temp.file("cwd"))) << "nothing written into the current directory";

    // The reserved file with its identity is written; the report's lines are in the JDBC tab's
    // pane.
    run(log, identity);
    const std::string report = temp.read(fs::path(log).filename());
    EXPECT_NE(report.find("No suitable driver found for jdbc:none:x"), std::string::npos) << report;
}

}  // namespace
}  // namespace virelo::jdbc
