// The support report from the window: every tab run through its controls, then Ctrl+S and the
// panes' context menus. The report holds each used tab's inputs, pane and log, and no password.
#include <sys/stat.h>

#include <QClipboard>
#include <QMenu>
#include <filesystem>
#include <fstream>
#include <regex>

#include "support/OdbcIni.h"
#include "support/WindowFixture.h"
#include "ui/ReportActions.h"
#include "ui/tabs/JdbcTab.h"
#include "ui/tabs/OdbcTab.h"

namespace virelo::ui {
namespace {

using testing::AllOf;
using testing::HasSubstr;
using testing::Not;

// Tries the paths in turn, as a user choosing again after each refusal.
class ScriptedDialog : public ReportFileDialog {
public:
    void Run(QWidget*, const std::string& offered,
             const std::function<bool(const std::string&)>& save) override {
        proposed.push_back(offered);
        for (const std::string& path : paths) {
            if (save(path)) {
                return;
            }
        }
    }
    std::vector<std::string> paths, proposed;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a pane or log shows, with the report's line ends.
std::string Plain(std::string text) {
    return std::regex_replace(text, std::regex("\r\n"), "\n");
}

class ReportTest : public test::WindowFixture {
protected:
    ReportActions& actions() { return *window->findChild<ReportActions*>("reportActions"); }
};

TEST_F(ReportTest, AfterAllFiveTabsTheSavedReportHoldsEachTabAndNoPassword) {
    const std::string secret = "Rep0rt-S3cret";
    test::OdbcIni ini;
    ini.systemDsn("rep-lite", {{"Driver", test::kSqliteDriver},
                               {"Database", test::OdbcProcessConfig::SqliteDatabase()}});
    test::ScopedEnv classPath("CLASSPATH",
                              std::string(VIRELO_JDBC_JAR) + ":/usr/share/java/h2.jar");

    // Only the TCP/IP tab, whose client look-ups start-up made, before any other is used.
    std::string before = actions().Report();
    EXPECT_THAT(before, AllOf(HasSubstr("\nTCPIP\n=====\n"), Not(HasSubstr("\nJDBC\n====\n")),
                              HasSubstr("(not asked: no JDBC check was made)")));

    fill("txtEnterHostName=localhost");
    click("cmdPingTCP");
    // Where a password was typed by mistake, only the report's own mask hides it.
    fill(
        "cboServerCon=ol_rep|txtHostCon=127.0.0.1|txtServiceCon=1|cboProtocolCon=kasoctcp|"
        "txtUserNameCon=bob|txtDatabaseCon=" +
        secret + "|txtPasswordCon=" + secret);
    click("cmdPingCon");
    click("optDSNLess");
    set("txtDSNLess", "DSN=rep-lite;UID=bob;PWD=" + secret);
    click("cmdPingADO");
    fill("cboODBCSysDSN=rep-lite|txtODBCUID=bob|txtODBCPWD=" + secret);
    click("cmdODBCPing");
    window->control<QAbstractButton>("optStringURLJDBC")->setChecked(true);
    fill(
        "cmbDriverClassJDBC=org.h2.Driver|txtUserJDBC=sa|txtConURLJDBC=jdbc:h2:mem:rep|"
        "txtParamValueJDBC=password=" +
        secret + "|txtPassJDBC=" + secret);
    click("cmdConnectCompJDBC");

    ScriptedDialog dialog;
    std::filesystem::create_directory(temp.file("taken"));
    dialog.paths = {temp.file("no-such-dir/r.txt"), temp.file("taken"), temp.file("r.txt")};
    actions().SetDialog(dialog);
    boxes.boxes.clear();
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);

    ASSERT_EQ(dialog.proposed.size(), 1u);
    EXPECT_TRUE(std::regex_match(
        dialog.proposed[0],
        std::regex(QDir::homePath().toStdString() + R"(/virelo-report-[\w.-]+-\d{8}-\d{6}\.txt)")))
        << dialog.proposed[0];
    // Each refused file says why, and the dialog stays open for the next choice.
    const Texts shown = boxTexts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_THAT(shown[0], HasSubstr("no-such-dir does not exist"));
    EXPECT_THAT(shown[1], HasSubstr("taken: is a directory"));
    struct stat st {};
    ASSERT_EQ(::stat(temp.file("r.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const std::string report = Slurp(temp.file("r.txt"));
    EXPECT_THAT(report, Not(HasSubstr(secret)));
    EXPECT_THAT(report, AllOf(HasSubstr("Program             virelo 2.81, Qt 6."),
                              HasSubstr("OpenJDK"), HasSubstr("java.home = ")));
    const char* sections[][2] = {{"TCPIP\n=====", "txtDiagTCP"},
                                 {"Native Connect\n==============", "txtErrorCon"},
                                 {"COM+\n====", "txtDiagCOM"},
                                 {"ODBC\n====", "txtDiagODBC"},
                                 {"JDBC\n====", "txtMessagesJDBC"}};
    for (const auto& [title, pane] : sections) {
        EXPECT_THAT(report, HasSubstr(std::string("\n") + title + "\n")) << title;
        std::string masked = Plain(text(pane));
        masked = std::regex_replace(masked, std::regex(secret), "########");
        EXPECT_THAT(report, HasSubstr("Message pane " + std::string(pane) + "\n" +
                                      std::string(13 + std::strlen(pane), '-') + "\n" + masked))
            << pane;
    }
    // The inputs, a password only as given; and the logs of the last runs, read from their files.
    EXPECT_THAT(report, AllOf(HasSubstr("\nEnter Host Name or IP Address here  localhost\n"),
                              HasSubstr("\nUser Name           bob\n"),
                              HasSubstr("\nPassword            (given)\n"),
                              HasSubstr("\nDatabase            ########\n"),
                              HasSubstr("\nValue               password=########\n"),
                              HasSubstr("\nConnection URL      jdbc:h2:mem:rep\n")));
    for (const std::string& log : {window->odbcTab().ODBCLogPath, window->jdbcTab().JDBCLogPath}) {
        EXPECT_THAT(report, HasSubstr("Log of the last run: " + log + "\n")) << log;
        EXPECT_THAT(report, HasSubstr(Plain(Slurp(log)))) << log;
    }

    // Every pane's context menu offers both entries; Copy Report gives the same report.
    for (const auto& [title, pane] : sections) {
        std::unique_ptr<QMenu> menu(actions().PaneMenu(window->pane(pane)));
        auto* save = menu->findChild<QAction*>("mnuSaveReport");
        auto* copy = menu->findChild<QAction*>("mnuCopyReport");
        ASSERT_TRUE(save != nullptr && copy != nullptr) << pane;
        EXPECT_EQ(save->text().toStdString() + "|" + copy->text().toStdString(),
                  "Save Report...|Copy Report");
    }
    std::unique_ptr<QMenu> menu(actions().PaneMenu(window->pane("txtDiagODBC")));
    menu->findChild<QAction*>("mnuCopyReport")->trigger();
    const std::string copied = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_THAT(copied, AllOf(HasSubstr("\nJDBC\n====\n"), Not(HasSubstr(secret))));
}

}  // namespace
}  // namespace virelo::ui
