// The ODBC tab on the real window: data-source lists from the registry's "ODBC Data Sources"
// keys, and pings through the real driver manager with the SQLite driver and private ini files.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <regex>

#include "odbc/DSNList.h"
#include "support/OdbcIni.h"
#include "support/WindowFixture.h"
#include "ui/ColourCue.h"
#include "ui/Layout.h"
#include "ui/tabs/OdbcTab.h"

namespace virelo::ui {
namespace {

namespace reg = platform::reg;
using Items = std::vector<std::string>;

// The ten display fields in the order of the two frames.
constexpr const char* kDisplayFields[] = {
    "txtConInfoUIDVal", "txtConInfoDBNameVal", "txtConInfoDBMSVal", "txtConInfoDBVerVal",
    "txtDrvNameVal",    "txtDrvVersionVal",    "txtDrvODBCVerVal",  "txtDrvODBCVer2Val",
    "txtDrvSQLVal",     "txtDrvODBCConfVal"};

class OdbcTabTest : public test::WindowFixture {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(test::kSqliteDriver)) {
            GTEST_SKIP() << test::kSqliteDriver << " is missing (libsqliteodbc)";
        }
        ini.systemDsn("tab-lite", {{"Driver", test::kSqliteDriver},
                                   {"Database", test::OdbcProcessConfig::SqliteDatabase()}});
        ini.userDsn("tab-mine", {{"Driver", test::kSqliteDriver},
                                 {"Database", test::OdbcProcessConfig::SqliteDatabase()}});
        listDataSource(reg::kLocalMachine, "tab-lite", "SQLite3");
        listDataSource(reg::kLocalMachine, "Another System DSN", "PostgreSQL ANSI");
        listDataSource(reg::kCurrentUser, "tab-mine", "SQLite3");
        window = open();
    }

    void listDataSource(platform::HKey root, const std::string& name, const std::string& driver) {
        registry.setString(root, odbc::kDataSourcesKey, name, driver);
    }
    QComboBox* combo(const char* name) const { return window->control<QComboBox>(name); }
    QLineEdit* edit(const char* name) const { return window->control<QLineEdit>(name); }
    std::string pane() const { return window->pane("txtDiagODBC")->text(); }
    Items items(const char* name) const {
        Items list;
        for (int i = 0; i < combo(name)->count(); ++i) {
            list.push_back(combo(name)->itemText(i).toStdString());
        }
        return list;
    }
    Items fields() const {
        Items values;
        for (const char* name : kDisplayFields) {
            values.push_back(edit(name)->text().toStdString());
        }
        return values;
    }
    void ping(const std::string& dsn, const std::string& user = "", const std::string& pw = "") {
        const bool system = window->control<QRadioButton>("optODBCSysDSN")->isChecked();
        combo(system ? "cboODBCSysDSN" : "cboODBCUsrDSN")->setEditText(QString::fromStdString(dsn));
        edit("txtODBCUID")->setText(QString::fromStdString(user));
        edit("txtODBCPWD")->setText(QString::fromStdString(pw));
        window->control<QPushButton>("cmdODBCPing")->click();
    }
    OdbcTab& tab() const { return window->odbcTab(); }

    test::OdbcIni ini;
    std::unique_ptr<frmVIRELO> window;
};

TEST_F(OdbcTabTest, StartUpListsBothRootsAndSelectsTheSystemList) {
    EXPECT_EQ(items("cboODBCSysDSN"), (Items{"tab-lite", "Another System DSN"}));
    EXPECT_EQ(items("cboODBCUsrDSN"), (Items{"tab-mine"}));
    EXPECT_EQ(combo("cboODBCSysDSN")->currentText(), "");
    EXPECT_EQ(combo("cboODBCUsrDSN")->currentText(), "");
    EXPECT_TRUE(window->control<QRadioButton>("optODBCSysDSN")->isChecked());
    EXPECT_EQ(BackColour(combo("cboODBCSysDSN")), SysColour::Window);
    EXPECT_EQ(BackColour(combo("cboODBCUsrDSN")), SysColour::Menu);
}

TEST_F(OdbcTabTest, PingFillsTheTenFieldsWithTheTwoVersionsCrossed) {
    edit("txtDrvSQLVal")->setText("stale");
    edit("txtDrvODBCConfVal")->setText("stale");
    ping("tab-lite", "someone", "pane-secret");

    const Items shown = fields();
    EXPECT_EQ(shown[0], "");
    EXPECT_EQ(shown[1], test::OdbcProcessConfig::SqliteDatabase());
    EXPECT_EQ(shown[2], "SQLite");
    EXPECT_TRUE(std::regex_match(shown[3], std::regex(R"(3\.\d+\.\d+)"))) << shown[3];
    EXPECT_EQ(shown[4], "sqlite3odbc.so");
    EXPECT_EQ(shown[5], "0.9998");
    EXPECT_EQ(shown[6], "03.00") << "beside \"ODBC Version\": the driver's ODBC version";
    EXPECT_EQ(shown[7], "03.52") << "beside \"Driver ODBC Version\": the driver manager's";
    EXPECT_EQ(shown[8], "");
    EXPECT_EQ(shown[9], "");

    // The pane shows the ping's own log file, which stays in TEMP, apart from the TCP/IP log.
    ASSERT_FALSE(tab().ODBCLogPath.empty());
    EXPECT_NE(tab().ODBCLogPath, window->LogPath);
    EXPECT_EQ(pane(), window->general().ReadTextFile(tab().ODBCLogPath));
    EXPECT_NE(pane().find("3:04:05 PM : ODBC connection closed."), std::string::npos);
    EXPECT_EQ(pane().find("ERROR"), std::string::npos);
    EXPECT_EQ(pane().find("pane-secret"), std::string::npos);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy cursor is gone";
}

TEST_F(OdbcTabTest, FailedPingKeepsTheFieldsAndShowsTheLogWithTheVerdict) {
    ping("tab-lite");
    const Items before = fields();
    const std::string firstLog = tab().ODBCLogPath;

    ping("no-such-source", "x", "pane-secret");
    EXPECT_EQ(fields(), before);
    EXPECT_NE(tab().ODBCLogPath, firstLog) << "each ping writes a new log file";
    EXPECT_TRUE(std::filesystem::exists(firstLog));
    const std::string log = window->general().ReadTextFile(tab().ODBCLogPath);
    EXPECT_EQ(pane(), log + "\r\nERROR IN ANALYZING DRIVER");
    for (const char* line :
         {"\r\n3:04:05 PM : There was an error within SQLConnect!\r\n",
          "\r\n3:04:05 PM : SQLState = IM002\r\n", "\r\n3:04:05 PM : Native Error =  0\r\n",
          "\r\n3:04:05 PM : Error Message = [unixODBC][Driver Manager]Data source name not found "
          "and no default driver specified\r\n"}) {
        EXPECT_NE(pane().find(line), std::string::npos) << line;
    }
    EXPECT_EQ(pane().find("SQLGetInfo"), std::string::npos) << "only this ping's lines";
    EXPECT_EQ(pane().find("pane-secret"), std::string::npos);
}

TEST_F(OdbcTabTest, OptionsSwapColoursEmptyBothTextsAndChooseTheList) {
    combo("cboODBCSysDSN")->setEditText("typed system");
    combo("cboODBCUsrDSN")->setEditText("typed user");
    window->control<QRadioButton>("optODBCUsrDSN")->click();
    EXPECT_FALSE(window->control<QRadioButton>("optODBCSysDSN")->isChecked());
    EXPECT_EQ(combo("cboODBCSysDSN")->currentText(), "");
    EXPECT_EQ(combo("cboODBCUsrDSN")->currentText(), "");
    EXPECT_EQ(BackColour(combo("cboODBCSysDSN")), SysColour::Menu);
    EXPECT_EQ(BackColour(combo("cboODBCUsrDSN")), SysColour::Window);
    EXPECT_TRUE(combo("cboODBCSysDSN")->isEnabled());

    // With the user option, only the user list's text counts.
    combo("cboODBCSysDSN")->setEditText("tab-lite");
    combo("cboODBCUsrDSN")->setCurrentIndex(0);
    window->control<QPushButton>("cmdODBCPing")->click();
    EXPECT_EQ(edit("txtConInfoDBMSVal")->text(), "SQLite");
    EXPECT_NE(pane().find("ODBC connection closed."), std::string::npos);

    combo("cboODBCUsrDSN")->setEditText("typed user");
    window->control<QRadioButton>("optODBCSysDSN")->click();
    EXPECT_FALSE(window->control<QRadioButton>("optODBCUsrDSN")->isChecked());
    EXPECT_EQ(combo("cboODBCUsrDSN")->currentText(), "");
    EXPECT_EQ(BackColour(combo("cboODBCSysDSN")), SysColour::Window);
    EXPECT_EQ(BackColour(combo("cboODBCUsrDSN")), SysColour::Menu);
}

TEST_F(OdbcTabTest, EmptyDataSourceAsksForOneAndMovesTheFocus) {
    activate(*window);
    window->SSTabVIRELO()->setCurrentIndex(3);
    window->pane("txtDiagODBC")->setText("earlier text");
    combo("cboODBCUsrDSN")->setEditText("tab-mine");
    window->control("txtODBCUID")->setFocus();
    window->control<QPushButton>("cmdODBCPing")->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Please Select a System DSN");
    EXPECT_EQ(boxes.boxes[0].title, kProgramName);
    EXPECT_EQ(boxes.boxes[0].icon, platform::BoxIcon::None);
    EXPECT_EQ(focusName(), "cboODBCSysDSN");
    EXPECT_EQ(pane(), "earlier text");
    EXPECT_FALSE(std::filesystem::exists(tab().ODBCLogPath)) << "no ODBC call, no log line";

    window->control<QRadioButton>("optODBCUsrDSN")->click();
    window->control("txtODBCUID")->setFocus();
    window->control<QPushButton>("cmdODBCPing")->click();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, "Please Select a User DSN");
    EXPECT_EQ(focusName(), "cboODBCUsrDSN");
    EXPECT_EQ(pane(), "earlier text");
}

TEST_F(OdbcTabTest, ClearEmptiesTheInputsOnly) {
    ping("tab-lite", "someone", "pw");
    const Items shown = fields();
    const std::string log = pane();
    window->control<QRadioButton>("optODBCUsrDSN")->click();
    combo("cboODBCSysDSN")->setEditText("a");
    combo("cboODBCUsrDSN")->setEditText("b");
    edit("txtODBCUID")->setText("c");
    edit("txtODBCPWD")->setText("d");

    window->control<QPushButton>("cmdODBCClear")->click();
    for (const char* name : {"cboODBCSysDSN", "cboODBCUsrDSN"}) {
        EXPECT_EQ(combo(name)->currentText(), "") << name;
    }
    EXPECT_EQ(edit("txtODBCUID")->text(), "");
    EXPECT_EQ(edit("txtODBCPWD")->text(), "");
    EXPECT_EQ(fields(), shown);
    EXPECT_EQ(pane(), log);
    EXPECT_TRUE(window->control<QRadioButton>("optODBCUsrDSN")->isChecked());
    EXPECT_EQ(items("cboODBCSysDSN").size(), 2u) << "the lists stay";
}

TEST_F(OdbcTabTest, BringingTheTabToTheFrontRereadsTheListsAndDropsTypedText) {
    window->control<QRadioButton>("optODBCUsrDSN")->click();
    combo("cboODBCUsrDSN")->setEditText("typed by hand");
    listDataSource(reg::kCurrentUser, "added later", "SQLite3");
    registry.deleteValue(reg::kLocalMachine, odbc::kDataSourcesKey, "Another System DSN");

    // Dropping a list down does not reread it.
    combo("cboODBCUsrDSN")->showPopup();
    combo("cboODBCUsrDSN")->hidePopup();
    EXPECT_EQ(items("cboODBCUsrDSN"), (Items{"tab-mine"}));

    window->SSTabVIRELO()->setCurrentIndex(3);
    EXPECT_EQ(items("cboODBCSysDSN"), (Items{"tab-lite"}));
    EXPECT_EQ(items("cboODBCUsrDSN"), (Items{"tab-mine", "added later"}));
    EXPECT_EQ(combo("cboODBCUsrDSN")->currentText(), "");
    EXPECT_TRUE(window->control<QRadioButton>("optODBCUsrDSN")->isChecked());
    EXPECT_EQ(BackColour(combo("cboODBCUsrDSN")), SysColour::Window);

    // An empty registry gives empty lists.
    registry.clear();
    window->SSTabVIRELO()->setCurrentIndex(0);
    window->SSTabVIRELO()->setCurrentIndex(3);
    EXPECT_EQ(combo("cboODBCSysDSN")->count(), 0);
    EXPECT_EQ(combo("cboODBCUsrDSN")->count(), 0);
}

TEST_F(OdbcTabTest, ALogFileThatCannotBeChosenIsReportedInThePane) {
    test::ScopedEnv missingTemp("TEMP", temp.file("no-such-directory"));
    ping("tab-lite");
    EXPECT_EQ(pane().rfind("Fatal Error Fail to Obtain ODBC Information\r\nError Number: 76 ", 0),
              0u)
        << pane();
    EXPECT_NE(pane().find("no-such-directory"), std::string::npos) << pane();
    EXPECT_EQ(edit("txtConInfoDBMSVal")->text(), "") << "nothing was connected";
}

}  // namespace
}  // namespace virelo::ui
