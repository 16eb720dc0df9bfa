// The TCP/IP tab's server check and service look-up on the real window. Host names come from the
// test hosts file and every one of them is a loopback address, so every echo stays on the machine.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "support/WindowFixture.h"
#include "ui/tabs/TcpipTab.h"

namespace virelo::ui {
namespace {

std::vector<std::string> Items(const QListWidget* list) {
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i) {
        items.push_back(list->item(i)->text().toStdString());
    }
    return items;
}

class TcpipTabTest : public test::WindowFixture {
protected:
    void SetUp() override { window = open(); }

    void ping(const std::string& host, bool byName = true) {
        window->control<QRadioButton>(byName ? "optHostbyName" : "optHostbyAddr")->setChecked(true);
        window->control<QLineEdit>("txtEnterHostName")->setText(QString::fromStdString(host));
        window->control<QPushButton>("cmdPingTCP")->click();
    }
    void retrieve(const std::string& text, bool byName = true, const char* protocol = "TCP") {
        window->control<QRadioButton>(byName ? "optServiceName" : "optPortName")->setChecked(true);
        window->control<QLineEdit>("txtEnterSrvPort")->setText(QString::fromStdString(text));
        window->control<QComboBox>("cboProtocol")->setEditText(protocol);
        window->control<QPushButton>("cmdRetrieve")->click();
    }
    std::string diag() const { return window->pane("txtDiagTCP")->text(); }
    std::string text(const char* name) const {
        return window->control<QLineEdit>(name)->text().toStdString();
    }
    int logFiles() const {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(temp.path())) {
            count += entry.path().extension() == ".log" ? 1 : 0;
        }
        return count;
    }
    void requireEcho() {
        if (diag().find("No echo request sent") != std::string::npos) {
            GTEST_SKIP() << "no ICMP echo socket may be opened here";
        }
    }

    std::unique_ptr<frmVIRELO> window;
};

// Both addresses are pinged; only the second report stays, and it shows none of the first
// address's echoed data.
TEST_F(TcpipTabTest, HostWithTwoAddressesShowsTheSecondReportAlone) {
    platform::EchoResult answered;
    answered.roundTripMs = 1;
    answered.data = "Hello There";
    platform::EchoResult silent;
    silent.status = 11010;
    silent.roundTripMs = 500;
    icmp.perRequest = {answered, silent};
    ping("  two.test ");
    EXPECT_EQ(text("txtHostNameTCP2"), "two.test");
    EXPECT_EQ(Items(window->control<QListWidget>("lstAliasListTCP2")),
              (std::vector<std::string>{"two-alias", ""}));
    EXPECT_EQ(Items(window->control<QListWidget>("lstIpAddressTCP2")),
              (std::vector<std::string>{"127.0.0.2", "127.0.0.3", ""}));
    EXPECT_EQ(diag(),
              "[ ip request timed out ] 11010\r\n3:04:05 PM : Ping IP 127.0.0.3 [ ip request "
              "timed out ] 11010 RoundTrip Time 500 ms Packet Size 0 bytes "
              "\r\n3:04:05 PM : Fully Qualified HostName: two.test"
              "\r\n3:04:05 PM : Host Aliases retrieved"
              "\r\n3:04:05 PM : Host IP Address(s) retrieved");
    EXPECT_EQ(icmp.requests, 2);
    EXPECT_EQ(logFiles(), 2) << "start-up's log and the check's log by name stay";
    EXPECT_EQ(window->LogPath, temp.file("virelo1.log"));
}

TEST_F(TcpipTabTest, AnEmptyHostNameChecksTheLocalHost) {
    ping("   ");
    requireEcho();
    EXPECT_EQ(text("txtHostNameTCP2"), "test-ws");
    EXPECT_EQ(Items(window->control<QListWidget>("lstIpAddressTCP2")),
              (std::vector<std::string>{"127.0.0.1", ""}));
    EXPECT_EQ(diag().rfind("[ ip found ] 0\r\n3:04:05 PM : Ping IP 127.0.0.1 [ ip found ] 0", 0),
              0u)
        << diag();
}

TEST_F(TcpipTabTest, CheckByAddressDeletesItsLog) {
    ping(" 127.0.0.1 ", false);
    requireEcho();
    EXPECT_EQ(text("txtHostNameTCP2"), "localhost");
    EXPECT_EQ(diag().rfind("[ ip found ] 0\r\n3:04:05 PM : Ping IP 127.0.0.1 [ ip found ] 0", 0),
              0u)
        << diag();
    EXPECT_EQ(logFiles(), 1);
}

TEST_F(TcpipTabTest, UnknownHostsAndBadInputEndInTheCouldNotBeResolvedSentence) {
    const std::pair<std::string, bool> cases[] = {
        {"no-such-host.test", true}, {std::string(300, 'h'), true}, {"h\xC3\xB4te.test", true},
        {"999.1.1.1", false},        {"two.test", false},
    };
    for (const auto& [host, byName] : cases) {
        ping(host, byName);
        const std::string sentence =
            byName ? "The Host Name of " + host + " could not be resolved by gethostbyname()"
                   : "The IP Address of " + host + " could not be resolved by getaddrbyname()";
        EXPECT_EQ(diag(),
                  "\r\n3:04:05 PM : 11001 Fatal Error Fail to Obtain Server Information\r\n"
                  "Error Number: 9 Error Source: VIRELO Error Description: Subscript out of "
                  "range\r\n" +
                      sentence)
            << host;
        EXPECT_EQ(text("txtHostNameTCP2"), "");
        EXPECT_EQ(window->control<QListWidget>("lstAliasListTCP2")->count(), 0);
        EXPECT_EQ(window->control<QListWidget>("lstIpAddressTCP2")->count(), 0);
        EXPECT_EQ(logFiles(), 1) << host << ": a failed check leaves no log";
    }
    EXPECT_EQ(icmp.requests, 0);
}

TEST_F(TcpipTabTest, EchoOutcomesAndSocketFailuresReachThePane) {
    platform::EchoResult blocked;
    blocked.status = 11005;
    icmp.scripted = blocked;
    ping("localhost");
    EXPECT_EQ(diag().rfind("[ ip target port blocked ] 11005\r\n3:04:05 PM : Ping IP 127.0.0.1 "
                           "[ ip target port blocked ] 11005 RoundTrip Time 0 ms Packet Size 0 "
                           "bytes \r\n3:04:05 PM : Fully Qualified HostName: localhost",
                           0),
              0u)
        << diag();

    sockets.startupFailure = 10091;
    ping("two.test");
    EXPECT_EQ(diag(),
              "3:04:05 PM : Socket initialisation Failure!!\r\n"
              "3:04:05 PM : Socket initialisation Failure!!\r\n"
              "\r\n3:04:05 PM : Fully Qualified HostName: two.test"
              "\r\n3:04:05 PM : Host Aliases retrieved"
              "\r\n3:04:05 PM : Host IP Address(s) retrieved");
}

TEST_F(TcpipTabTest, OptionsAndClearEmptyTheFieldsButKeepThePane) {
    ping("localhost");
    const std::string pane = diag();
    window->control<QRadioButton>("optHostbyAddr")->click();
    EXPECT_EQ(text("txtEnterHostName"), "");
    EXPECT_EQ(text("txtHostNameTCP2"), "");
    EXPECT_EQ(window->control<QListWidget>("lstIpAddressTCP2")->count(), 0);
    EXPECT_FALSE(window->control<QRadioButton>("optHostbyName")->isChecked());
    EXPECT_EQ(diag(), pane);

    ping("localhost");
    window->control<QPushButton>("cmdClearTCP")->click();
    EXPECT_EQ(text("txtEnterHostName"), "");
    EXPECT_EQ(window->control<QListWidget>("lstAliasListTCP2")->count(), 0);
    EXPECT_TRUE(window->control<QRadioButton>("optHostbyName")->isChecked());
    EXPECT_FALSE(diag().empty());
}

TEST_F(TcpipTabTest, ServiceLookUpShowsTheEntryAndDeletesItsLog) {
    retrieve("http", true, "");
    EXPECT_EQ(text("txtSName"), "http");
    EXPECT_EQ(Items(window->control<QListWidget>("lstServAlias")),
              (std::vector<std::string>{"www", ""}));
    EXPECT_EQ(text("txtPortNumber"), "80");
    EXPECT_EQ(text("txtServProtocol"), "tcp");
    EXPECT_EQ(diag(),
              "\r\n3:04:05 PM : Service Name retrieved Sucessfully!"
              "\r\n3:04:05 PM : Service Aliases retrieved");
    EXPECT_EQ(logFiles(), 1);

    retrieve(" 80 ", false, "UDP");
    EXPECT_EQ(text("txtSName"), "");
    EXPECT_EQ(window->control<QListWidget>("lstServAlias")->count(), 0);
    EXPECT_EQ(diag(), "\r\n3:04:05 PM : 11004\r\n3:04:05 PM : No Services Found!");

    retrieve("53", false, "udp");
    EXPECT_EQ(text("txtSName"), "domain");
    EXPECT_EQ(window->control<QListWidget>("lstServAlias")->count(), 0)
        << "a service without aliases leaves the list empty";
    EXPECT_EQ(logFiles(), 1);
}

TEST_F(TcpipTabTest, AFailedServiceLookUpReportsOnLinesOfItsOwn) {
    retrieve("http");
    const std::string before = diag();
    test::ScopedEnv missing("TEMP", temp.file("missing"));
    retrieve("http");
    EXPECT_EQ(diag().rfind(before + "\r\nFatal Error Fail to Obtain Service Information\r\n"
                                    "Error Number: 76 Error Source: GetLogPath Error "
                                    "Description: Path not found: the TEMP directory ",
                           0),
              0u)
        << diag();
    EXPECT_EQ(diag().substr(diag().size() - 2), "\r\n");
}

TEST_F(TcpipTabTest, BadServiceInputGetsAMessageAndWritesNoLog) {
    activate(*window);
    retrieve("http");
    const std::string pane = diag();
    for (const char* bad : {"abc", "0x50", "", "   "}) {
        retrieve(bad, false);
        ASSERT_FALSE(boxes.boxes.empty()) << bad;
        EXPECT_EQ(boxes.boxes.back().text, "Please Enter a Numeric Port #") << bad;
        EXPECT_EQ(boxes.boxes.back().title, "VIRELO");
    }
    window->control("cmdRetrieve")->setFocus();
    retrieve("    ");
    EXPECT_EQ(boxes.boxes.back().text, "Please Enter a Service Name");
    EXPECT_EQ(focusName(), "txtEnterSrvPort");
    EXPECT_EQ(boxes.boxes.size(), 5u) << "one box per action";
    EXPECT_EQ(diag(), pane) << "the pane is left as it was";
    EXPECT_EQ(logFiles(), 1) << "only start-up's log";

    window->control<QPushButton>("cmdClearServ")->click();
    EXPECT_EQ(text("txtEnterSrvPort"), "");
    EXPECT_EQ(text("txtSName"), "");
    EXPECT_EQ(window->control<QComboBox>("cboProtocol")->currentText(), "TCP");
    EXPECT_EQ(diag(), pane);
}

}  // namespace
}  // namespace virelo::ui
