// The ODBC tab on the real window: data-source lists from the registry's "ODBC Data Sources"
// keys, and pings through the real driver manager with the SQLite driver and private ini files.
#include <filesystem>
#include <regex>

#include "odbc/DSNList.h"
#include "support/OdbcIni.h"
#include "support/WindowFixture.h"
#include "ui/Layout.h"
#include "ui/tabs/OdbcTab.h"

namespace virelo::ui {
namespace {

namespace reg = platform::reg;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

class OdbcTabTest : public test::WindowFixture {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(test::kSqliteDriver)) {
            GTEST_SKIP() << test::kSqliteDriver << " is missing (libsqliteodbc)";
        }
        const test::OdbcIni::Keys lite = {{"Driver", test::kSqliteDriver},
                                          {"Database", test::OdbcProcessConfig::SqliteDatabase()}};
        ini.systemDsn("tab-lite", lite);
        ini.userDsn("tab-mine", lite);
        registry.setString(reg::kLocalMachine, odbc::kDataSourcesKey, "tab-lite", "SQLite3");
        registry.setString(reg::kLocalMachine, odbc::kDataSourcesKey, "Another System DSN", "x");
        registry.setString(reg::kCurrentUser, odbc::kDataSourcesKey, "tab-mine", "SQLite3");
        WindowFixture::SetUp();
    }
    // The ten display fields in the order of the two frames.
    Texts fields() const {
        Texts values;
        for (const char* name :
             {"txtConInfoUIDVal", "txtConInfoDBNameVal", "txtConInfoDBMSVal", "txtConInfoDBVerVal",
              "txtDrvNameVal", "txtDrvVersionVal", "txtDrvODBCVerVal", "txtDrvODBCVer2Val",
              "txtDrvSQLVal", "txtDrvODBCConfVal"}) {
            values.push_back(text(name));
        }
        return values;
    }
    void ping(const std::string& dsn, const std::string& user = "", const std::string& pw = "") {
        fill((checked("optODBCSysDSN") ? "cboODBCSysDSN=" : "cboODBCUsrDSN=") + dsn +
             "|txtODBCUID=" + user + "|txtODBCPWD=" + pw);
        click("cmdODBCPing");
    }
    // The two lists' texts and colours, "W" for the window colour and "M" for the menu colour.
    std::string lists() const {
        const auto cue = [this](const char* name) {
            return text(name) + (colour(name) == SysColour::Window ? "/W" : "/M");
        };
        return cue("cboODBCSysDSN") + " " + cue("cboODBCUsrDSN");
    }
    std::string log() const { return window->odbcTab().ODBCLogPath; }
    std::string pane() const { return text("txtDiagODBC"); }

    test::OdbcIni ini;
};

// A ping fills the ten fields and shows its own log; a failed one keeps the fields and shows its
// log with the verdict under it.
TEST_F(OdbcTabTest, PingFillsTheTenFieldsAndAFailedOneKeepsThem) {
    EXPECT_EQ(items("cboODBCSysDSN"), (Texts{"tab-lite", "Another System DSN"}));
    EXPECT_EQ(items("cboODBCUsrDSN"), (Texts{"tab-mine"}));
    EXPECT_EQ(lists(), "/W /M") << "start-up selects the system list";
    fill("txtDrvSQLVal=stale|txtDrvODBCConfVal=stale");
    ping("tab-lite", "someone", "pane-secret");

    Texts shown = fields();
    EXPECT_TRUE(std::regex_match(shown[3], std::regex(R"(3\.\d+\.\d+)"))) << shown[3];
    shown[3] = "(version)";
    // Beside "ODBC Version" the driver's ODBC version, beside "Driver ODBC Version" the driver
    // manager's.
    EXPECT_EQ(shown, (Texts{"", test::OdbcProcessConfig::SqliteDatabase(), "SQLite", "(version)",
                            "sqlite3odbc.so", "0.9998", "03.00", "03.52", "", ""}));
    // The pane shows the ping's own log file, which stays in TEMP, apart from the TCP/IP log.
    const std::string firstLog = log();
    ASSERT_FALSE(firstLog.empty());
    EXPECT_NE(firstLog, window->LogPath);
    EXPECT_EQ(pane(), window->general().ReadTextFile(firstLog));
    EXPECT_THAT(pane(), HasSubstr("3:04:05 PM : ODBC connection closed."));
    EXPECT_THAT(pane(), Not(HasSubstr("ERROR")));

    const Texts before = fields();
    ping("no-such-source", "x", "pane-secret");
    EXPECT_EQ(fields(), before);
    EXPECT_NE(log(), firstLog) << "each ping writes a new log file";
    EXPECT_TRUE(std::filesystem::exists(firstLog));
    EXPECT_EQ(pane(), window->general().ReadTextFile(log()) + "\r\nERROR IN ANALYZING DRIVER");
    EXPECT_THAT(pane(), HasSubstr("\r\n3:04:05 PM : SQLState = IM002\r\n"));
    EXPECT_THAT(pane(), Not(HasSubstr("SQLGetInfo"))) << "only this ping's lines";
}

// The options swap the colours and empty both texts, and only the chosen list's text counts;
// "Clear" empties the inputs only; bringing the tab to the front rereads the lists (dropping a
// list down does not) and drops typed text.
TEST_F(OdbcTabTest, OptionsClearAndTabSwitch) {
    fill("cboODBCSysDSN=typed system|cboODBCUsrDSN=typed user");
    click("optODBCUsrDSN");
    EXPECT_FALSE(checked("optODBCSysDSN"));
    EXPECT_EQ(lists(), "/M /W");
    EXPECT_TRUE(window->control("cboODBCSysDSN")->isEnabled());
    set("cboODBCSysDSN", "tab-lite");
    window->control<QComboBox>("cboODBCUsrDSN")->setCurrentIndex(0);
    click("cmdODBCPing");
    EXPECT_EQ(text("txtConInfoDBMSVal"), "SQLite");

    const Texts shown = fields();
    const std::string log = pane();
    fill("cboODBCSysDSN=a|cboODBCUsrDSN=b|txtODBCUID=c|txtODBCPWD=d");
    click("cmdODBCClear");
    EXPECT_EQ(lists() + text("txtODBCUID") + text("txtODBCPWD"), "/M /W");
    EXPECT_EQ(fields(), shown);
    EXPECT_EQ(pane(), log);

    set("cboODBCUsrDSN", "typed by hand");
    registry.setString(reg::kCurrentUser, odbc::kDataSourcesKey, "added later", "SQLite3");
    registry.deleteValue(reg::kLocalMachine, odbc::kDataSourcesKey, "Another System DSN");
    window->control<QComboBox>("cboODBCUsrDSN")->showPopup();
    window->control<QComboBox>("cboODBCUsrDSN")->hidePopup();
    EXPECT_EQ(items("cboODBCUsrDSN"), (Texts{"tab-mine"}));
    window->SSTabVIRELO()->setCurrentIndex(3);
    EXPECT_EQ(items("cboODBCSysDSN"), (Texts{"tab-lite"}));
    EXPECT_EQ(items("cboODBCUsrDSN"), (Texts{"tab-mine", "added later"}));
    EXPECT_EQ(lists(), "/M /W") << "the option stays";
    EXPECT_TRUE(checked("optODBCUsrDSN"));

    set("cboODBCUsrDSN", "typed user");
    click("optODBCSysDSN");
    EXPECT_EQ(lists(), "/W /M");
    registry.clear();
    window->SSTabVIRELO()->setCurrentIndex(0);
    window->SSTabVIRELO()->setCurrentIndex(3);
    EXPECT_EQ(items("cboODBCSysDSN").size() + items("cboODBCUsrDSN").size(), 0u);
}

// A ping without a data source asks for one, moves the focus there and leaves no log file; one
// whose log file cannot be chosen says so in the pane.
TEST_F(OdbcTabTest, APingThatCannotRunAsksOrReportsWhy) {
    window->SSTabVIRELO()->setCurrentIndex(3);
    set("txtDiagODBC", "earlier text");
    for (const char* option : {"optODBCSysDSN", "optODBCUsrDSN"}) {
        click(option);
        set("cboODBCUsrDSN", option == std::string("optODBCSysDSN") ? "tab-mine" : "");
        window->control("txtODBCUID")->setFocus();
        click("cmdODBCPing");
        EXPECT_EQ(focusName(),
                  option == std::string("optODBCSysDSN") ? "cboODBCSysDSN" : "cboODBCUsrDSN");
    }
    EXPECT_EQ(boxTexts(), (Texts{"Please Select a System DSN", "Please Select a User DSN"}));
    EXPECT_EQ(boxes.boxes[0].title, kProgramName);
    EXPECT_EQ(boxes.boxes[0].icon, platform::BoxIcon::None);
    EXPECT_EQ(pane(), "earlier text");
    EXPECT_FALSE(std::filesystem::exists(log())) << "no ODBC call, no log file";

    test::ScopedEnv missingTemp("TEMP", temp.file("no-such-directory"));
    ping("tab-mine");
    EXPECT_THAT(pane(),
                StartsWith("Fatal Error Fail to Obtain ODBC Information\r\nError Number: 76 "));
    EXPECT_THAT(pane(), HasSubstr("no-such-directory"));
    EXPECT_EQ(text("txtConInfoDBMSVal"), "") << "nothing was connected";
}

// Where the driver manager's library cannot be loaded (run_without_driver_manager.sh makes it an
// empty file), the pane names the library and gives the loader's words under the failed step.
TEST_F(OdbcTabTest, WithoutDriverManagerThePaneSaysWhy) {
    if (std::getenv("VIRELO_NO_DRIVER_MANAGER") == nullptr) {
        GTEST_SKIP() << "runs under run_without_driver_manager.sh only";
    }
    ping("tab-lite");
    EXPECT_THAT(pane(), testing::MatchesRegex(
                            "\r\n3:04:05 PM : There was an error with SQLAllocEnv!\r\n"
                            "The ODBC driver manager \\(libodbc\\.so\\.2\\) could not be loaded: "
                            "/.*/libodbc\\.so\\.2: file too short\r\n"
                            "ERROR IN ANALYZING DRIVER"));
}

}  // namespace
}  // namespace virelo::ui
