// The TCP/IP module: host entries decoded and logged, from a canned resolver and from the real one
// isolated, the local host name, look-ups in the machine's real services database, and echo
// requests to loopback. Made-up names and addresses are looked up only in the test hosts file
// through nss_wrapper, which never asks a name server, so no query leaves the machine.
//
// Echo requests that get no answer, or an ICMP error message instead of one, run only when
// run_in_netns.sh starts this program in a private network namespace whose loopback ignores echo
// requests and where a route prohibits 10.9.9.0/24, so nothing leaves the machine; every case
// runs over both kinds of ICMP socket.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "support/IsolatedResolver.h"
#include "support/ModuleFixture.h"

namespace virelo::tcpip {
namespace {

using platform::posix::EchoSockets;
using Texts = std::vector<std::string>;
using TcpipTest = test::ModuleFixture;

// Host entries and local host names that no resolver here can be made to return on demand.
class CannedSockets : public platform::posix::PosixSockets {
public:
    std::int32_t hostName(std::string& name) override {
        name = hostNameText;
        return nameResult;
    }
    std::optional<platform::HostEntry> hostByName(const std::string& name) override {
        asked = name;
        return entry;
    }
    std::int32_t lastError() const override { return nameResult != 0 ? platform::wsa::kFault : 0; }

    std::string hostNameText, asked;
    std::int32_t nameResult = 0;
    std::optional<platform::HostEntry> entry;
};

TEST_F(TcpipTest, HostDecodingTrimsAliasesAndFormatsEveryAddressByteAndTheLocalHostName) {
    CannedSockets canned;
    TCPIP module(canned, icmp, general);
    canned.entry =
        platform::HostEntry{"", {"  first ", "second"}, {{10, 0, 0, 1}, {255, 0, 7, 200}}};
    canned.entry->addresses.push_back({0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    const HostInfo info = module.GetHostByNameInfo(" \tname ", path);
    EXPECT_EQ(canned.asked, "\tname") << "only blanks are trimmed";
    EXPECT_EQ(info.AliasCount, 2);
    EXPECT_EQ(info.Aliases, (Texts{"first", "second", ""}));
    EXPECT_EQ(info.AddrCount, 3);
    EXPECT_EQ(info.Addresses,
              (Texts{"10.0.0.1", "255.0.7.200", "254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1", ""}));
    // An entry without addresses keeps one empty slot; its count of 0 makes the log's line.
    canned.entry = platform::HostEntry{"bare.example", {}, {}};
    EXPECT_EQ(module.GetHostByNameInfo("bare.example", path).Addresses, Texts{""});

    // The local host name: blank, trimmed, and a failure that logs its error number.
    canned.hostNameText = "   ";
    EXPECT_EQ(module.GetLocalHostName(path), "");
    canned.hostNameText = "  ws1 ";
    EXPECT_EQ(module.GetLocalHostName(path), "ws1");
    canned.nameResult = -1;
    EXPECT_EQ(module.GetLocalHostName(path), "");
    EXPECT_EQ(log(),
              "3:04:05 PM : Fully qualified HostName returned as blank??\r\n"
              "3:04:05 PM : Host Aliases retrieved\r\n"
              "3:04:05 PM : Host IP Address(s) retrieved\r\n"
              "3:04:05 PM : Fully Qualified HostName: bare.example\r\n"
              "3:04:05 PM : This Host has no Aliases\r\n"
              "3:04:05 PM : This Host has no IP Address!\r\n"
              "3:04:05 PM : No HostName Found!\r\n"
              "3:04:05 PM : HostName: ws1 Retieved\r\n"
              "3:04:05 PM : 10014\r\n");
}

// The real resolver, isolated: by name and by address, and unknown names and addresses.
TEST_F(TcpipTest, TheIsolatedResolverGivesAllAddressesAndAliasesAndUnknownNames) {
    const HostInfo info = tcpip.GetHostByNameInfo("multi.test", path);
    EXPECT_EQ(info.HostName, "multi.test");
    EXPECT_EQ(info.Aliases, (Texts{"mh-alias-one", "mh-alias-two", ""}));
    EXPECT_EQ(info.Addresses, (Texts{"127.9.8.1", "127.9.8.2", "127.9.8.3", ""}));
    const HostInfo byAddress = tcpip.GetHostByAddrInfo("127.9.8.2", path);
    EXPECT_EQ(byAddress.HostName, "multi.test");
    EXPECT_EQ(byAddress.Addresses, (Texts{"127.9.8.2", ""}));

    // Unknown names and addresses log one error number.
    for (const auto& [byName, text] :
         {std::pair{true, "no-such-host.test"}, std::pair{true, "name with blanks"},
          std::pair{false, "not-an-address"}, std::pair{false, "127.200.200.200"}}) {
        std::remove(path.c_str());
        const HostInfo unknown =
            byName ? tcpip.GetHostByNameInfo(text, path) : tcpip.GetHostByAddrInfo(text, path);
        EXPECT_EQ(unknown.HostName, "") << text;
        EXPECT_FALSE(unknown.Aliases || unknown.Addresses) << text;
        EXPECT_EQ(log(), "3:04:05 PM : 11001\r\n") << text;
    }
}

// By name: the lower-case entry for upper-case protocols, or no services.
TEST_F(TcpipTest, ServicesByNameAndByPort) {
    const ServiceInfo http = tcpip.GetServiceByName("http", "TCP", path);
    EXPECT_EQ(http.ServiceName + " " + http.Port + " " + http.Protocol, "http 80 tcp");
    EXPECT_EQ(http.AliasCount, 1);
    EXPECT_EQ(http.Aliases, (Texts{"www", ""}));
    const ServiceInfo chargen = tcpip.GetServiceByName("chargen", "UDP", path);
    EXPECT_EQ(chargen.Aliases, (Texts{"ttytst", "source", ""})) << "aliases keep their order";
    EXPECT_EQ(chargen.Protocol, "udp");
    std::remove(path.c_str());  // the lines of an entry with aliases: the TCP/IP tab's pane
    // A count of 0 makes the log's "no Aliases" line.
    EXPECT_EQ(tcpip.GetServiceByName("domain", "udp", path).Aliases, Texts{""});
    EXPECT_FALSE(tcpip.GetServiceByName("http", "UDP", path).Aliases.has_value());
    const std::string none = "3:04:05 PM : 11004\r\n3:04:05 PM : No Services Found!\r\n";
    EXPECT_EQ(log(),
              "3:04:05 PM : Service Name retrieved Sucessfully!\r\n"
              "3:04:05 PM : This Service has no Aliases\r\n" +
                  none);

    // By port: the port is read as a decimal number only; halves round to even, the low 16 bits
    // count, and a port above the range is too large whatever its size.
    const std::pair<const char*, std::optional<double>> numbers[] = {
        {"80", 80.0},    {" 80 ", 80.0}, {"\t80", 80.0}, {"-1", -1.0},     {"+5", 5.0},
        {"1e3", 1000.0}, {".5", 0.5},    {"5.", 5.0},    {"2.5E-1", 0.25},
    };
    for (const auto& [text, value] : numbers) {
        EXPECT_EQ(ParsePortNumber(text), value) << "'" << text << "'";
    }
    for (const char* text : {"abc", "0x50", "", "   ", "1e", "--1", "12 34", ".", "80abc", "1,5"}) {
        EXPECT_EQ(ParsePortNumber(text), std::nullopt) << "'" << text << "'";
    }
    for (const char* port : {"80", "80.5", "79.5", "-65456"}) {
        EXPECT_EQ(tcpip.GetServiceByPort(port, "TCP", path).ServiceName, "http") << port;
    }

    // A port too large is never looked up; 65535 and -1 (its low 16 bits) are, and nothing is
    // listed there.
    const std::string large = "3:04:05 PM : Port # is to Large!\r\n";
    for (const auto& [port, logged] :
         {std::pair{"65536", large}, std::pair{"65535.5", large}, std::pair{"123456789012", large},
          std::pair{"1e999", large}, std::pair{"99999999999999999999", large},
          std::pair{"65535", none}, std::pair{"-1", none}}) {
        std::remove(path.c_str());
        EXPECT_EQ(tcpip.GetServiceByPort(port, "TCP", path).ServiceName, "") << port;
        EXPECT_EQ(log(), logged) << port;
    }
    // A port above the signed range shows unsigned: 49152 = 0xC000, in network byte order.
    EXPECT_EQ(PortToText(0x00C0), "49152");
}

// The words of every status code of the ICMP library, and of codes it does not have. Those of
// -1 and 11005 are in the echo reports below, that of 11010 in the TCP/IP tab's pane.
TEST(IcmpStatusTextTest, BracketsTheTextOfEveryCodeAndAddsTheCode) {
    std::string all;
    for (const std::int32_t code : {0,     500,   11001, 11002, 11003, 11004, 11006, 11007, 11008,
                                    11009, 11011, 11012, 11013, 11014, 11015, 11016, 11017, 11018,
                                    11019, 11020, 11021, 11022, 11023, 11050, 11255, 11024, -2}) {
        all += IcmpStatusText(code) + "|";
    }
    EXPECT_EQ(
        all,
        "[ ip found ] 0|[ ping timeout ] 500|[ ip error, too small? ] 11001|"
        "[ ip unreachable ] 11002|[ ip host unreachable ] 11003|[ ip target unreachable ] 11004|"
        "[ ip too few resources ] 11006|[ ip wrong option ] 11007|[ ip hardwareerror ] 11008|"
        "[ ip datapacket too big ] 11009|[ ip unknown error ] 11011|[ ip invalid route ] 11012|"
        "[ ip packets died ] 11013|[ ip packets died ] 11014|[ ip error on pinging ] 11015|"
        "[ ip error - check system ] 11016|[ ip too big ] 11017|[ ip target unreachable ] 11018|"
        "[ ip address couldn\xC2\xB4t be found ] 11019|[ ip error ] 11020|"
        "[ ip unknown host-error ] 11021|[ ip can not be resolved ] 11022|"
        "[ ip address unknown on host ] 11023|[ ip common error ] 11050|[ ip wrong ] 11255|"
        "[ unknown host error ] 11024|[ unknown host error ] -2|");
}

TEST_F(TcpipTest, EchoLoopbackAnswersWithTheEchoedData) {
    EchoReply reply;
    const std::int32_t status = tcpip.PingAddress("127.0.0.1", "Hello There", reply, path);
    if (status == platform::ip::kGeneralFailure) {
        GTEST_SKIP() << "no ICMP echo socket may be opened here: " << log();
    }
    ASSERT_EQ(status, 0);
    EXPECT_EQ(reply.Address, 0x0100007Fu);  // 127.0.0.1 in network byte order
    EXPECT_LT(reply.RoundTripTime, 500u);
    EXPECT_EQ(EchoReport("127.0.0.1", status, reply, "3:04:05 PM"),
              "[ ip found ] 0\r\n3:04:05 PM : Ping IP 127.0.0.1 [ ip found ] 0 RoundTrip Time " +
                  std::to_string(reply.RoundTripTime) + " ms Packet Size 11 bytes Hello There");
    EXPECT_EQ(icmp.requests, 1);
}

// Text that is no address sends nothing; an error reply carries the measured time and no data;
// without an echo socket the reason is logged.
TEST_F(TcpipTest, EchoBadAddressesErrorRepliesAndNoEchoSocket) {
    EchoReply reply;
    reply.RoundTripTime = 7;
    for (const char* bad : {"999.1.1.1", "not-an-address", ""}) {
        EXPECT_EQ(tcpip.PingAddress(bad, "Hello There", reply, path), -1) << bad;
    }
    EXPECT_EQ(icmp.requests, 0);
    EXPECT_EQ(reply.RoundTripTime, 7u) << "the reply is left as it was";
    EXPECT_EQ(EchoReport("999.1.1.1", -1, reply, "T"),
              "[ invalid ip format ] -1\r\nT : Ping IP 999.1.1.1 [ invalid ip format ] -1 "
              "RoundTrip Time 7 ms Packet Size 0 bytes ");

    icmp.scripted.emplace();
    icmp.scripted->status = 11005;
    icmp.scripted->roundTripMs = 9;
    EchoReply error;
    EXPECT_EQ(tcpip.PingAddress("127.0.0.1", "Hello There", error, path), 11005);
    EXPECT_EQ(error.Status, 11005u);
    EXPECT_EQ(EchoReport("127.0.0.1", 11005, error, "T"),
              "[ ip target port blocked ] 11005\r\nT : Ping IP 127.0.0.1 [ ip target port "
              "blocked ] 11005 RoundTrip Time 9 ms Packet Size 0 bytes ");

    icmp.openFails = true;
    EXPECT_EQ(tcpip.PingAddress("127.0.0.1", "Hello There", reply, path), 11050);
    EXPECT_EQ(log(),
              "3:04:05 PM : No echo request sent to 127.0.0.1: ICMP raw socket: Operation not "
              "permitted\r\n");

    // A data area without NUL is shown whole; the word at offset 12 includes Reserved.
    reply.Data.fill('x');
    EXPECT_EQ(reply.DataText(), std::string(250, 'x'));
    reply.DataSize = 250;
    reply.Reserved = 1;
    EXPECT_EQ(reply.PacketSize(), 65786u);
}

// A router on loopback: waits up to two seconds on the raw socket `fd` for one echo request and
// answers it with an ICMP error message of the given type and code that quotes the request, as a
// router on the way would.
void AnswerWithError(int fd, std::uint8_t type, std::uint8_t code) {
    std::vector<std::uint8_t> packet(1500);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd waiting{fd, POLLIN, 0};
        const ssize_t n =
            ::poll(&waiting, 1, 100) > 0 ? ::recv(fd, packet.data(), packet.size(), 0) : 0;
        const std::size_t header = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
        if (n < static_cast<ssize_t>(header + 8) || packet[header] != 8) {
            continue;  // nothing yet, or not an echo request
        }
        std::vector<std::uint8_t> error{type, code, 0, 0, 0, 0, 0, 0};
        error.insert(error.end(), packet.begin(), packet.begin() + header + 8);
        std::uint32_t sum = 0;  // the checksum; the message's length is even
        for (std::size_t i = 0; i < error.size(); i += 2) {
            sum += static_cast<std::uint32_t>(error[i] << 8 | error[i + 1]);
        }
        sum = (sum & 0xFFFF) + (sum >> 16);
        sum = ~(sum + (sum >> 16));
        error[2] = static_cast<std::uint8_t>(sum >> 8);
        error[3] = static_cast<std::uint8_t>(sum);
        sockaddr_in to{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        ::sendto(fd, error.data(), error.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        return;
    }
}

class EchoNamespaceTest : public test::ModuleFixture,
                          public ::testing::WithParamInterface<EchoSockets> {};

// No answer times out after half a second, not sooner and without hanging; a route that
// prohibits the address fails at once, as the "administratively prohibited" message would; an
// ICMP error message, which a router on loopback sends, becomes its status at once.
TEST_P(EchoNamespaceTest, NoAnswerTimesOutAndErrorsAndProhibitedRoutesFailAtOnce) {
    if (std::getenv("VIRELO_NETNS") == nullptr) {
        GTEST_SKIP() << "runs only inside the namespace made by run_in_netns.sh";
    }
    platform::posix::PosixIcmp pinned(GetParam());
    TCPIP module(sockets, pinned, general);
    const auto ping = [&](const char* address, EchoReply& reply) {
        return module.PingAddress(address, "Hello There", reply, path);
    };
    EchoReply reply;
    auto start = std::chrono::steady_clock::now();
    const std::int32_t status = ping("127.0.0.1", reply);
    const auto waited = std::chrono::steady_clock::now() - start;
    ASSERT_NE(status, platform::ip::kGeneralFailure) << log();
    EXPECT_EQ(IcmpStatusText(status), "[ ip request timed out ] 11010");
    EXPECT_GE(waited, std::chrono::milliseconds(450));
    EXPECT_LT(waited, std::chrono::seconds(5));

    start = std::chrono::steady_clock::now();
    EXPECT_EQ(ping("10.9.9.8", reply), platform::ip::kDestHostUnreachable) << log();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));

    const std::tuple<std::uint8_t, std::uint8_t, std::int32_t> icmpErrors[] = {
        {3, 0, 11002},  {3, 1, 11003},  {3, 2, 11004},  {3, 3, 11005},  {3, 5, 11012},
        {3, 13, 11003}, {11, 0, 11013}, {11, 1, 11014}, {12, 0, 11015}, {4, 0, 11016},
    };
    for (const auto& [type, code, expected] : icmpErrors) {
        if (type == 11 && code == 1 && GetParam() == EchoSockets::DatagramOnly) {
            continue;  // the kernel hands "reassembly time exceeded" to raw sockets only
        }
        SCOPED_TRACE("type " + std::to_string(type) + " code " + std::to_string(code));
        const int fd = ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
        ASSERT_GE(fd, 0) << "no raw socket for the router";
        std::thread router(AnswerWithError, fd, type, code);
        EchoReply answered;
        start = std::chrono::steady_clock::now();
        EXPECT_EQ(ping("127.0.0.1", answered), expected) << log();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450))
            << "answered by the error, not by the time-out";
        EXPECT_EQ(answered.Address, htonl(INADDR_LOOPBACK));
        EXPECT_LT(answered.RoundTripTime, 450u);
        router.join();
        ::close(fd);
    }
}

// ICMPv6: the namespace's own address fd00::5 answers; with echo requests ignored it times out
// after half a second; an address without a route fails at once.
TEST_P(EchoNamespaceTest, Ipv6EchoIsAnsweredOrTimesOutAndAnAddressWithoutARouteFailsAtOnce) {
    if (std::getenv("VIRELO_NETNS") == nullptr) {
        GTEST_SKIP() << "runs only inside the namespace made by run_in_netns.sh";
    }
    platform::posix::PosixIcmp pinned(GetParam());
    TCPIP module(sockets, pinned, general);
    const std::array<std::uint8_t, 16> own{0xfd, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5};
    const std::array<std::uint8_t, 16> unrouted{0xfd, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6};
    EchoReply reply;
    ASSERT_EQ(module.PingAddress6(own, "fd00::5", "Hello There", reply, path), 0) << log();
    EXPECT_EQ(reply.DataText(), "Hello There");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(module.PingAddress6(unrouted, "fd00::6", "Hello There", reply, path),
              platform::ip::kDestNetUnreachable);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    std::ofstream("/proc/sys/net/ipv6/icmp/echo_ignore_all") << "1";
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(module.PingAddress6(own, "fd00::5", "Hello There", reply, path),
              platform::ip::kReqTimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450));
    std::ofstream("/proc/sys/net/ipv6/icmp/echo_ignore_all") << "0";
}

INSTANTIATE_TEST_SUITE_P(BothSockets, EchoNamespaceTest,
                         ::testing::Values(EchoSockets::DatagramOnly, EchoSockets::RawOnly),
                         [](const auto& info) {
                             return info.param == EchoSockets::RawOnly ? "Raw" : "Datagram";
                         });

}  // namespace
}  // namespace virelo::tcpip

int main(int argc, char** argv) {
    virelo::test::RequireIsolatedResolver(argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
