// The TCP/IP module over Windows Sockets and the ICMP echo service of Windows. Names come from
// the test hosts file, which scripts/test-windows.sh puts in place of the machine's in a private
// mount namespace ("hosts: files", no name server), so no query leaves the machine.
#include "WindowsSupport.h"

#include "platform/win32/Win32Icmp.h"
#include "platform/win32/Win32Sockets.h"
#include "tcpip/TCPIP.h"

namespace virelo::test {
namespace {

using Texts = std::vector<std::string>;
using tcpip::HostInfo;

class TcpipTest : public LogFixture {
protected:
    void SetUp() override { ASSERT_TRUE(tcpip.InitSockets()); }
    void TearDown() override { tcpip.CleanupSockets(); }

    platform::win32::Win32Sockets sockets;
    platform::win32::Win32Icmp icmp;
    tcpip::TCPIP tcpip{sockets, icmp, general};
};

TEST_F(TcpipTest, LocalhostByNameAndByAddress) {
    EXPECT_EQ(tcpip.GetHostByNameInfo(" localhost ", path).Addresses, (Texts{"127.0.0.1", ""}));
    EXPECT_EQ(tcpip.GetHostByAddrInfo("127.0.0.1", path).HostName, "localhost");
}

TEST_F(TcpipTest, TestHostsWithAliasesAndSeveralAddressesAndUnknownNames) {
    if (std::getenv("VIRELO_TEST_HOSTS") == nullptr) {
        GTEST_SKIP() << "needs the test hosts file in place of the machine's (scripts/"
                        "test-windows.sh): a made-up name would otherwise go to a name server";
    }
    EXPECT_EQ(tcpip.GetLocalHostName(path), "test-ws");
    EXPECT_EQ(log(), "\r\n3:04:05 PM : HostName: test-ws Retieved");

    const HostInfo multi = tcpip.GetHostByNameInfo("multi.test", path);
    EXPECT_EQ(multi.HostName, "multi.test");
    EXPECT_EQ(multi.Aliases, (Texts{"mh-alias-one", "mh-alias-two", ""}));
    EXPECT_EQ(multi.Addresses, (Texts{"127.9.8.1", "127.9.8.2", "127.9.8.3", ""}));
    EXPECT_EQ(tcpip.GetHostByAddrInfo("127.0.0.2", path).HostName, "two.test");
    log();

    for (const bool byName : {true, false}) {
        const HostInfo unknown = byName ? tcpip.GetHostByNameInfo("nosuch.test", path)
                                        : tcpip.GetHostByAddrInfo("127.66.66.66", path);
        EXPECT_EQ(unknown.HostName, "") << byName;
        EXPECT_FALSE(unknown.Aliases || unknown.Addresses) << byName;
        EXPECT_EQ(log(), "\r\n3:04:05 PM : 11001") << byName;
    }
}

TEST_F(TcpipTest, ServicesByNameAndByPortInAnyLetterCase) {
    const tcpip::ServiceInfo http = tcpip.GetServiceByName("http", "TCP", path);
    EXPECT_EQ(http.ServiceName + " " + http.Port + " " + http.Protocol, "http 80 tcp");
    EXPECT_EQ(http.Aliases, (Texts{"www", ""}));
    // Windows reads its own services file (system32\drivers\etc\services), not the machine's.
    EXPECT_EQ(tcpip.GetServiceByPort("80", "Tcp", path).ServiceName, "http");
    EXPECT_EQ(tcpip.GetServiceByPort("21", "tcp", path).ServiceName, "ftp");
    log();
    EXPECT_FALSE(tcpip.GetServiceByName("no-such-service", "TCP", path).Aliases.has_value());
    EXPECT_EQ(log(), "\r\n3:04:05 PM : 11004\r\n3:04:05 PM : No Services Found!");
}

TEST_F(TcpipTest, EchoToLoopbackAndToAnAddressWithoutRoute) {
    tcpip::EchoReply reply;
    ASSERT_EQ(tcpip.PingAddress("127.0.0.1", "Hello There", reply, path), 0);
    EXPECT_EQ(reply.Address, 0x0100007Fu);
    EXPECT_EQ(reply.PacketSize(), 11u);
    EXPECT_EQ(reply.DataText(), "Hello There");
    EXPECT_EQ(tcpip.PingAddress("999.1.1.1", "Hello There", reply, path), -1);

    if (!InPrivatePrefix()) {
        GTEST_SKIP() << "an echo to 10.9.9.8 is sent only inside the private network namespace "
                        "of scripts/test-windows.sh, where only loopback exists";
    }
    const auto start = std::chrono::steady_clock::now();
    const std::int32_t status = tcpip.PingAddress("10.9.9.8", "Hello There", reply, path);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    // Windows answers a destination without a route as unreachable; Wine, whose ICMP socket
    // cannot send at all then, as a general failure.
    EXPECT_TRUE(status == 11002 || status == 11003 || status == 11050)
        << tcpip::IcmpStatusText(status);
}

// Windows' IPv6 statuses become those that the POSIX systems give for the same ICMPv6 message,
// then an echo to ::1 where the system has ICMPv6 echo.
TEST_F(TcpipTest, Ipv6EchoStatusesAndAnEchoToLoopback) {
    // Windows' status -> ours: no route, prohibited, beyond scope, unreachable of another kind,
    // port, time exceeded of another kind, header, next header, ICMP error, a bad argument.
    const std::pair<unsigned long, std::int32_t> cases[] = {
        {11002, 11002}, {11004, 11003}, {11045, 11003}, {11040, 11003}, {11005, 11005},
        {11041, 11013}, {11042, 11015}, {11043, 11015}, {11044, 11050}, {87, 11050}};
    for (const auto& [windows, ours] : cases) {
        EXPECT_EQ(platform::win32::EchoStatus6(windows), ours) << windows;
    }
    platform::EchoResult echo;
    std::string failure;
    if (!icmp.sendEcho6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "Hi", 500, echo,
                        failure)) {
        GTEST_SKIP() << "no ICMPv6 echo here (Wine has none): " << failure;
    }
    EXPECT_EQ(std::pair(echo.status, echo.data), std::pair(0, std::string("Hi")));
}

}  // namespace
}  // namespace virelo::test
