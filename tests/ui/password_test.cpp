// Logins with a password through the window's ODBC, COM+ and JDBC tabs against a real PostgreSQL
// server: no pane and no file shows the password, and the mask cuts no word of the server's.
#include <filesystem>

#include "support/OdbcIni.h"
#include "support/PostgresServer.h"
#include "support/WindowFixture.h"

namespace virelo::ui {
namespace {

using testing::AllOf;
using testing::ContainsRegex;
using testing::HasSubstr;
using testing::Not;

using PasswordTest = test::WindowFixture;

// The right password "data" to a database that does not exist, and wrong ones that are words of
// the server's answer, the user's name, or a long one full of the characters strings use.
TEST_F(PasswordTest, NoPaneOrFileShowsThePasswordOrAWordCutByTheMask) {
    test::PostgresServer server("data");
    if (!server.running()) {
        GTEST_SKIP() << "no PostgreSQL server: " << server.reason;
    }
    const std::string port = std::to_string(server.port);
    test::OdbcIni ini;
    ini.systemDsn("pw", {{"Driver", test::kPostgresDriver},
                         {"Servername", "127.0.0.1"},
                         {"Port", port},
                         {"Database", "nosuchdb"}});
    test::ScopedEnv classPath("CLASSPATH", "/usr/share/java/postgresql.jar");
    // The password, the COM+ string's PWD value, and the JDBC report's answer (the server checks
    // the password before the database).
    const std::string no = "28P01, vendor code 0: FATAL: password authentication failed for user";
    const std::string logins[][3] = {
        {"data", "{data}", "3D000, vendor code 0: FATAL: database \"nosuchdb\" does not exist"},
        {"fail", "fail", no + " \"tester\""},
        {"user", "{user}", no + " \"tester\""},
        {"tester", "tester", no + " \"tester\""},
        {"Zq9;{p}=w@:/d-88", "{Zq9;{p}}=w@:/d-88}", no + " \"tester\""},
    };
    for (const auto& [password, pwd, answer] : logins) {
        const std::string words = answer.substr(answer.find("FATAL: ") + 7);
        fill("cboODBCSysDSN=pw|txtODBCUID=tester|txtODBCPWD=" + password);
        click("cmdODBCPing");
        EXPECT_THAT(text("txtDiagODBC"), HasSubstr(words)) << password;

        click("optDSNLess");
        set("txtDSNLess", "DSN=pw;UID=tester;PWD=" + pwd);
        click("cmdPingADO");
        EXPECT_THAT(text("txtDiagCOM"), HasSubstr(words)) << password;

        window->control<QAbstractButton>("optStringURLJDBC")->setChecked(true);
        fill("cmbDriverClassJDBC=org.postgresql.Driver|txtUserJDBC=tester|txtPassJDBC=" + password +
             "|txtConURLJDBC=jdbc:postgresql://127.0.0.1:" + port + "/nosuchdb");
        click("cmdConnectCompJDBC");
        EXPECT_THAT(text("txtMessagesJDBC"), HasSubstr("SQLSTATE " + answer)) << password;

        std::string all;
        for (const char* pane : {"txtDiagODBC", "txtDiagCOM", "txtDSNLess", "txtMessagesJDBC"}) {
            all += text(pane) + "\n";
        }
        for (const auto& file : std::filesystem::directory_iterator(temp.path())) {
            all += temp.read(file.path().filename());
        }
        EXPECT_THAT(all, Not(ContainsRegex("[[:alnum:]]########|########[[:alnum:]]"))) << password;
        EXPECT_TRUE(password.size() < 8 || all.find(password) == std::string::npos) << all;
    }
    // The right password to a database that exists: the completed string shows the mask.
    set("txtDSNLess", "DSN=pw;Database=postgres;UID=tester;PWD=data");
    click("cmdPingADO");
    EXPECT_THAT(text("txtDiagCOM"),
                AllOf(HasSubstr("CONNECTION WAS SUCCESSFUL"), HasSubstr("PWD=########;")));
}

}  // namespace
}  // namespace virelo::ui
