// The Native Connect tab on the real window: the server list and look-up read the registry view
// (filled here by the test), the ping runs the real native-connect component against listeners on
// loopback addresses.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "platform/posix/PosixNetwork.h"
#include "serverdir/LocalNativeConnector.h"
#include "serverdir/RegAccess.h"
#include "support/TcpListener.h"
#include "support/WindowFixture.h"

namespace virelo::ui {
namespace {

using Items = std::vector<std::string>;

class NativeTabTest : public test::WindowFixture {
protected:
    void SetUp() override {
        frmVIRELO::Components components;
        components.CreateNativeConnector = [this]() -> std::unique_ptr<serverdir::NativeConnector> {
            ++created;
            if (createFails) {
                throw Error(429, "VIRELO", "ActiveX component can't create object");
            }
            return std::make_unique<serverdir::LocalNativeConnector>(network);
        };
        window = open(std::move(components));
    }

    void addServer(const std::string& name, const std::string& host, const std::string& service,
                   const std::string& protocol) {
        const std::string key = std::string(serverdir::kSqlhostsKey) + "\\" + name;
        registry.setString(platform::reg::kLocalMachine, key, "HOST", host);
        registry.setString(platform::reg::kLocalMachine, key, "SERVICE", service);
        registry.setString(platform::reg::kLocalMachine, key, "PROTOCOL", protocol);
    }
    // Brings the Native Connect tab to the front, which refills the server list.
    void showTab() {
        window->SSTabVIRELO()->setCurrentIndex(0);
        window->SSTabVIRELO()->setCurrentIndex(1);
    }
    Items servers() const {
        Items items;
        const auto* combo = window->control<QComboBox>("cboServerCon");
        for (int i = 0; i < combo->count(); ++i) {
            items.push_back(combo->itemText(i).toStdString());
        }
        return items;
    }
    void set(const char* name, const std::string& text) {
        if (auto* combo = window->control<QComboBox>(name)) {
            combo->setEditText(QString::fromStdString(text));
        } else {
            window->control<QLineEdit>(name)->setText(QString::fromStdString(text));
        }
    }
    std::string text(const char* name) const {
        if (const auto* combo = window->control<QComboBox>(name)) {
            return combo->currentText().toStdString();
        }
        return window->control<QLineEdit>(name)->text().toStdString();
    }
    void click(const char* button) { window->control<QPushButton>(button)->click(); }
    std::string pane() const { return window->pane("txtErrorCon")->text(); }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes.boxes) {
            texts.push_back(box.text);
        }
        return texts;
    }

    int created = 0;
    bool createFails = false;
    std::unique_ptr<frmVIRELO> window;
};

TEST_F(NativeTabTest, ServerListHoldsTheServersThenOneEmptyItemAndIsReadOnEverySwitch) {
    showTab();
    EXPECT_EQ(servers(), (Items{"", ""})) << "no servers: two empty items";

    addServer("srv_b", "hb", "1526", "kasoctcp");
    showTab();
    EXPECT_EQ(servers(), (Items{"srv_b", ""}));

    addServer("Srv_c", "hc", "1527", "kbsoctcp");
    addServer("srv_a", "ha", "1525", "kasoctcp");
    set("cboServerCon", "typed by hand");
    showTab();
    EXPECT_EQ(servers(), (Items{"srv_a", "srv_b", "Srv_c", ""}))
        << "registry order: alphabetical without regard to letter case";
    EXPECT_EQ(text("cboServerCon"), "") << "the refill empties the text";

    activate(*window);
    window->control("cboServerCon")->setFocus();
    QTest::keyClicks(window->control("cboServerCon"), "srv");
    EXPECT_EQ(text("cboServerCon"), "srv") << "typed text is not completed from the list";
}

TEST_F(NativeTabTest, LookupFillsHostServiceAndProtocolOfAnExactMatchOnly) {
    addServer("srv1", "db-host", "sqlexec", "kbsocspx");
    const std::string key = std::string(serverdir::kSqlhostsKey) + "\\srv2";
    registry.setString(platform::reg::kLocalMachine, key, "SERVICE", "1526");  // no HOST
    showTab();

    set("cboServerCon", "srv1");
    click("cmdLookupCon");
    EXPECT_EQ(text("txtHostCon"), "db-host");
    EXPECT_EQ(text("txtServiceCon"), "sqlexec");
    EXPECT_EQ(text("cboProtocolCon"), "kbsocspx");
    EXPECT_TRUE(boxes.boxes.empty());

    set("cboServerCon", "SRV1");
    click("cmdLookupCon");
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"Nembrion Server \"SRV1\" not found in registry"}));
    EXPECT_EQ(boxes.boxes[0].title, "VIRELO");
    EXPECT_EQ(text("txtHostCon"), "db-host") << "a failed look-up changes nothing";

    set("cboServerCon", "srv2");
    click("cmdLookupCon");
    EXPECT_EQ(text("txtHostCon"), "Not Found");
    EXPECT_EQ(text("txtServiceCon"), "1526");
    EXPECT_EQ(text("cboProtocolCon"), "Not Found");

    set("cboServerCon", "");
    click("cmdLookupCon");
    EXPECT_EQ(text("txtHostCon"), "") << "an empty name matches the empty column after the servers";
    EXPECT_EQ(text("txtServiceCon"), "");
    EXPECT_EQ(text("cboProtocolCon"), "");
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(NativeTabTest, PingShowsStateAndCodeAndTheResultBoxWithOneComponent) {
    test::TcpListener listener;
    showTab();
    set("cboServerCon", "srv1");
    set("txtHostCon", "localhost");
    set("txtServiceCon", std::to_string(listener.port));
    set("cboProtocolCon", "kasoctcp");
    set("txtUserNameCon", "user1");
    set("txtPasswordCon", "pw-never-shown");
    click("cmdPingCon");
    EXPECT_EQ(pane(), "SQLSTATE = 01V01\r\nSQLCODE = 0\r\n");
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"Connection was successful!"}));

    set("txtServiceCon", std::to_string(test::TcpListener::ClosedPort()));
    click("cmdPingCon");
    EXPECT_EQ(pane(), "SQLSTATE = 08004\r\nSQLCODE = -1809\r\n");
    EXPECT_EQ(boxes.boxes.back().text, "Received sqlcode=-1809");
    EXPECT_EQ(created, 1) << "the component is created on first use and kept";
    EXPECT_EQ(pane().find("pw-never-shown"), std::string::npos);
}

TEST_F(NativeTabTest, AComponentThatCannotBeCreatedIsReportedInThePane) {
    createFails = true;
    showTab();
    set("cboServerCon", "srv1");
    click("cmdPingCon");
    EXPECT_EQ(pane(),
              "Error Number: 429 Error Source: VIRELO Error Description: ActiveX component can't "
              "create object\r\n");
    EXPECT_TRUE(boxes.boxes.empty());

    createFails = false;
    click("cmdPingCon");
    EXPECT_EQ(pane(), "SQLSTATE = 08001\r\nSQLCODE = -1804\r\n") << "the next press tries again";
    EXPECT_EQ(created, 2);
}

}  // namespace
}  // namespace virelo::ui
