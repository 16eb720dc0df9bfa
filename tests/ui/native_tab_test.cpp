// The Native Connect tab on the real window: the server list and look-up read the registry view
// (filled here by the test), the ping runs the real native-connect component against listeners on
// loopback addresses.
#include "platform/posix/registry/PosixRegistry.h"
#include "serverdir/RegAccess.h"
#include "support/TcpListener.h"
#include "support/WindowFixture.h"
#include "ui/SystemComponents.h"

namespace virelo::ui {
namespace {

using namespace std::chrono_literals;

class NativeTabTest : public test::WindowFixture {
protected:
    void SetUp() override {
        window =
            open({.CreateNativeConnector = [this]() -> std::unique_ptr<serverdir::NativeConnector> {
                      ++created;
                      if (createFails) {
                          throw Error(429, "VIRELO", "ActiveX component can't create object");
                      }
                      return std::make_unique<serverdir::LocalNativeConnector>(network);
                  },
                  .CreateConnectionTester = {}});
    }
    // Adds a server with the values "NAME=data|NAME=data...".
    void addServer(const std::string& name, const std::string& values) {
        for (const std::string& value : test::Split(values)) {
            registry.setString(platform::reg::kLocalMachine,
                               std::string(serverdir::kSqlhostsKey) + "\\" + name,
                               value.substr(0, value.find('=')), value.substr(value.find('=') + 1));
        }
    }
    // Brings the Native Connect tab to the front, which refills the server list.
    void showTab() {
        window->SSTabVIRELO()->setCurrentIndex(0);
        window->SSTabVIRELO()->setCurrentIndex(1);
    }

    int created = 0;
    bool createFails = false;
};

// The look-ups of the Native Connect and the COM+ tab read the same servers.
TEST_F(NativeTabTest, LookupsFillHostServiceAndProtocolOfAnExactMatchOnly) {
    addServer("srv1", "HOST=db-host|SERVICE=sqlexec|PROTOCOL=kbsocspx");
    addServer("srv2", "SERVICE=1526");
    addServer("srv3", "HOST=h3|SERVICE=1527|PROTOCOL=not-a-listed-protocol");
    showTab();
    const std::pair<const char*, const char*> cases[] = {
        {"srv2", "Not Found|1526|Not Found"},
        // Compared exactly: another letter case or a blank is not found, and changes nothing.
        {"SRV1", "Not Found|1526|Not Found"},
        {"srv1 ", "Not Found|1526|Not Found"},
        {"srv1", "db-host|sqlexec|kbsocspx"},
        {"", "||"},  // an empty name matches the empty column after the servers
    };
    for (const auto& [server, expected] : cases) {
        set("cboServerCon", server);
        click("cmdLookupCon");
        EXPECT_EQ(text("txtHostCon") + "|" + text("txtServiceCon") + "|" + text("cboProtocolCon"),
                  expected)
            << server;
    }
    EXPECT_EQ(boxes.boxes[0].title, "VIRELO");
    // On the COM+ tab a failed look-up changes nothing either, and an empty name does nothing.
    for (const char* server : {"srv3", "srv9", ""}) {
        set("cboADOServer", server);
        click("cmdLookupSqlhostInfo");
    }
    EXPECT_EQ(text("txtADOHost") + "|" + text("txtADOPort") + "|" + text("cboADOProtocol"),
              "h3|1527|not-a-listed-protocol");
    EXPECT_EQ(boxTexts(), (Texts{"Nembrion Server \"SRV1\" not found in registry",
                                 "Nembrion Server \"srv1 \" not found in registry",
                                 "Nembrion Server \"srv9\" not found in registry"}));
}

// A component that cannot be created is reported in the pane, with no box, and the next press
// tries again; the component is then created once and kept, and each ping shows its state and
// code and the result box.
TEST_F(NativeTabTest, PingShowsStateAndCodeAndTheResultBoxWithOneComponent) {
    test::TcpListener listener;
    showTab();
    fill(
        "cboServerCon=srv1|txtHostCon=localhost|cboProtocolCon=kasoctcp|txtUserNameCon=user1|"
        "txtPasswordCon=pw-never-shown|txtServiceCon=" +
        std::to_string(listener.port));
    createFails = true;
    click("cmdPingCon");
    EXPECT_EQ(text("txtErrorCon"),
              "Error Number: 429 Error Source: VIRELO Error Description: ActiveX component can't "
              "create object\r\n");
    EXPECT_TRUE(boxes.boxes.empty());

    createFails = false;
    click("cmdPingCon");
    EXPECT_EQ(text("txtErrorCon"), "SQLSTATE = 01V01\r\nSQLCODE = 0\r\n");
    set("txtServiceCon", std::to_string(test::TcpListener::ClosedPort()));
    click("cmdPingCon");
    EXPECT_EQ(text("txtErrorCon"), "SQLSTATE = 08004\r\nSQLCODE = -1809\r\n");
    EXPECT_EQ(boxTexts(), (Texts{"Connection was successful!", "Received sqlcode=-1809"}));
    EXPECT_EQ(created, 2);

    // The program's own component gives all the addresses of a host 5 seconds together.
    platform::SystemServices system;
    const auto made = SystemComponents(system).CreateNativeConnector();
    EXPECT_EQ(dynamic_cast<serverdir::LocalNativeConnector&>(*made).TimeLimit(), 5000ms);
}

// The server list, read from the registry view on every switch to the tab: the servers in
// registry order, then one empty item. What the view warns about the server directory is shown
// where its servers are listed, on the Native Connect and the COM+ tab: once, on lines of their
// own, when the list is filled.
TEST_F(NativeTabTest, ServerListAndTheWarningsOfTheServerDirectory) {
    const test::ScopedEnv sources[] = {{"VIRELO_REGISTRY", temp.file("x.reg")},
                                       {"VIRELO_SQLHOSTS", temp.file("sqlhosts")},
                                       {"XDG_CONFIG_HOME", temp.path()}};
    temp.write("x.reg", "REGEDIT4\n");
    temp.write("sqlhosts", "");
    platform::posix::PosixRegistry view({temp.file("etc")}, [](const std::string&) {});
    platform::Platform withView{sockets, icmp, files, clock, processes, boxes, view};
    const auto tester = [&] {
        return std::make_unique<complus::LocalConnectionTester>(network, view);
    };
    window =
        std::make_unique<frmVIRELO>(withView, sideWindows, frmVIRELO::Components{{}, tester}, kDpi);
    showTab();
    EXPECT_EQ(items("cboServerCon"), (Texts{"", ""})) << "no servers: two empty items";

    temp.write("x.reg", "REGEDIT4\n[HKLM\\SOFTWARE\\Nembrion\\SQLHOSTS\\srv_b]\n\"bad\n");
    temp.write("sqlhosts", "Srv_c kasoctcp h 1\nshort line\nsrv_a kasoctcp h 1\n");
    set("cboServerCon", "typed by hand");
    set("txtErrorCon", "SQLSTATE = 08004");
    showTab();
    // Registry order: alphabetical without regard to letter case.
    EXPECT_EQ(items("cboServerCon"), (Texts{"srv_a", "srv_b", "Srv_c", ""}));
    EXPECT_EQ(text("cboServerCon"), "") << "the refill empties the text";
    const std::string lines =
        "Warning: " + temp.file("x.reg") +
        ":3: the value name has no closing quote; skipped\r\nWarning: " + temp.file("sqlhosts") +
        ":2: a server line needs the fields name, protocol, host and "
        "service; the line is skipped\r\n";
    showTab();
    window->SSTabVIRELO()->setCurrentIndex(2);
    EXPECT_EQ(text("txtErrorCon") + "|" + text("txtDiagCOM") + "|" + text("txtDiagODBC"),
              "SQLSTATE = 08004\r\n" + lines + "|" + lines + "|")
        << "each shown once, and not where the data sources are listed";

    showTab();
    activate();
    window->control("cboServerCon")->setFocus();
    QTest::keyClicks(window->control("cboServerCon"), "srv");
    EXPECT_EQ(text("cboServerCon"), "srv") << "typed text is not completed from the list";
    window.reset();  // before the registry view and the platform it uses
}

}  // namespace
}  // namespace virelo::ui
