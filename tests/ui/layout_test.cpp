#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "support/WindowFixture.h"
#include "ui/ColourCue.h"
#include "ui/Layout.h"

namespace virelo::ui {
namespace {

using LayoutTest = test::WindowFixture;

TEST_F(LayoutTest, WindowAndTabsAsDesigned) {
    auto window = open();
    EXPECT_EQ(window->windowTitle(),
              "VIRELO   A TECH SUPPORT UTILITY USED TO DIAGNOSE CONNECTIVITY ISSUES ");
    EXPECT_EQ(window->size(), QSize(795, 589));  // 11925 x 8835 twips at 96 DPI
    QTabWidget* tabs = window->SSTabVIRELO();
    EXPECT_EQ(tabs->size(), QSize(793, 585));
    const char* captions[] = {"TCPIP", "Native Connect", "COM+", "ODBC", "JDBC"};
    ASSERT_EQ(tabs->count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    }
    EXPECT_EQ(tabs->currentIndex(), 0);
}

TEST_F(LayoutTest, SpotChecksOfControls) {
    auto window = open();
    // Inside a frame, places are measured from the frame: 6120, 360 twips is 408, 24 pixels.
    auto* ping = window->control<QPushButton>("cmdPingTCP");
    ASSERT_NE(ping, nullptr);
    EXPECT_EQ(ping->parentWidget()->objectName(), "fraServer");
    EXPECT_EQ(ping->geometry(), QRect(408, 24, 81, 25));
    EXPECT_EQ(ping->text(), "TCP Ping");
    EXPECT_EQ(window->control<QPushButton>("cmdPingADO")->text(), "COM+  Ping");
    EXPECT_EQ(window->control<QLabel>("lblinstructions")->text(),
              "Enter Host Name or IP Address here ");
    EXPECT_EQ(window->control<QGroupBox>("frameURLJDBC")->title(), "");
    EXPECT_EQ(window->control<QGroupBox>("frameBuildURLJDBC")->parentWidget()->objectName(),
              "frameURLJDBC");
    EXPECT_EQ(window->control("txtEnterHostName")->toolTip(), "Enter Host Name Or Ip Address here");
    EXPECT_EQ(window->control("cboProtocol")->toolTip(),
              "Select TCP or UDP here (will default to TCP)");
    EXPECT_EQ(window->control<QLineEdit>("txtEnterHostName")->text(), "");
    EXPECT_EQ(window->control<QLineEdit>("txtEnterSrvPort")->text(), "");

    for (const char* selected :
         {"optHostbyName", "optServiceName", "optSystemDSN", "optODBCSysDSN", "optBuildURLJDBC"}) {
        EXPECT_TRUE(window->control<QRadioButton>(selected)->isChecked()) << selected;
    }
    for (const char* other : {"optHostbyAddr", "optPortName", "optUserDSN", "optDSNLess",
                              "optODBCUsrDSN", "optStringURLJDBC"}) {
        EXPECT_FALSE(window->control<QRadioButton>(other)->isChecked()) << other;
    }
    for (const char* password : {"txtPasswordCon", "txtPWD", "txtODBCPWD", "txtPassJDBC"}) {
        EXPECT_EQ(window->control<QLineEdit>(password)->echoMode(), QLineEdit::Password)
            << password;
    }
    EXPECT_EQ(BackColour(window->control("cboUserDSN")), SysColour::Menu);
    EXPECT_EQ(BackColour(window->control("cboSystemDSN")), SysColour::Window);
    EXPECT_EQ(BackColour(window->control("txtDSNLess")), SysColour::Menu);
}

TEST_F(LayoutTest, PanesAndDisplayFieldsCannotBeTypedIntoOrTabbedTo) {
    auto window = open();
    for (const char* name :
         {"txtDiagTCP", "txtErrorCon", "txtDiagCOM", "txtDiagODBC", "txtMessagesJDBC"}) {
        MessagePane* pane = window->pane(name);
        ASSERT_NE(pane, nullptr) << name;
        EXPECT_TRUE(pane->isReadOnly()) << name;
        EXPECT_EQ(pane->focusPolicy() & Qt::TabFocus, 0) << name;
        EXPECT_EQ(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn) << name;
    }
    for (const char* name : {"txtComputerTCP", "txtSName", "txtConInfoDBVerVal", "txtDrvSQLVal"}) {
        auto* field = window->control<QLineEdit>(name);
        EXPECT_TRUE(field->isReadOnly()) << name;
        EXPECT_EQ(field->focusPolicy() & Qt::TabFocus, 0) << name;
        QTest::keyClicks(field, "typed");
        EXPECT_FALSE(field->text().contains("typed")) << name;
    }
}

TEST_F(LayoutTest, EveryCaptionIsReadableAtNinetySixDpi) {
    auto window = open();
    activate(*window);  // fonts and styles are final once the window is shown
    for (const ControlRow& row : MainWindowLayout()) {
        QWidget* control = window->control(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        EXPECT_EQ(control->objectName(), row.name);
        const QFontMetrics metrics = control->fontMetrics();
        const QString caption = QString::fromUtf8(row.caption);
        switch (row.kind) {
            case Kind::Label:
            case Kind::Option: {
                EXPECT_LE(control->heightForWidth(control->width()), control->height()) << row.name;
                int indicator = row.kind == Kind::Option ? 20 : 0;
                for (const QString& word : caption.split(' ', Qt::SkipEmptyParts)) {
                    EXPECT_LE(metrics.horizontalAdvance(word) + indicator, control->width())
                        << row.name << ": '" << word.toStdString() << "' does not fit";
                }
                EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry()))
                    << row.name << " leaves its container";
                break;
            }
            case Kind::Button:
                EXPECT_LE(metrics.horizontalAdvance(caption) + 8, control->width()) << row.name;
                EXPECT_LE(metrics.height() + 4, control->height()) << row.name;
                break;
            case Kind::Frame:
                EXPECT_LE(metrics.horizontalAdvance(caption) + 16, control->width()) << row.name;
                break;
            default:
                break;
        }
    }
}

}  // namespace
}  // namespace virelo::ui
