// The TCP/IP tab's server check and service look-up on the real window. Host names come from the
// test hosts file and every one of them is a loopback address, so every echo stays on the machine.
#include <filesystem>

#include "support/WindowFixture.h"

namespace virelo::ui {
namespace {

using testing::StartsWith;

class TcpipTabTest : public test::WindowFixture {
protected:
    void ping(const std::string& host, bool byName = true) {
        click(byName ? "optHostbyName" : "optHostbyAddr");
        set("txtEnterHostName", host);
        click("cmdPingTCP");
    }
    void retrieve(const std::string& text, bool byName = true, const char* protocol = "TCP") {
        click(byName ? "optServiceName" : "optPortName");
        set("txtEnterSrvPort", text);
        set("cboProtocol", protocol);
        click("cmdRetrieve");
    }
    std::string diag() const { return text("txtDiagTCP"); }
    long logFiles() const {
        return std::ranges::count_if(
            std::filesystem::directory_iterator(temp.path()),
            [](const auto& file) { return file.path().extension() == ".log"; });
    }
};

// Both addresses are pinged; only the second report stays, and it shows none of the first
// address's echoed data.
TEST_F(TcpipTabTest, HostWithTwoAddressesShowsTheSecondReportAlone) {
    icmp.perRequest = {platform::EchoResult{.roundTripMs = 1, .data = "Hello There"},
                       platform::EchoResult{.status = 11010, .roundTripMs = 500, .data = ""}};
    ping("  two.test ");
    EXPECT_EQ(text("txtHostNameTCP2"), "two.test");
    EXPECT_EQ(items("lstAliasListTCP2"), (Texts{"two-alias", ""}));
    EXPECT_EQ(items("lstIpAddressTCP2"), (Texts{"127.0.0.2", "127.0.0.3", ""}));
    EXPECT_EQ(diag(),
              "[ ip request timed out ] 11010\r\n3:04:05 PM : Ping IP 127.0.0.3 [ ip request "
              "timed out ] 11010 RoundTrip Time 500 ms Packet Size 0 bytes "
              "\r\n3:04:05 PM : Fully Qualified HostName: two.test"
              "\r\n3:04:05 PM : Host Aliases retrieved"
              "\r\n3:04:05 PM : Host IP Address(s) retrieved");
    EXPECT_EQ(icmp.requests, 2);
    // Start-up's log and the check's log by name stay.
    EXPECT_EQ(logFiles(), 2);
    EXPECT_EQ(window->LogPath, temp.file("virelo1.log"));
}

// An empty name checks the local host; a check by address deletes its log.
TEST_F(TcpipTabTest, TheLocalHostByNameAndByAddress) {
    for (const auto& [host, byName, name] :
         {std::tuple{"   ", true, "test-ws"}, std::tuple{" 127.0.0.1 ", false, "localhost"}}) {
        ping(host, byName);
        if (diag().find("No echo request sent") != std::string::npos) {
            GTEST_SKIP() << "no ICMP echo socket may be opened here";
        }
        EXPECT_EQ(text("txtHostNameTCP2"), name);
        EXPECT_EQ(items("lstIpAddressTCP2"), (Texts{"127.0.0.1", ""}));
        EXPECT_THAT(diag(),
                    StartsWith("[ ip found ] 0\r\n3:04:05 PM : Ping IP 127.0.0.1 [ ip found ] 0"));
    }
    EXPECT_EQ(logFiles(), 2);
}

// Unknown hosts and bad input end in the could-not-be-resolved sentence and leave no log.
TEST_F(TcpipTabTest, UnknownHostsAndBadInputEndInTheCouldNotBeResolvedSentence) {
    const std::pair<std::string, bool> cases[] = {
        {"no-such-host.test", true}, {std::string(300, 'h'), true}, {"h\xC3\xB4te.test", true},
        {"999.1.1.1", false},        {"two.test", false},
    };
    for (const auto& [host, byName] : cases) {
        SCOPED_TRACE(host);
        ping(host, byName);
        const std::string sentence =
            byName ? "The Host Name of " + host + " could not be resolved by gethostbyname()"
                   : "The IP Address of " + host + " could not be resolved by getaddrbyname()";
        EXPECT_EQ(diag(),
                  "\r\n3:04:05 PM : 11001 Fatal Error Fail to Obtain Server Information\r\n"
                  "Error Number: 9 Error Source: VIRELO Error Description: Subscript out of "
                  "range\r\n" +
                      sentence);
        EXPECT_EQ(text("txtHostNameTCP2"), "");
        EXPECT_EQ(items("lstAliasListTCP2").size() + items("lstIpAddressTCP2").size(), 0u);
        EXPECT_EQ(logFiles(), 1);
    }
    EXPECT_EQ(icmp.requests, 0);
}

// Sockets that cannot start: a line for each address. An option or "Clear" then empties the
// fields but keeps the pane.
TEST_F(TcpipTabTest, SocketFailuresThenOptionsAndClear) {
    sockets.startupFailure = 10091;
    const std::string pane =
        "3:04:05 PM : Socket initialisation Failure!!\r\n"
        "3:04:05 PM : Socket initialisation Failure!!\r\n"
        "\r\n3:04:05 PM : Fully Qualified HostName: two.test"
        "\r\n3:04:05 PM : Host Aliases retrieved"
        "\r\n3:04:05 PM : Host IP Address(s) retrieved";
    for (const char* button : {"optHostbyAddr", "cmdClearTCP"}) {
        SCOPED_TRACE(button);
        ping("two.test");
        EXPECT_EQ(diag(), pane);
        click(button);
        EXPECT_EQ(text("txtEnterHostName") + text("txtHostNameTCP2"), "");
        EXPECT_EQ(items("lstAliasListTCP2").size() + items("lstIpAddressTCP2").size(), 0u);
        EXPECT_EQ(checked("optHostbyName"), button == std::string("cmdClearTCP"));
        EXPECT_EQ(diag(), pane);
    }
}

TEST_F(TcpipTabTest, ServiceLookUpShowsTheEntryAndDeletesItsLog) {
    retrieve("http", true, "");
    EXPECT_EQ(text("txtSName") + " " + text("txtPortNumber") + " " + text("txtServProtocol"),
              "http 80 tcp");
    EXPECT_EQ(items("lstServAlias"), (Texts{"www", ""}));
    const std::string found =
        "\r\n3:04:05 PM : Service Name retrieved Sucessfully!"
        "\r\n3:04:05 PM : Service Aliases retrieved";
    EXPECT_EQ(diag(), found);

    // A look-up that fails reports on lines of its own.
    {
        test::ScopedEnv missing("TEMP", temp.file("missing"));
        retrieve("http");
    }
    EXPECT_THAT(diag(), StartsWith(found + "\r\nFatal Error Fail to Obtain Service Information\r\n"
                                           "Error Number: 76 Error Source: GetLogPath Error "
                                           "Description: Path not found: the TEMP directory "));
    EXPECT_THAT(diag(), testing::EndsWith("\r\n"));

    retrieve(" 80 ", false, "UDP");
    EXPECT_EQ(text("txtSName"), "");
    EXPECT_EQ(items("lstServAlias"), Texts{});
    EXPECT_EQ(diag(), "\r\n3:04:05 PM : 11004\r\n3:04:05 PM : No Services Found!");

    // A service without aliases leaves the list empty.
    retrieve("53", false, "udp");
    EXPECT_EQ(text("txtSName"), "domain");
    EXPECT_EQ(items("lstServAlias"), Texts{});
    EXPECT_EQ(logFiles(), 1);
}

// Bad input gets one box per action, leaves the pane as it was and writes no log; "Clear" empties
// the fields but keeps the protocol and the pane.
TEST_F(TcpipTabTest, BadServiceInputGetsAMessageAndWritesNoLog) {
    retrieve("http");
    const std::string pane = diag();
    for (const char* bad : {"abc", "0x50", "", "   "}) {
        retrieve(bad, false);
    }
    window->control("cmdRetrieve")->setFocus();
    retrieve("    ");
    EXPECT_EQ(focusName(), "txtEnterSrvPort");
    const std::string numeric = "Please Enter a Numeric Port #";
    EXPECT_EQ(boxTexts(),
              (Texts{numeric, numeric, numeric, numeric, "Please Enter a Service Name"}));
    EXPECT_EQ(boxes.boxes.back().title, "VIRELO");
    EXPECT_EQ(diag(), pane);
    EXPECT_EQ(logFiles(), 1);

    click("cmdClearServ");
    EXPECT_EQ(text("txtEnterSrvPort") + text("txtSName"), "");
    EXPECT_EQ(text("cboProtocol"), "TCP");
    EXPECT_EQ(diag(), pane);
}

}  // namespace
}  // namespace virelo::ui
