#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "support/ModuleFixture.h"
#include "tcpip/EchoReply.h"

namespace virelo::tcpip {
namespace {

struct StatusCase {
    std::int32_t code;
    const char* text;
};

class IcmpStatusTextTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(IcmpStatusTextTest, BracketsTheTextAndAddsTheCode) {
    EXPECT_EQ(IcmpStatusText(GetParam().code),
              std::string("[ ") + GetParam().text + " ] " + std::to_string(GetParam().code));
}

INSTANTIATE_TEST_SUITE_P(
    StatusTable, IcmpStatusTextTest,
    ::testing::Values(
        StatusCase{-1, "invalid ip format"}, StatusCase{0, "ip found"},
        StatusCase{500, "ping timeout"}, StatusCase{11001, "ip error, too small?"},
        StatusCase{11002, "ip unreachable"}, StatusCase{11003, "ip host unreachable"},
        StatusCase{11004, "ip target unreachable"}, StatusCase{11005, "ip target port blocked"},
        StatusCase{11006, "ip too few resources"}, StatusCase{11007, "ip wrong option"},
        StatusCase{11008, "ip hardwareerror"}, StatusCase{11009, "ip datapacket too big"},
        StatusCase{11010, "ip request timed out"}, StatusCase{11011, "ip unknown error"},
        StatusCase{11012, "ip invalid route"}, StatusCase{11013, "ip packets died"},
        StatusCase{11014, "ip packets died"}, StatusCase{11015, "ip error on pinging"},
        StatusCase{11016, "ip error - check system"}, StatusCase{11017, "ip too big"},
        StatusCase{11018, "ip target unreachable"},
        StatusCase{11019, "ip address couldn\xC2\xB4t be found"}, StatusCase{11020, "ip error"},
        StatusCase{11021, "ip unknown host-error"}, StatusCase{11022, "ip can not be resolved"},
        StatusCase{11023, "ip address unknown on host"}, StatusCase{11050, "ip common error"},
        StatusCase{11255, "ip wrong"}, StatusCase{12345, "unknown host error"},
        StatusCase{11024, "unknown host error"}, StatusCase{1, "unknown host error"},
        StatusCase{-2, "unknown host error"}));

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

TEST_F(EchoTest, ErrorRepliesKeepTheEarlierFieldsAndShowTheirStatus) {
    EchoReply reply;
    reply.RoundTripTime = 3;
    reply.DataSize = 11;
    std::memcpy(reply.Data.data(), "Hello There", 11);
    for (const std::int32_t status : {11002, 11003, 11004, 11005, 11013}) {
        platform::EchoResult answer;
        answer.status = status;
        icmp.scripted = answer;
        EXPECT_EQ(tcpip.PingAddress("127.0.0.1", "Hello There", reply, path), status);
        EXPECT_EQ(reply.Status, static_cast<std::uint32_t>(status));
    }
    EXPECT_EQ(EchoReport("127.0.0.1", 11005, reply, "T"),
              "[ ip target port blocked ] 11005\r\nT : Ping IP 127.0.0.1 [ ip target port "
              "blocked ] 11005 RoundTrip Time 3 ms Packet Size 11 bytes Hello There");
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
