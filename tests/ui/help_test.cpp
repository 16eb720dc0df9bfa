#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

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
    const std::tuple<const char*, SideWindow, const char*> buttons[] = {
        {"cmdtcphelp", SideWindow::TcpHelp, "TCP Help"},
        {"cmdhelpnative", SideWindow::NativeHelp, "Native Connect Help"},
        {"cmdhelpcom", SideWindow::ComHelp, "COM+ Help"},
        {"cmdhelpodbc", SideWindow::OdbcHelp, "ODBC Help"},
        {"cmdhelpjdbc", SideWindow::JdbcHelp, "JDBC Help"}};
    for (const auto& [button, which, caption] : buttons) {
        window->control<QPushButton>(button)->click();
        ASSERT_NE(sideWindows.Instance(which), nullptr) << button;
        EXPECT_EQ(sideWindows.Instance(which)->windowTitle(), caption);
    }
    QWidget* tcp = sideWindows.Instance(SideWindow::TcpHelp);
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
    std::vector<std::string> headings;  // the title, then each section's heading
    std::vector<std::string> entries;   // each entry up to " - ": the label in quotes and its kind
};

// Titles, headings and entries as the help windows list them, in order.
TEST_F(HelpTest, HelpTextsHaveTitleSectionsAndOneEntryPerControl) {
    // clang-format off
    const HelpLayout layouts[] = {
        {HelpTopic::Tcp,
         {"TCPIP TAB WINDOW:", "Client Information Section:", "Server Information Section:",
          "Service and Port Information Section:"},
         {R"e("Host Name gethostbyname()")e", R"e("Fully Qualified Host Name gethostbyname()")e",
          R"e("List of Host Aliases gethostbyname()")e",
          R"e("List of IP Addresses gethostbyname()")e",
          R"e("Ping Host By Name gethostbyname()" Option Button)e",
          R"e("Ping Host By Address gethostbyaddr()" Option Button)e", R"e("Clear" Button)e",
          R"e("TCP Ping" Button)e", R"e("Enter Host Name or IP Address here" Text Box)e",
          R"e("Host Name")e", R"e("List of Host Aliases")e", R"e("List of IP Addresses")e",
          R"e("Retrieve by Service Name getservbyname()" Option Button)e",
          R"e("Retrieve by Port Number getservbyport()" Option Button)e",
          R"e("Enter Service Name or Port # here" Text Box)e", R"e("Protocol Type" Combo Box)e",
          R"e("Retrieve" Button)e", R"e("Clear" Button)e", R"e("Service Name")e",
          R"e("List of Service Aliases")e", R"e("Port Number")e", R"e("Protocol")e"}},
        {HelpTopic::Native,
         {"NATIVE CONNECT TAB WINDOW HELP", "User Information:", "Login Information:"},
         {R"e("User Name" Text Box)e", R"e("Password" Text Box)e",
          R"e("Orvane Nembrion Server" Combo Box)e", R"e("Host Name" Text Box)e",
          R"e("Services" Text Box)e", R"e("Protocol" Text Box)e", R"e("Database" Text Box)e"}},
        {HelpTopic::Com,
         {"COM+ TAB WINDOW HELP", "Data Source Information Section:"},
         {R"e("COM Object is loaded on:")e", R"e("ODBC System DSN" Option Button and Combo Box)e",
          R"e("ODBC User DSN" Option Button and Combo Box)e",
          R"e("Build a ODBC DSNLESS Connection String" Option Button and Combo Box)e",
          R"e("Build a OLE DB Connection String" Option Button and Combo Box)e",
          R"e("Create or Modify Connection String" Option Button and Combo Box)e",
          R"e("View Current String" Button)e", R"e("Server Name" Combo Box)e",
          R"e("Look up" Button)e",
          R"e("Host Name" Text Box)e", R"e("Service Name / Port #")e", R"e("Protocol" Combo Box)e",
          R"e("Database Name" Text Box)e", R"e("User Name" Text Box)e", R"e("Password" Text Box)e",
          R"e("COM+ Ping" Button)e", R"e("Clear" Button)e"}},
        {HelpTopic::Odbc,
         {"ODBC TAB WINDOW HELP:", "ODBC API Connection Section:",
          "Connection Information Section:", "Driver Information Section:"},
         {R"e("ODBC System DSN" Option Button and Combo Box)e",
          R"e("ODBC User DSN" Option Button and Combo Box)e", R"e("User Name" Text Box)e",
          R"e("Password" Text Box)e", R"e("ODBC Ping" Button)e", R"e("Clear" Button)e",
          R"e("User Name")e", R"e("Database Name")e", R"e("DBMS Name")e", R"e("Database Version")e",
          R"e("Driver Name")e", R"e("Driver Version")e", R"e("ODBC Version")e",
          R"e("Driver ODBC Version")e"}},
        {HelpTopic::Jdbc,
         {"JDBC TAB WINDOW HELP", "Build Connection URL Section:", "Connection URL Section:"},
         {R"e("Build Connection URL:" Option Button)e", R"e("Driver:" Combo Box)e",
          R"e("Proto:" Combo Box)e", R"e("Host:" Text Box)e", R"e("Port:" Text Box)e",
          R"e("DBName:" Text Box)e", R"e("User:" Text Box)e", R"e("Pass:" Text Box)e",
          R"e("Parameter:" Text Box)e", R"e("Value:" Text Box)e", R"e("Set" Button)e",
          R"e("Delete" Button)e", R"e("Connection URL:" Option Button)e",
          R"e("View Current URL" Button)e", R"e("JDBC Ping" Button)e"}},
    };
    // clang-format on
    for (const auto& layout : layouts) {
        const std::string text = HelpText(layout.topic);
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "lines end in CR LF";
        const QStringList lines = QString::fromStdString(text).split("\r\n");
        std::vector<std::string> headings{lines.front().toStdString()};
        std::vector<std::string> entries;
        for (int i = 1; i < lines.size(); ++i) {
            const QString& line = lines[i];
            EXPECT_LE(line.size(), 95) << line.toStdString();
            if (!lines[i - 1].isEmpty() || line.isEmpty()) {
                continue;  // not the first line of a block
            }
            if (line.startsWith('"')) {
                const int dash = line.indexOf(" - ");
                ASSERT_GT(dash, 0) << line.toStdString();
                entries.push_back(line.left(dash).toStdString());
            } else {
                headings.push_back(line.toStdString());
                EXPECT_TRUE(line.endsWith(':') && i + 1 < lines.size() && lines[i + 1].isEmpty())
                    << line.toStdString();
            }
        }
        EXPECT_EQ(headings, layout.headings);
        EXPECT_EQ(entries, layout.entries);
    }
}

}  // namespace
}  // namespace virelo::ui
