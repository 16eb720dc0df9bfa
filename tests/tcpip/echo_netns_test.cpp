// Echo requests that get no answer. run_in_netns.sh starts this program in a private network
// namespace whose loopback ignores echo requests, so nothing leaves the machine.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "support/ModuleFixture.h"

namespace virelo::tcpip {
namespace {

class EchoNamespaceTest : public test::ModuleFixture {
protected:
    void SetUp() override {
        if (std::getenv("VIRELO_NETNS") == nullptr) {
            GTEST_SKIP() << "runs only inside the namespace made by run_in_netns.sh";
        }
        ModuleFixture::SetUp();
    }
};

TEST_F(EchoNamespaceTest, NoAnswerTimesOutAfterHalfASecond) {
    EchoReply reply;
    const auto start = std::chrono::steady_clock::now();
    const std::int32_t status = tcpip.PingAddress("127.0.0.1", "Hello There", reply, path);
    const auto waited = std::chrono::steady_clock::now() - start;
    ASSERT_NE(status, platform::ip::kGeneralFailure) << log();
    EXPECT_EQ(status, platform::ip::kReqTimedOut);
    EXPECT_EQ(IcmpStatusText(status), "[ ip request timed out ] 11010");
    // It waited for the answer, and it did not hang.
    EXPECT_GE(waited, std::chrono::milliseconds(450));
    EXPECT_LT(waited, std::chrono::seconds(5));
}

TEST_F(EchoNamespaceTest, DatagramSocketPathWhereTheNamespaceAllowsIt) {
    std::ifstream range("/proc/sys/net/ipv4/ping_group_range");
    long low = 1;
    long high = 0;
    range >> low >> high;
    if (low > 0 || high < 0) {
        GTEST_SKIP() << "this kernel keeps ICMP datagram sockets closed inside the namespace ("
                     << low << " " << high << "): only the raw-socket path was tested";
    }
    EchoReply reply;
    EXPECT_EQ(tcpip.PingAddress("127.0.0.1", "Hello There", reply, path), 11010);
}

}  // namespace
}  // namespace virelo::tcpip
