#include <filesystem>

#include "support/WindowFixture.h"

namespace virelo::ui {
namespace {

using StartupTest = test::WindowFixture;
using testing::HasSubstr;
using testing::StartsWith;

TEST_F(StartupTest, ShowsTheClientHostAndItsLog) {
    // The 256-character holder.
    EXPECT_EQ(text("txtComputerTCP"), "test-ws" + std::string(256 - 7, ' '));
    EXPECT_EQ(text("txtQualifiedNameTCP"), "test-ws");
    EXPECT_EQ(items("lstAliasListTCP"), (Texts{"test-ws.example.test", ""}));
    EXPECT_EQ(items("lstIpAddressTCP"), (Texts{"127.0.0.1", ""}));
    EXPECT_EQ(text("txtDiagTCP"),
              "\r\n3:04:05 PM : HostName: test-ws Retieved"
              "\r\n3:04:05 PM : Fully Qualified HostName: test-ws"
              "\r\n3:04:05 PM : Host Aliases retrieved"
              "\r\n3:04:05 PM : Host IP Address(s) retrieved");
    EXPECT_EQ(window->LogPath, temp.file("virelo.log"));

    EXPECT_EQ(items("cboProtocol"), (Texts{"TCP", "UDP"}));
    EXPECT_EQ(text("cboProtocol"), "TCP");
    EXPECT_EQ(window->TabIndexOf("txtEnterHostName"), 1);
    EXPECT_EQ(window->TabIndexOf("cmdCloseTCP"), 14);
    EXPECT_EQ(window->TabIndexOf("txtUserNameCon"), 0) << "start-up assigns no wrap row";
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(sockets.startups, 1);
    EXPECT_EQ(sockets.cleanups, 0);
    EXPECT_EQ(open()->LogPath, temp.file("virelo1.log")) << "the first instance keeps its log";
}

TEST_F(StartupTest, SocketsStartupFailureShowsItsBoxAndStartUpGoesOn) {
    const std::pair<std::int32_t, const char*> failures[] = {
        {10091, "The underlying network subsystem is not ready for network communication."},
        {10022,
         "The Windows Sockets version specified by the application is not supported by this DLL."},
        {10092,
         "The version of Windows Sockets API support requested is not provided by this particular "
         "Windows Sockets implementation."},
        {10036, ""}};
    for (const auto& [code, box] : failures) {
        SCOPED_TRACE(code);
        window.reset();  // its session would serve the next window's look-ups
        boxes.boxes.clear();
        sockets.startupFailure = code;
        window = open();
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, box);
        EXPECT_EQ(boxes.boxes[0].title, "VIRELO");
        EXPECT_EQ(boxes.boxes[0].icon, platform::BoxIcon::Critical);
        // The host look-ups then fail, and the pane shows why.
        EXPECT_EQ(text("txtDiagTCP"), "\r\n3:04:05 PM : 10093\r\n3:04:05 PM : 10093");
        EXPECT_EQ(text("txtQualifiedNameTCP"), "");
        EXPECT_EQ(items("lstAliasListTCP").size() + items("lstIpAddressTCP").size(), 0u);
    }
}

// A TEMP that cannot be used costs the log, not the client fields: the pane says once, naming the
// directory, why there is none, and no empty log is left behind.
TEST_F(StartupTest, AnUnusableTempCostsTheLogButNotTheClientFields) {
    {
        test::ScopedEnv missing("TEMP", temp.file("missing"));
        window = open();
    }
    EXPECT_EQ(text("txtDiagTCP"),
              "Start-up could not choose a log file.\r\nError Number: 76 Error Source: GetLogPath "
              "Error Description: Path not found: the TEMP directory " +
                  temp.file("missing") + " cannot hold log files (" + temp.file("missing") +
                  " does not exist)\r\n");
    EXPECT_EQ(text("txtQualifiedNameTCP"), "test-ws");
    std::filesystem::create_directory(temp.file("full"));
    {
        test::ScopedEnv full("TEMP", temp.file("full"));
        test::FullDisk noSpace;
        window = open();
    }
    EXPECT_EQ(text("txtDiagTCP"), "Start-up could not write the log file in " + temp.file("full") +
                                      ".\r\nError Number: 75 Error Source: WriteLog Error "
                                      "Description: Path/File access error (" +
                                      temp.file("full/virelo.log") + ": File too large)\r\n");
    EXPECT_EQ(items("lstIpAddressTCP"), (Texts{"127.0.0.1", ""}));
    EXPECT_TRUE(std::filesystem::is_empty(temp.file("full")));
}

// The component that cannot be created, and what the panes say about it.
std::unique_ptr<complus::ConnectionTester> NoTester() {
    throw Error(429, "VIRELO", "ActiveX component can't create object");
}
const std::string kNoTester =
    "Error Number: 429 Error Source: VIRELO Error Description: ActiveX component can't create "
    "object\r\n";

// A start-up step that fails is reported after the log and start-up goes on. The lists of the
// tabs behind the first are filled right after the window's first paint, or at the user's first
// input when that comes sooner; then the TCP/IP pane shows what start-up could not do in the
// order of its steps, the lists first.
TEST_F(StartupTest, AFailingStepIsReportedAndTheOtherTabsListsFollowTheFirstPaint) {
    test::ScopedEnv missing("TEMP", temp.file("missing"));
    const std::string noLog =
        "Start-up could not choose a log file.\r\nError Number: 76 Error Source: GetLogPath Error "
        "Description: Path not found: the TEMP directory ";
    for (const bool painted : {true, false}) {
        window.reset();
        window = std::make_unique<frmVIRELO>(platform, sideWindows,
                                             frmVIRELO::Components{{}, NoTester}, kDpi);
        EXPECT_TRUE(items("cmbProtocolJDBC").empty() && items("cboProtocolCon").empty());
        EXPECT_THAT(text("txtDiagTCP"), StartsWith(noLog));
        if (painted) {
            window->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
            QApplication::processEvents();
        } else {
            QTest::keyClick(window->control("txtEnterHostName"), Qt::Key_Shift);
        }
        EXPECT_FALSE(items("cmbProtocolJDBC").empty()) << painted;
        EXPECT_EQ(items("cboProtocolCon").size(), 9u) << painted;
        EXPECT_THAT(text("txtDiagTCP"),
                    StartsWith("Start-up could not fill the COM+ lists.\r\n" + kNoTester + noLog))
            << painted;
    }
}

// A list filler that fails when its tab comes to the front writes the error branch into that
// tab's pane, and the switch goes on.
TEST_F(StartupTest, AListFillerFailingAtATabSwitchWritesItsErrorBranch) {
    window = open({.CreateNativeConnector = {}, .CreateConnectionTester = NoTester});
    activate();
    window->SSTabVIRELO()->setCurrentIndex(2);
    EXPECT_EQ(text("txtDiagCOM"),
              "Fatal Error Fail to Obtain client Information sucessfully\r\n" + kNoTester);
    EXPECT_EQ(window->TabIndexOf("cboSystemDSN"), 1) << "the switch got that far";
    EXPECT_EQ(focusName(), "cboSystemDSN");
}

TEST_F(StartupTest, EveryCloseButtonUnloadsOnceAndCleansUpSockets) {
    for (const char* button :
         {"cmdCloseTCP", "cmdCloseCon", "cmdCloseODBC", "cmdODBCClose", "cmdJDBCClose"}) {
        SCOPED_TRACE(button);
        window = open();
        sockets.cleanups = 0;
        window->show();
        click(button);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(sockets.cleanups, 1);
        window->close();
        window.reset();
        EXPECT_EQ(sockets.cleanups, 1) << "WSACleanup ran more than once";
    }
}

}  // namespace
}  // namespace virelo::ui
