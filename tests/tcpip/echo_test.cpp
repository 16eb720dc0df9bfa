#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "support/ModuleFixture.h"
#include "tcpip/EchoReply.h"

namespace virelo::tcpip {
namespace {

TEST(IcmpStatusTextTest, BracketsTheTextOfEveryCodeAndAddsTheCode) {
    const std::pair<std::int32_t, const char*> table[] = {
        {-1, "invalid ip format"},
        {0, "ip found"},
        {500, "ping timeout"},
        {11001, "ip error, too small?"},
        {11002, "ip unreachable"},
        {11003, "ip host unreachable"},
        {11004, "ip target unreachable"},
        {11005, "ip target port blocked"},
        {11006, "ip too few resources"},
        {11007, "ip wrong option"},
        {11008, "ip hardwareerror"},
        {11009, "ip datapacket too big"},
        {11010, "ip request timed out"},
        {11011, "ip unknown error"},
        {11012, "ip invalid route"},
        {11013, "ip packets died"},
        {11014, "ip packets died"},
        {11015, "ip error on pinging"},
        {11016, "ip error - check system"},
        {11017, "ip too big"},
        {11018, "ip target unreachable"},
        {11019, "ip address couldn\xC2\xB4t be found"},
        {11020, "ip error"},
        {11021, "ip unknown host-error"},
        {11022, "ip can not be resolved"},
        {11023, "ip address unknown on host"},
        {11050, "ip common error"},
        {11255, "ip wrong"},
        {12345, "unknown host error"},
        {11024, "unknown host error"},
        {1, "unknown host error"},
        {-2, "unknown host error"}};
    for (const auto& [code, text] : table) {
        EXPECT_EQ(IcmpStatusText(code), std::string("[ ") + text + " ] " + std::to_string(code));
    }
}

using EchoTest = test::ModuleFixture;

TEST_F(EchoTest, LoopbackAnswersWithTheEchoedData) {
    EchoReply reply;
    const std::int32_t status = tcpip.PingAddress("127.0.0.1", "Hello There", reply, path);
    if (status == platform::ip::kGeneralFailure) {
        GTEST_SKIP() << "no ICMP echo socket may be opened here: " << log();
    }
    ASSERT_EQ(status, 0);
    EXPECT_EQ(reply.Status, 0u);
    EXPECT_EQ(reply.PacketSize(), 11u);
    EXPECT_EQ(reply.DataText(), "Hello There");
    EXPECT_EQ(reply.Address, 0x0100007Fu);  // 127.0.0.1 in network byte order
    EXPECT_LT(reply.RoundTripTime, 500u);
    const std::string report = EchoReport("127.0.0.1", status, reply, "3:04:05 PM");
    EXPECT_TRUE(std::regex_match(
        report, std::regex(R"(\[ ip found \] 0\r\n3:04:05 PM : Ping IP 127\.0\.0\.1 )"
                           R"(\[ ip found \] 0 RoundTrip Time \d+ ms Packet Size )"
                           R"(11 bytes Hello There)")))
        << report;
    EXPECT_EQ(icmp.requests, 1);
}

TEST_F(EchoTest, TextThatIsNoAddressSendsNothing) {
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
}

TEST_F(EchoTest, ErrorRepliesCarryTheMeasuredTimeAndNoData) {
    EchoReply reply;
    platform::EchoResult answer;
    answer.status = 11005;
    answer.roundTripMs = 7;
    answer.address = 0x0100007F;
    icmp.scripted = answer;
    EXPECT_EQ(tcpip.PingAddress("127.0.0.1", "Hello There", reply, path), 11005);
    EXPECT_EQ(reply.Status, 11005u);
    EXPECT_EQ(EchoReport("127.0.0.1", 11005, reply, "T"),
              "[ ip target port blocked ] 11005\r\nT : Ping IP 127.0.0.1 [ ip target port "
              "blocked ] 11005 RoundTrip Time 7 ms Packet Size 0 bytes ");
}

TEST_F(EchoTest, NoEchoSocketIsACommonErrorWithItsReasonLogged) {
    icmp.openFails = true;
    EchoReply reply;
    EXPECT_EQ(tcpip.PingAddress("127.0.0.1", "Hello There", reply, path), 11050);
    EXPECT_EQ(IcmpStatusText(11050), "[ ip common error ] 11050");
    EXPECT_EQ(log(),
              "3:04:05 PM : No echo request sent to 127.0.0.1: ICMP raw socket: Operation not "
              "permitted\r\n");
}

TEST_F(EchoTest, DataAreaWithoutNulIsShownWhole) {
    EchoReply reply;
    reply.Data.fill('x');
    EXPECT_EQ(reply.DataText(), std::string(250, 'x'));
    reply.DataSize = 250;
    reply.Reserved = 1;
    EXPECT_EQ(reply.PacketSize(), 65786u) << "the word at offset 12 includes Reserved";
}

}  // namespace
}  // namespace virelo::tcpip
