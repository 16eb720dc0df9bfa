// The Native Connect tab on the real window: the server list and look-up read the registry view
// (filled here by the test), the ping runs the real native-connect component against listeners on
// loopback addresses.
#include "serverdir/RegAccess.h"
#include "support/TcpListener.h"
#include "support/WindowFixture.h"

namespace virelo::ui {
namespace {

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

TEST_F(NativeTabTest, ServerListHoldsTheServersThenOneEmptyItemAndIsReadOnEverySwitch) {
    showTab();
    EXPECT_EQ(items("cboServerCon"), (Texts{"", ""})) << "no servers: two empty items";
    addServer("srv_b", "HOST=hb");
    addServer("Srv_c", "HOST=hc");
    addServer("srv_a", "HOST=ha");
    set("cboServerCon", "typed by hand");
    showTab();
    // Registry order: alphabetical without regard to letter case.
    EXPECT_EQ(items("cboServerCon"), (Texts{"srv_a", "srv_b", "Srv_c", ""}));
    EXPECT_EQ(text("cboServerCon"), "") << "the refill empties the text";

    activate();
    window->control("cboServerCon")->setFocus();
    QTest::keyClicks(window->control("cboServerCon"), "srv");
    EXPECT_EQ(text("cboServerCon"), "srv") << "typed text is not completed from the list";
}

// The look-ups of the Native Connect and the COM+ tab read the same servers.
TEST_F(NativeTabTest, LookupsFillHostServiceAndProtocolOfAnExactMatchOnly) {
    addServer("srv1", "HOST=db-host|SERVICE=sqlexec|PROTOCOL=kbsocspx");
    addServer("srv2", "SERVICE=1526");
    addServer("srv3", "HOST=h3|SERVICE=1527|PROTOCOL=not-a-listed-protocol");
    showTab();
    const std::pair<const char*, const char*> cases[] = {
        {"srv1", "db-host|sqlexec|kbsocspx"},
        {"SRV1", "db-host|sqlexec|kbsocspx"},  // not found: a failed look-up changes nothing
        {"srv2", "Not Found|1526|Not Found"},
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
}

}  // namespace
}  // namespace virelo::ui
