#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include "support/WindowFixture.h"

namespace virelo::ui {
namespace {

using test::WindowFixture;

// The items of a list box or of a combo box's list.
template <typename ListOrCombo>
std::vector<std::string> Items(const ListOrCombo* control) {
    const QAbstractItemModel* model = control->model();
    std::vector<std::string> items;
    for (int i = 0; i < model->rowCount(); ++i) {
        items.push_back(model->index(i, 0).data().toString().toStdString());
    }
    return items;
}

using StartupTest = WindowFixture;

TEST_F(StartupTest, ShowsTheClientHostAndItsLog) {
    auto window = open();
    const std::string holder = window->control<QLineEdit>("txtComputerTCP")->text().toStdString();
    EXPECT_EQ(holder, "test-ws" + std::string(256 - 7, ' ')) << "the 256-character holder";
    EXPECT_EQ(window->control<QLineEdit>("txtQualifiedNameTCP")->text(), "test-ws");
    EXPECT_EQ(Items(window->control<QListWidget>("lstAliasListTCP")),
              (std::vector<std::string>{"test-ws.example.test", ""}));
    EXPECT_EQ(Items(window->control<QListWidget>("lstIpAddressTCP")),
              (std::vector<std::string>{"127.0.0.1", ""}));
    EXPECT_EQ(window->pane("txtDiagTCP")->text(),
              "\r\n3:04:05 PM : HostName: test-ws Retieved"
              "\r\n3:04:05 PM : Fully Qualified HostName: test-ws"
              "\r\n3:04:05 PM : Host Aliases retrieved"
              "\r\n3:04:05 PM : Host IP Address(s) retrieved");
    EXPECT_EQ(window->LogPath, temp.file("virelo.log"));
    EXPECT_TRUE(std::filesystem::exists(window->LogPath)) << "start-up keeps its log";

    auto* protocol = window->control<QComboBox>("cboProtocol");
    EXPECT_EQ(Items(protocol), (std::vector<std::string>{"TCP", "UDP"}));
    EXPECT_EQ(protocol->currentText(), "TCP");
    EXPECT_EQ(window->SSTabVIRELO()->currentIndex(), 0);
    EXPECT_EQ(window->TabIndexOf("txtEnterHostName"), 1);
    EXPECT_EQ(window->TabIndexOf("cmdCloseTCP"), 14);
    EXPECT_EQ(window->TabIndexOf("txtUserNameCon"), 0) << "start-up assigns no wrap row";
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(sockets.startups, 1);
    EXPECT_EQ(sockets.cleanups, 0);

    auto second = open();
    EXPECT_EQ(second->LogPath, temp.file("virelo1.log")) << "the first instance keeps its log";
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
    for (const auto& [code, text] : failures) {
        boxes.boxes.clear();
        sockets.startupFailure = code;
        auto window = open();
        ASSERT_EQ(boxes.boxes.size(), 1u) << code;
        EXPECT_EQ(boxes.boxes[0].text, text);
        EXPECT_EQ(boxes.boxes[0].title, "VIRELO");
        EXPECT_EQ(boxes.boxes[0].icon, platform::BoxIcon::Critical);
        // The host look-ups then fail, and the pane shows why.
        EXPECT_EQ(window->pane("txtDiagTCP")->text(),
                  "\r\n3:04:05 PM : 10093\r\n3:04:05 PM : 10093");
        EXPECT_EQ(window->control<QLineEdit>("txtQualifiedNameTCP")->text(), "");
        EXPECT_EQ(window->control<QListWidget>("lstAliasListTCP")->count(), 0);
        EXPECT_EQ(window->control<QListWidget>("lstIpAddressTCP")->count(), 0);
    }
}

TEST_F(StartupTest, AnUnusableTempDirectoryIsReportedNotFatal) {
    test::ScopedEnv missing("TEMP", temp.file("missing"));
    auto window = open();
    const std::string pane = window->pane("txtDiagTCP")->text();
    EXPECT_EQ(pane.rfind("Start-up could not choose a log file.\r\nError Number: 76 Error Source: "
                         "GetLogPath Error Description: Path not found: the TEMP directory ",
                         0),
              0u)
        << pane;
    EXPECT_NE(pane.find("Start-up could not read the log file."), std::string::npos) << pane;
}

// A list filler that fails at start-up is reported and start-up goes on; one that fails when its
// tab comes to the front writes the error branch into that tab's pane, and the switch goes on.
TEST_F(StartupTest, AFailingListFillerIsReportedAndTheWindowGoesOn) {
    frmVIRELO::Components components;
    components.CreateConnectionTester = []() -> std::unique_ptr<complus::ConnectionTester> {
        throw Error(429, "VIRELO", "ActiveX component can't create object");
    };
    auto window = open(components);
    const std::string pane = window->pane("txtDiagTCP")->text();
    EXPECT_NE(pane.find("Host IP Address(s) retrieved\r\nStart-up could not fill the COM+ lists."
                        "\r\nError Number: 429 Error Source: VIRELO Error Description: ActiveX "
                        "component can't create object\r\n"),
              std::string::npos)
        << pane;

    activate(*window);
    window->SSTabVIRELO()->setCurrentIndex(2);
    EXPECT_EQ(window->pane("txtDiagCOM")->text(),
              "Fatal Error Fail to Obtain client Information sucessfully\r\n"
              "Error Number: 429 Error Source: VIRELO Error Description: ActiveX component can't "
              "create object\r\n");
    EXPECT_EQ(window->TabIndexOf("cboSystemDSN"), 1) << "the switch got that far";
    EXPECT_EQ(focusName(), "cboSystemDSN");
    EXPECT_TRUE(window->isVisible());
}

TEST_F(StartupTest, EveryCloseButtonUnloadsOnceAndCleansUpSockets) {
    for (const char* button :
         {"cmdCloseTCP", "cmdCloseCon", "cmdCloseODBC", "cmdODBCClose", "cmdJDBCClose"}) {
        test::CountingSockets counted;
        platform::Platform counting{counted, icmp, files, clock, processes, boxes, registry};
        {
            frmVIRELO window(counting, sideWindows, {}, kDpi);
            window.show();
            window.control<QPushButton>(button)->click();
            EXPECT_FALSE(window.isVisible()) << button;
            EXPECT_EQ(counted.cleanups, 1) << button;
            window.close();
        }
        EXPECT_EQ(counted.cleanups, 1) << button << ": WSACleanup ran more than once";
    }
}

}  // namespace
}  // namespace virelo::ui
