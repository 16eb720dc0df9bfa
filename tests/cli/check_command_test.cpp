// virelo-check as a whole program: exit codes, the JSON document (parsed, never compared as
// text), and no password anywhere in what it prints. It runs against real services on this
// machine only: the test hosts file through nss_wrapper, the services database, loopback
// listeners, the ODBC driver manager with SQLite and a PostgreSQL server started by the test.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "support/ChildProcess.h"
#include "support/PostgresServer.h"
#include "support/TcpListener.h"
#include "support/TempDir.h"

namespace virelo::cli {
namespace {

using nlohmann::json;
using Env = std::map<std::string, std::optional<std::string>>;

constexpr const char* kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

class CheckCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp.write("sqlhosts",
                   "# name protocol host service\n"
                   "srv_spx  kbsocspx localhost 1526\n"
                   "srv_nohost kasoctcp no-such-host.test 1526\n"
                   "srv_noservice kasoctcp localhost no-such-service\n");
        for (const char* file : {"odbcinst.ini", "odbc.ini", "user-odbc.ini"}) {
            temp.write(file, "");
        }
    }
    void addServer(const std::string& line) {
        sqlhosts += line + "\n";
        temp.write("sqlhosts", temp.read("sqlhosts") + line + "\n");
    }
    test::ChildResult run(std::vector<std::string> args, Env extra = {}, bool closeStdout = false) {
        Env env = {
            {"LD_PRELOAD", VIRELO_NSS_WRAPPER_LIBRARY},
            {"NSS_WRAPPER_HOSTS", VIRELO_TEST_HOSTS_FILE},
            {"NSS_WRAPPER_HOSTNAME", "test-ws"},
            {"NSS_WRAPPER_DISABLE_DEEPBIND", "1"},
            {"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0"},
            {"VIRELO_REGISTRY", ""},
            {"VIRELO_SQLHOSTS", temp.file("sqlhosts")},
            {"XDG_CONFIG_HOME", temp.file("config")},
            {"ODBCSYSINI", temp.path()},
            {"ODBCINI", temp.file("user-odbc.ini")},
            {"TEMP", temp.path()},
            {"VIRELO_PASSWORD", std::nullopt},
        };
        for (const auto& [name, value] : extra) {
            env[name] = value;
        }
        args.insert(args.begin(), VIRELO_CHECK_BINARY);
        return test::RunChild(args, env, closeStdout);
    }
    json document(const test::ChildResult& result) {
        EXPECT_TRUE(json::accept(result.out)) << result.out << result.err;
        return json::accept(result.out) ? json::parse(result.out) : json::object();
    }

    test::TempDir temp;
    std::string sqlhosts;
};

TEST_F(CheckCommandTest, BadCommandLinesAreUsageErrorsOnStandardError) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate", "x"},
        {"host"},
        {"host", "a", "b"},
        {"native", ""},
        {"service", "http", "--by-address"},
        {"host", "x", "--bogus"},
        {"host", "x", "--timeout", "0"},
        {"host", "x", "--timeout", "-3"},
        {"host", "x", "--timeout", "soon"},
        {"host", "x", "--timeout"},
        {"odbc", "Sales", "--password", "secret"},
        {"odbc", "Sales", "--user", "u", "--password-file", temp.file("missing")},
    };
    for (const auto& args : cases) {
        const auto result = run(args);
        EXPECT_EQ(result.exitCode, 64) << testing::PrintToString(args);
        EXPECT_EQ(result.out, "") << testing::PrintToString(args);
        EXPECT_EQ(result.err.rfind("virelo-check: ", 0), 0u) << result.err;
    }
    temp.write("empty-pw", "\n");
    ASSERT_EQ(mkfifo(temp.file("fifo-pw").c_str(), 0600), 0);
    EXPECT_EQ(
        run({"connect", "DSN=x;PWD={PASSWORD}", "--password-file", temp.file("fifo-pw")}).exitCode,
        64)
        << "a FIFO is refused at once";
    EXPECT_EQ(
        run({"connect", "DSN=x;PWD={PASSWORD}", "--password-file", temp.file("empty-pw")}).exitCode,
        64);
    EXPECT_EQ(run({"connect", "DSN=x;PWD={PASSWORD}"}, {{"VIRELO_PASSWORD", ""}}).exitCode, 64);

    EXPECT_EQ(run({"service", "http"}, {{"VIRELO_PASSWORD", ""}}).exitCode, 0)
        << "a check that logs in nowhere never reads the password";
    const auto help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Exit codes:"), std::string::npos);
    EXPECT_EQ(run({"--version"}).out, "virelo-check 2.81\n");
    EXPECT_EQ(run({"service", "http"}, {}, true).exitCode, 74) << "standard output closed";
}

TEST_F(CheckCommandTest, ServiceAndHostChecks) {
    json doc = document(run({"service", "http", "--json"}));
    EXPECT_EQ(doc["exit_code"], 0);
    EXPECT_EQ(doc["checks"][0]["layer"], "service");
    EXPECT_EQ(doc["checks"][0]["code"], 80);
    EXPECT_EQ(run({"service", "5432"}).exitCode, 0);
    const auto unknown = run({"service", "no-such-service", "--udp"});
    EXPECT_EQ(unknown.exitCode, 12);
    EXPECT_NE(unknown.out.find("No Services Found!"), std::string::npos) << unknown.out;
    EXPECT_EQ(run({"service", "http", "-q"}).out, "");

    doc = document(run({"host", "no-such-host.test", "--json"}));
    EXPECT_EQ(doc["exit_code"], 10);
    EXPECT_EQ(doc["checks"].size(), 1u);
    EXPECT_EQ(doc["checks"][0]["layer"], "resolve");
    EXPECT_EQ(doc["checks"][0]["ok"], false);

    doc = document(run({"host", "two.test", "--json"}));
    ASSERT_EQ(doc["checks"].size(), 3u) << doc.dump();
    EXPECT_EQ(doc["checks"][1]["target"], "127.0.0.2");
    EXPECT_EQ(doc["checks"][2]["target"], "127.0.0.3");
    if (doc["exit_code"] != 0) {
        GTEST_SKIP() << "no echo socket may be opened here: " << doc.dump();
    }
    EXPECT_EQ(doc["checks"][1]["code"], 0);
    EXPECT_EQ(run({"host", "--by-address", "127.0.0.1"}).exitCode, 0);
}

TEST_F(CheckCommandTest, NativeChecksTellTheLayersApart) {
    test::TcpListener listener;
    const std::string port = std::to_string(listener.port);
    addServer("srv_up kasoctcp localhost " + port);
    json doc = document(run({"native", "srv_up", "--json"}));
    EXPECT_EQ(doc["exit_code"], 0);
    EXPECT_EQ(doc["checks"][0]["code"], 0);
    EXPECT_EQ(doc["checks"][0]["state"], "01V01");
    EXPECT_EQ(
        run({"native", "srv_up", "--service", std::to_string(test::TcpListener::ClosedPort())})
            .exitCode,
        13);
    EXPECT_EQ(run({"native", "srv_nohost"}).exitCode, 10);
    EXPECT_EQ(run({"native", "srv_noservice"}).exitCode, 12);
    EXPECT_EQ(run({"native", "srv_spx"}).exitCode, 16);
    EXPECT_EQ(run({"native", "not-in-directory"}).exitCode, 16);
    EXPECT_EQ(run({"native", "anything", "--host", "localhost", "--service", port, "--protocol",
                   "kasoctcp"})
                  .exitCode,
              0);

    test::TcpListener silent("127.0.0.1", true);
    const auto slow =
        run({"native", "x", "--host", "localhost", "--service", std::to_string(silent.port),
             "--protocol", "kasoctcp", "--timeout", "0.3", "--json"});
    EXPECT_EQ(slow.exitCode, 13);
    EXPECT_EQ(document(slow)["checks"][0]["state"], "HYT00");
}

TEST_F(CheckCommandTest, DiagnoseStopsAtTheFirstFailingLayer) {
    test::TcpListener listener;
    addServer("srv_up kasoctcp localhost " + std::to_string(listener.port));
    addServer("srv_closed kasoctcp localhost " + std::to_string(test::TcpListener::ClosedPort()));
    const auto layers = [](const json& doc) {
        std::vector<std::string> names;
        for (const auto& check : doc["checks"]) {
            names.push_back(check["layer"].get<std::string>() + (check["ok"] ? "" : "!"));
        }
        return names;
    };
    using Layers = std::vector<std::string>;
    EXPECT_EQ(layers(document(run({"diagnose", "nowhere", "--json"}))), (Layers{"directory!"}));
    EXPECT_EQ(layers(document(run({"diagnose", "srv_nohost", "--json"}))), (Layers{"resolve!"}));
    json doc = document(run({"diagnose", "srv_closed", "--json"}));
    if (doc["checks"].size() > 1 && doc["checks"][1]["ok"] == false) {
        GTEST_SKIP() << "no echo socket may be opened here";
    }
    EXPECT_EQ(layers(doc), (Layers{"resolve", "echo", "listener!"}));
    EXPECT_EQ(doc["exit_code"], 13);
    EXPECT_EQ(layers(document(run({"diagnose", "srv_noservice", "--json"}))),
              (Layers{"resolve", "echo", "service!"}));
    doc = document(run({"diagnose", "srv_up", "--json"}));
    EXPECT_EQ(layers(doc), (Layers{"resolve", "echo", "listener"}));
    EXPECT_EQ(doc["exit_code"], 0);

    // Where no echo is answered, the walk stops at the echo layer.
    const std::vector<std::string> inNamespace = {
        "unshare",
        "-rn",
        "sh",
        "-c",
        "ip link set lo up && sysctl -qw net.ipv4.icmp_echo_ignore_all=1 && exec \"$@\"",
        "sh",
        VIRELO_CHECK_BINARY,
        "diagnose",
        "srv_closed",
        "--json"};
    const auto quiet =
        test::RunChild(inNamespace, {{"LD_PRELOAD", VIRELO_NSS_WRAPPER_LIBRARY},
                                     {"NSS_WRAPPER_HOSTS", VIRELO_TEST_HOSTS_FILE},
                                     {"NSS_WRAPPER_DISABLE_DEEPBIND", "1"},
                                     {"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0"},
                                     {"VIRELO_REGISTRY", ""},
                                     {"VIRELO_SQLHOSTS", temp.file("sqlhosts")},
                                     {"TEMP", temp.path()}});
    if (!json::accept(quiet.out)) {
        GTEST_SKIP() << "no private network namespace here: " << quiet.err;
    }
    EXPECT_EQ(layers(json::parse(quiet.out)), (Layers{"resolve", "echo!"}));
    EXPECT_EQ(quiet.exitCode, 11);
}

TEST_F(CheckCommandTest, ConnectNeverShowsThePassword) {
    const std::string typed = std::string("DRIVER=") + kSqliteDriver +
                              ";Database=" + temp.file("t.db") + ";PWD={PASSWORD}";
    auto result = run({"connect", typed}, {{"VIRELO_PASSWORD", "s3cr3t-value"}});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("CONNECTION WAS SUCCESSFUL"), std::string::npos);
    EXPECT_NE(result.out.find("DBMS Name=SQLite"), std::string::npos);
    EXPECT_EQ((result.out + result.err).find("s3cr3t-value"), std::string::npos);

    temp.write("pw", "s3cr3t-value\n");
    result = run({"connect", "Provider=nbxoledbc;Data Source=db@srv;Password={PASSWORD}", "--json",
                  "--password-file", temp.file("pw")});
    EXPECT_EQ(result.exitCode, 14);
    EXPECT_EQ(document(result)["checks"][0]["code"], 3706);
    EXPECT_EQ(result.out.find("s3cr3t-value"), std::string::npos);

    result = run({"connect", "DSN=NoSuchSource", "--json"});
    EXPECT_EQ(result.exitCode, 14);
    EXPECT_EQ(document(result)["checks"][0]["state"], "IM002");

    result = run({"connect", "DSN=" + std::string(10000, 'x') + "\xC3\xA4"});
    EXPECT_EQ(result.exitCode, 14) << result.err;

    test::PostgresServer server;
    if (!server.running()) {
        GTEST_SKIP() << "no PostgreSQL server: " << server.reason;
    }
    const std::string pg =
        "DRIVER=/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so;Servername=127.0.0.1;Port=" +
        std::to_string(server.port) + ";Database=postgres;UID=tester;PWD={PASSWORD}";
    result = run({"connect", pg}, {{"VIRELO_PASSWORD", "wrong-pw-7"}});
    EXPECT_EQ(result.exitCode, 15) << result.out;
    EXPECT_EQ(result.out.find("wrong-pw-7"), std::string::npos);
    EXPECT_EQ(run({"connect", pg}, {{"VIRELO_PASSWORD", "right-pw"}}).exitCode, 0);
}

TEST_F(CheckCommandTest, OdbcAndJdbcLoginsWithThePasswordOutOfSight) {
    temp.write("odbc.ini", "[Sales]\nDriver=" + std::string(kSqliteDriver) +
                               "\nDatabase=" + temp.file("sales.db") + "\n");
    const Env secret = {{"VIRELO_PASSWORD", "s3cr3t-value"}};
    auto result = run({"odbc", "Sales", "--user", "bob", "--json"}, secret);
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(document(result)["checks"][0]["log"].size(), 16u);
    EXPECT_EQ(run({"odbc", "NoSuch", "--user", "bob"}, secret).exitCode, 14);

    test::TcpListener listener;
    addServer("srv_up kasoctcp localhost " + std::to_string(listener.port));
    const json doc =
        document(run({"diagnose", "srv_up", "--dsn", "Sales", "--user", "bob", "--json"}, secret));
    if (doc["checks"].size() > 1 && doc["checks"][1]["ok"] == true) {
        EXPECT_EQ(doc["checks"].back()["layer"], "odbc");
        EXPECT_EQ(doc["exit_code"], 0);
    }

    // The Java test class gets the password in its environment, never on its command line: a
    // stand-in for java records what it was given.
    temp.write("java", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\nenv > \"$0.env\"\n");
    chmod(temp.file("java").c_str(), 0700);
    result = run({"jdbc", "org.h2.Driver", "jdbc:h2:mem:x", "--user", "sa"},
                 {{"VIRELO_PASSWORD", "s3cr3t-value"}, {"PATH", temp.path() + ":/usr/bin:/bin"}});
    EXPECT_EQ(temp.read("java.args").find("s3cr3t-value"), std::string::npos)
        << temp.read("java.args");
    EXPECT_NE(temp.read("java.env").find("VIRELO_JDBC_PASSWORD=s3cr3t-value"), std::string::npos);
    std::remove(temp.file("java").c_str());

    const Env h2 = {{"VIRELO_PASSWORD", "s3cr3t-value"}, {"CLASSPATH", "/usr/share/java/h2.jar"}};
    result =
        run({"jdbc", "org.h2.Driver", "jdbc:h2:mem:x;PASSWORD=s3cr3t-value", "--user", "sa"}, h2);
    EXPECT_NE(result.out.find("Password: given"), std::string::npos) << result.out;
    EXPECT_EQ((result.out + result.err).find("s3cr3t-value"), std::string::npos) << result.out;
    EXPECT_EQ(run({"jdbc", "org.nowhere.Driver", "jdbc:x:y"}, h2).exitCode, 14);

    test::PostgresServer server;
    if (!server.running()) {
        GTEST_SKIP() << "no PostgreSQL server: " << server.reason;
    }
    const std::string port = std::to_string(server.port);
    temp.write(
        "odbc.ini",
        "[Pg]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so\nServername=127.0.0.1\nPort=" +
            port + "\nDatabase=postgres\n");
    result = run({"odbc", "Pg", "--user", "tester"}, {{"VIRELO_PASSWORD", "wrong-pw-7"}});
    EXPECT_EQ(result.exitCode, 15) << result.out;
    EXPECT_EQ(result.out.find("wrong-pw-7"), std::string::npos);
    EXPECT_EQ(run({"odbc", "Pg", "--user", "tester"}, {{"VIRELO_PASSWORD", "right-pw"}}).exitCode,
              0);
    temp.write("odbc.ini",
               "[PgNoDb]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/"
               "psqlodbca.so\nServername=127.0.0.1\nPort=" +
                   port + "\nDatabase=nosuchdb\n");
    EXPECT_EQ(
        run({"odbc", "PgNoDb", "--user", "tester"}, {{"VIRELO_PASSWORD", "right-pw"}}).exitCode, 15)
        << "the server answered and refused the session";
    const Env pgjdbc = {{"VIRELO_PASSWORD", "wrong-pw-7"},
                        {"CLASSPATH", "/usr/share/java/postgresql.jar"}};
    result =
        run({"jdbc", "org.postgresql.Driver", "jdbc:postgresql://127.0.0.1:" + port + "/postgres",
             "--user", "tester", "--json"},
            pgjdbc);
    EXPECT_EQ(result.exitCode, 15) << result.out;
    EXPECT_EQ(document(result)["checks"][0]["state"], "28P01");
    EXPECT_EQ(result.out.find("wrong-pw-7"), std::string::npos);
}

TEST_F(CheckCommandTest, NoPasswordShowsAndEachFailureHasItsLayersCode) {
    // A password with ; } and = goes in braces and shows nowhere, whole or in part.
    const std::string typed = std::string("DRIVER=") + kSqliteDriver +
                              ";Database=" + temp.file("t.db") + ";PWD={PASSWORD}";
    auto result = run({"connect", typed, "--json"}, {{"VIRELO_PASSWORD", "p;a}ss=w"}});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(result.out.find("a}ss"), std::string::npos) << result.out;
    // Passwords typed into the argument itself are masked in every place it is shown.
    result = run({"connect", "DSN=NoSuch;PWD=Zq7plainZ", "--json"});
    EXPECT_EQ(result.out.find("Zq7plainZ"), std::string::npos) << result.out;
    const Env h2 = {{"CLASSPATH", "/usr/share/java/h2.jar"}};
    result =
        run({"jdbc", "org.h2.Driver", "jdbc:h2:mem:t?user=a&password=Zq7plainZ", "--json"}, h2);
    EXPECT_EQ(result.out.find("Zq7plainZ"), std::string::npos) << result.out;
    // What the driver prints goes nowhere near the report.
    result = run({"jdbc", "org.h2.Driver", "jdbc:h2:mem:t;TRACE_LEVEL_SYSTEM_OUT=3", "--user", "sa",
                  "--json"},
                 h2);
    EXPECT_EQ(document(result)["exit_code"], 0);
    // A refused connection is the listener's failure, whatever the report says about a password.
    result = run(
        {"jdbc", "org.postgresql.Driver",
         "jdbc:postgresql://127.0.0.1:" + std::to_string(test::TcpListener::ClosedPort()) + "/x",
         "--user", "u"},
        {{"CLASSPATH", "/usr/share/java/postgresql.jar"}, {"VIRELO_PASSWORD", "pw-1234"}});
    EXPECT_EQ(result.exitCode, 13) << result.out;
    temp.write("odbc.ini", "[NoDriver]\nDriver=/nonexistent/libfoo.so\n");
    EXPECT_EQ(run({"odbc", "NoDriver"}).exitCode, 14);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"service", "http", "--json=0"},
          {"service", "http", "--udp=no"},
          {"diagnose", "srv", "--user", "u"},
          {"diagnose", "srv", "--dsn", ""}}) {
        EXPECT_EQ(run(args).exitCode, 64) << testing::PrintToString(args);
    }
    result = run({"service", "http"}, {{"TEMP", "/nonexistent/dir"}});
    EXPECT_EQ(result.exitCode, 16);
    EXPECT_NE(result.out.find("/nonexistent/dir"), std::string::npos) << result.out;
}

TEST_F(CheckCommandTest, AnEchoThatMayNotBeSentIsNoEchoFailure) {
    test::TcpListener listener;
    test::TempDir shared;  // another user's files: the log directory and the server directory
    chmod(shared.path().c_str(), 01777);
    shared.write("sqlhosts", "srv_up kasoctcp localhost " + std::to_string(listener.port) + "\n");
    chmod(shared.file("sqlhosts").c_str(), 0644);
    const std::vector<std::string> asNobody = {"setpriv", "--reuid=nobody", "--regid=nogroup",
                                               "--clear-groups", VIRELO_CHECK_BINARY};
    auto args = asNobody;
    args.insert(args.end(), {"host", "localhost", "--json"});
    Env env = {{"TEMP", shared.path()},
               {"VIRELO_REGISTRY", ""},
               {"VIRELO_SQLHOSTS", shared.file("sqlhosts")},
               {"NSS_WRAPPER_HOSTS", VIRELO_TEST_HOSTS_FILE},
               {"LD_PRELOAD", VIRELO_NSS_WRAPPER_LIBRARY},
               {"NSS_WRAPPER_DISABLE_DEEPBIND", "1"},
               {"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0"}};
    auto result = test::RunChild(args, env);
    if (!json::accept(result.out) || document(result)["exit_code"] == 0) {
        GTEST_SKIP() << "another user may send echo requests here: " << result.out << result.err;
    }
    EXPECT_EQ(result.exitCode, 16);
    EXPECT_NE(document(result)["checks"][1]["message"].get<std::string>().find("not tested"),
              std::string::npos);
    args = asNobody;
    args.insert(args.end(), {"diagnose", "srv_up", "--json"});
    result = test::RunChild(args, env);
    EXPECT_EQ(result.exitCode, 0) << result.out;
    const json doc = document(result);
    EXPECT_EQ(doc["checks"][1]["skipped"], true);
    EXPECT_EQ(doc["checks"].back()["layer"], "listener");
}

TEST_F(CheckCommandTest, TheProgramDoesNotUseQt) {
    const auto libraries = test::RunChild({"ldd", VIRELO_CHECK_BINARY});
    ASSERT_EQ(libraries.exitCode, 0) << libraries.err;
    EXPECT_NE(libraries.out.find("libodbc"), std::string::npos);
    EXPECT_EQ(libraries.out.find("Qt"), std::string::npos) << libraries.out;
}

}  // namespace
}  // namespace virelo::cli
