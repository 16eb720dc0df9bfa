#include <QLabel>
#include <QPlainTextEdit>
#include <algorithm>

#include "support/WindowFixture.h"
#include "ui/HelpTexts.h"

namespace virelo::ui {
namespace {

using HelpTest = test::WindowFixture;

// One About window serves the whole program; help windows are one per topic, come back with
// their initial text, and stay open when the main window closes.
TEST_F(HelpTest, SideWindowsAreOneOfAKindAndOutliveTheWindow) {
    const auto abouts = [] {
        return std::ranges::count_if(QApplication::topLevelWidgets(),
                                     [](QWidget* w) { return w->objectName() == "frmAbout"; });
    };
    click("cmdAboutTCP");
    QWidget* about = sideWindows.Instance(SideWindow::About);
    ASSERT_NE(about, nullptr);
    click("cmbJDBCAbout");
    EXPECT_EQ(sideWindows.Instance(SideWindow::About), about);
    EXPECT_EQ(abouts(), 1);
    EXPECT_EQ(about->windowTitle(), "About VIRELO");
    EXPECT_EQ(about->findChild<QLabel*>("Label1")->text(),
              "Orvane Nembrion Virelo Version 2.81.TC1");
    EXPECT_FALSE(about->isModal());
    about->findChild<QAbstractButton*>("cmdClose")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // closed ones go
    EXPECT_EQ(sideWindows.Instance(SideWindow::About), nullptr);
    EXPECT_EQ(abouts(), 0);

    const std::tuple<const char*, SideWindow, const char*> buttons[] = {
        {"cmdtcphelp", SideWindow::TcpHelp, "TCP Help"},
        {"cmdhelpnative", SideWindow::NativeHelp, "Native Connect Help"},
        {"cmdhelpcom", SideWindow::ComHelp, "COM+ Help"},
        {"cmdhelpodbc", SideWindow::OdbcHelp, "ODBC Help"},
        {"cmdhelpjdbc", SideWindow::JdbcHelp, "JDBC Help"}};
    for (const auto& [button, which, caption] : buttons) {
        click(button);
        ASSERT_NE(sideWindows.Instance(which), nullptr) << button;
        EXPECT_EQ(sideWindows.Instance(which)->windowTitle(), caption);
    }
    QWidget* tcp = sideWindows.Instance(SideWindow::TcpHelp);
    auto* text = tcp->findChild<QPlainTextEdit*>("Text1");
    ASSERT_NE(text, nullptr);
    const QString initial = text->toPlainText();
    EXPECT_TRUE(initial.startsWith("TCPIP TAB WINDOW:\n"));
    EXPECT_FALSE(text->isReadOnly());
    click("cmdtcphelp");
    EXPECT_EQ(sideWindows.Instance(SideWindow::TcpHelp), tcp) << "pressed again: same window";

    text->setPlainText("edited by the user");
    tcp->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // closed ones go
    click("cmdtcphelp");
    QWidget* again = sideWindows.Instance(SideWindow::TcpHelp);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->findChild<QPlainTextEdit*>("Text1")->toPlainText(), initial);

    click("cmdODBCClose");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // closed ones go
    EXPECT_FALSE(window->isVisible());
    ASSERT_NE(sideWindows.Instance(SideWindow::OdbcHelp), nullptr);
    EXPECT_TRUE(sideWindows.Instance(SideWindow::OdbcHelp)->isVisible());
}

// Each help text: its title and section headings (each ending with a colon, alone in its
// block), then one block per control whose first line starts with the control's label in quotes
// and " - "; lines end in CR LF and fit the window. The first entry and the count of entries are
// checked here: a lost or doubled entry changes the count.
TEST_F(HelpTest, HelpTextsHaveTitleSectionsAndOneEntryPerControl) {
    const std::tuple<HelpTopic, const char*, int, const char*> layouts[] = {
        {HelpTopic::Tcp,
         "TCPIP TAB WINDOW:|Client Information Section:|Server Information Section:|"
         "Service and Port Information Section:|",
         22, R"e("Host Name gethostbyname()")e"},
        {HelpTopic::Native, "NATIVE CONNECT TAB WINDOW HELP|User Information:|Login Information:|",
         7, R"e("User Name" Text Box)e"},
        {HelpTopic::Com, "COM+ TAB WINDOW HELP|Data Source Information Section:|", 17,
         R"e("COM Object is loaded on:")e"},
        {HelpTopic::Odbc,
         "ODBC TAB WINDOW HELP:|ODBC API Connection Section:|Connection Information Section:|"
         "Driver Information Section:|",
         14, R"e("ODBC System DSN" Option Button and Combo Box)e"},
        {HelpTopic::Jdbc,
         "JDBC TAB WINDOW HELP|Build Connection URL Section:|Connection URL Section:|", 15,
         R"e("Build Connection URL:" Option Button)e"},
    };
    for (const auto& [topic, headings, entries, first] : layouts) {
        SCOPED_TRACE(headings);
        const std::string text = HelpText(topic);
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "lines end in CR LF";
        const QStringList lines = QString::fromStdString(text).split("\r\n");
        std::string shownHeadings = lines.front().toStdString() + "|";
        std::vector<std::string> labels;
        for (int i = 1; i < lines.size(); ++i) {
            const QString& line = lines[i];
            EXPECT_LE(line.size(), 95) << line.toStdString();
            if (!lines[i - 1].isEmpty() || line.isEmpty()) {
                continue;  // not the first line of a block
            }
            if (line.startsWith('"')) {
                ASSERT_GT(line.indexOf(" - "), 0) << line.toStdString();
                labels.push_back(line.left(line.indexOf(" - ")).toStdString());
            } else {
                shownHeadings += line.toStdString() + "|";
                EXPECT_TRUE(line.endsWith(':') && i + 1 < lines.size() && lines[i + 1].isEmpty())
                    << line.toStdString();
            }
        }
        EXPECT_EQ(shownHeadings, headings);
        ASSERT_EQ(static_cast<int>(labels.size()), entries);
        EXPECT_EQ(labels.front(), first);
    }
}

}  // namespace
}  // namespace virelo::ui
