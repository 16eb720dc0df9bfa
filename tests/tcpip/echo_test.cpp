#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "support/ModuleFixture.h"
#include "tcpip/EchoReply.h"

namespace virelo::tcpip {
namespace {

// The words of every status code of the ICMP library, and of codes it does not have.
TEST(IcmpStatusTextTest, BracketsTheTextOfEveryCodeAndAddsTheCode) {
    std::string all;
    for (const std::int32_t code :
         {-1,    0,     500,   11001, 11002, 11003, 11004, 11005, 11006, 11007, 11008,
          11009, 11010, 11011, 11012, 11013, 11014, 11015, 11016, 11017, 11018, 11019,
          11020, 11021, 11022, 11023, 11050, 11255, 12345, 11024, 1,     -2}) {
        all += IcmpStatusText(code) + "|";
    }
    EXPECT_EQ(
        all,
        "[ invalid ip format ] -1|[ ip found ] 0|[ ping timeout ] 500|"
        "[ ip error, too small? ] 11001|[ ip unreachable ] 11002|[ ip host unreachable ] 11003|"
        "[ ip target unreachable ] 11004|[ ip target port blocked ] 11005|"
        "[ ip too few resources ] 11006|[ ip wrong option ] 11007|[ ip hardwareerror ] 11008|"
        "[ ip datapacket too big ] 11009|[ ip request timed out ] 11010|"
        "[ ip unknown error ] 11011|[ ip invalid route ] 11012|[ ip packets died ] 11013|"
        "[ ip packets died ] 11014|[ ip error on pinging ] 11015|"
        "[ ip error - check system ] 11016|[ ip too big ] 11017|"
        "[ ip target unreachable ] 11018|[ ip address couldn\xC2\xB4t be found ] 11019|"
        "[ ip error ] 11020|[ ip unknown host-error ] 11021|[ ip can not be resolved ] 11022|"
        "[ ip address unknown on host ] 11023|[ ip common error ] 11050|[ ip wrong ] 11255|"
        "[ unknown host error ] 12345|[ unknown host error ] 11024|[ unknown host error ] 1|"
        "[ unknown host error ] -2|");
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
