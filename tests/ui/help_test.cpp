#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "support/WindowFixture.h"
#include "ui/HelpTexts.h"

namespace virelo::ui {
namespace {

using HelpTest = test::WindowFixture;

void DeleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int CountTopLevel(const QString& name) {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        count += w->objectName() == name ? 1 : 0;
    }
    return count;
}

TEST_F(HelpTest, OneAboutWindowForTheWholeProgram) {
    auto window = open();
    window->control<QPushButton>("cmdAboutTCP")->click();
    QWidget* about = sideWindows.Instance(SideWindow::About);
    ASSERT_NE(about, nullptr);
    window->control<QPushButton>("cmbJDBCAbout")->click();
    EXPECT_EQ(sideWindows.Instance(SideWindow::About), about);
    EXPECT_EQ(CountTopLevel("frmAbout"), 1);
    EXPECT_EQ(about->windowTitle(), "About VIRELO");
    EXPECT_EQ(about->findChild<QLabel*>("Label1")->text(),
              "Orvane Nembrion Virelo Version 2.81.TC1");
    EXPECT_FALSE(about->isModal());

    about->findChild<QPushButton*>("cmdClose")->click();
    DeleteClosedWindows();
    EXPECT_EQ(sideWindows.Instance(SideWindow::About), nullptr);
    EXPECT_EQ(CountTopLevel("frmAbout"), 0);
}

TEST_F(HelpTest, HelpWindowsComeBackWithTheirInitialText) {
    auto window = open();
    const std::pair<const char*, const char*> buttons[] = {{"cmdtcphelp", "TCP Help"},
                                                           {"cmdhelpnative", "Native Connect Help"},
                                                           {"cmdhelpcom", "COM+ Help"},
                                                           {"cmdhelpodbc", "ODBC Help"},
                                                           {"cmdhelpjdbc", "JDBC Help"}};
    for (const auto& [button, caption] : buttons) {
        window->control<QPushButton>(button)->click();
    }
    QWidget* tcp = sideWindows.Instance(SideWindow::TcpHelp);
    ASSERT_NE(tcp, nullptr);
    EXPECT_EQ(tcp->windowTitle(), "TCP Help");
    EXPECT_EQ(sideWindows.Instance(SideWindow::JdbcHelp)->windowTitle(), "JDBC Help");
    auto* text = tcp->findChild<QPlainTextEdit*>("Text1");
    ASSERT_NE(text, nullptr);
    const QString initial = text->toPlainText();
    EXPECT_TRUE(initial.startsWith("TCPIP TAB WINDOW:\n"));
    EXPECT_FALSE(text->isReadOnly());

    window->control<QPushButton>("cmdtcphelp")->click();
    EXPECT_EQ(sideWindows.Instance(SideWindow::TcpHelp), tcp) << "pressed again: same window";

    text->setPlainText("edited by the user");
    tcp->close();
    DeleteClosedWindows();
    window->control<QPushButton>("cmdtcphelp")->click();
    QWidget* again = sideWindows.Instance(SideWindow::TcpHelp);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->findChild<QPlainTextEdit*>("Text1")->toPlainText(), initial);
}

TEST_F(HelpTest, ClosingTheMainWindowLeavesHelpOpen) {
    auto window = open();
    window->show();
    window->control<QPushButton>("cmdhelpodbc")->click();
    window->control<QPushButton>("cmdODBCClose")->click();
    DeleteClosedWindows();
    ASSERT_NE(sideWindows.Instance(SideWindow::OdbcHelp), nullptr);
    EXPECT_TRUE(sideWindows.Instance(SideWindow::OdbcHelp)->isVisible());
    EXPECT_FALSE(window->isVisible());
}

struct HelpLayout {
    HelpTopic topic;
    std::vector<std::string> headings;
    std::vector<std::string> entries;  // each entry's quoted label, in order
};

TEST_F(HelpTest, HelpTextsHaveTitleSectionsAndOneEntryPerControl) {
    const HelpLayout layouts[] = {
        {HelpTopic::Tcp,
         {"TCPIP TAB WINDOW:", "Client Information Section:", "Server Information Section:",
          "Service and Port Information Section:"},
         {"Host Name gethostname()",
          "Fully Qualified Host Name gethostbyname()",
          "List of Host Aliases gethostbyname()",
          "List of IP Addresses gethostbyname()",
          "Ping Host By Name gethostbyname()",
          "Ping Host By Address gethostbyaddr()",
          "Clear",
          "TCP Ping",
          "Enter Host Name or IP Address here",
          "Host Name",
          "List of Host Aliases",
          "List of IP Addresses",
          "Retrieve by Service Name getservbyname()",
          "Retrieve by Port Number getservbyport()",
          "Enter Service Name or Port # here",
          "Protocol Type",
          "Retrieve",
          "Clear",
          "Service Name",
          "List of Service Aliases",
          "Port Number",
          "Protocol"}},
        {HelpTopic::Native,
         {"NATIVE CONNECT TAB WINDOW HELP", "User Information:", "Login Information:"},
         {"User Name", "Password", "Orvane Nembrion Server", "Host Name", "Services", "Protocol",
          "Database"}},
        {HelpTopic::Com,
         {"COM+ TAB WINDOW HELP", "Data Source Information Section:"},
         {"COM Object is loaded on:", "ODBC System DSN", "ODBC User DSN",
          "Build a ODBC DSNLESS Connection String", "Build a OLE DB Connection String",
          "Create or Modify Connection String", "View Current String", "Server Name", "Look up",
          "Host Name", "Service Name / Port #", "Protocol", "Database Name", "User Name",
          "Password", "COM+ Ping", "Clear"}},
        {HelpTopic::Odbc,
         {"ODBC TAB WINDOW HELP:", "ODBC API Connection Section:",
          "Connection Information Section:", "Driver Information Section:"},
         {"ODBC System DSN", "ODBC User DSN", "User Name", "Password", "ODBC Ping", "Clear",
          "User Name", "Database Name", "DBMS Name", "Database Version", "Driver Name",
          "Driver Version", "ODBC Version", "Driver ODBC Version"}},
        {HelpTopic::Jdbc,
         {"JDBC TAB WINDOW HELP", "Build Connection URL Section:", "Connection URL Section:"},
         {"Build Connection URL:", "Driver:", "Proto:", "Host:", "Port:", "DBName:", "User:",
          "Pass:", "Parameter:", "Value:", "Set", "Delete", "Connection URL:", "View Current URL",
          "JDBC Ping"}},
    };
    const QRegularExpression entryStart(R"re(^"([^"]+)"( [A-Za-z ]+)? - \S)re");
    for (const auto& layout : layouts) {
        const std::string text = HelpText(layout.topic);
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "lines end in CR LF";
        const QStringList lines = QString::fromStdString(text).split("\r\n");
        EXPECT_EQ(lines.front().toStdString(), layout.headings.front());

        std::vector<std::string> headings{lines.front().toStdString()};
        std::vector<std::string> entries;
        for (int i = 1; i < lines.size(); ++i) {
            const QString& line = lines[i];
            EXPECT_LE(line.size(), 95) << line.toStdString();
            const bool startsBlock = lines[i - 1].isEmpty() && !line.isEmpty();
            if (!startsBlock) {
                continue;
            }
            if (line.endsWith(':') && !line.startsWith('"')) {
                headings.push_back(line.toStdString());
                EXPECT_TRUE(i + 1 < lines.size() && lines[i + 1].isEmpty()) << line.toStdString();
            } else {
                const auto match = entryStart.match(line);
                ASSERT_TRUE(match.hasMatch()) << line.toStdString();
                entries.push_back(match.captured(1).toStdString());
            }
        }
        EXPECT_EQ(headings, layout.headings);
        EXPECT_EQ(entries, layout.entries);
    }
}

}  // namespace
}  // namespace virelo::ui
