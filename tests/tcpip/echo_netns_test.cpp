// Echo requests that get no answer, or an ICMP error message instead of one. run_in_netns.sh
// starts this program in a private network namespace whose loopback ignores echo requests and
// where a route prohibits 10.9.9.0/24, so nothing leaves the machine. Every case runs over both
// kinds of ICMP socket.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "support/ModuleFixture.h"

namespace virelo::tcpip {
namespace {

using platform::posix::EchoSockets;

std::uint16_t Checksum(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        sum +=
            static_cast<std::uint32_t>(bytes[i] << 8 | (i + 1 < bytes.size() ? bytes[i + 1] : 0));
    }
    while (sum >> 16) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(~sum);
}

// A router on loopback: waits for one echo request and answers it with an ICMP error message of
// the given type and code that quotes the request, as a router on the way would.
class ErrorResponder {
public:
    ErrorResponder(std::uint8_t type, std::uint8_t code)
        : fd_(::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP)) {
        if (fd_ >= 0) {
            thread_ = std::thread([this, type, code] { Answer(type, code); });
        }
    }
    ~ErrorResponder() {
        if (thread_.joinable()) {
            thread_.join();
        }
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool ready() const { return fd_ >= 0; }

private:
    void Answer(std::uint8_t type, std::uint8_t code) {
        std::vector<std::uint8_t> packet(1500);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd waiting{fd_, POLLIN, 0};
            if (::poll(&waiting, 1, 100) <= 0) {
                continue;
            }
            const ssize_t n = ::recv(fd_, packet.data(), packet.size(), 0);
            const std::size_t header = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
            if (n < static_cast<ssize_t>(header + 8) || packet[header] != 8) {
                continue;  // not an echo request
            }
            std::vector<std::uint8_t> error{type, code, 0, 0, 0, 0, 0, 0};
            error.insert(error.end(), packet.begin(), packet.begin() + header + 8);
            const std::uint16_t sum = Checksum(error);
            error[2] = static_cast<std::uint8_t>(sum >> 8);
            error[3] = static_cast<std::uint8_t>(sum);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            ::sendto(fd_, error.data(), error.size(), 0, reinterpret_cast<sockaddr*>(&to),
                     sizeof to);
            return;
        }
    }

    int fd_;
    std::thread thread_;
};

class EchoNamespaceTest : public test::ModuleFixture,
                          public ::testing::WithParamInterface<EchoSockets> {
protected:
    void SetUp() override {
        if (std::getenv("VIRELO_NETNS") == nullptr) {
            GTEST_SKIP() << "runs only inside the namespace made by run_in_netns.sh";
        }
        ModuleFixture::SetUp();
    }
    std::int32_t ping(const std::string& address, EchoReply& reply) {
        platform::posix::PosixIcmp pinned(GetParam());
        TCPIP module(sockets, pinned, general);
        return module.PingAddress(address, "Hello There", reply, path);
    }
};

// No answer times out after half a second, not sooner and without hanging; a route that
// prohibits the address fails at once, as the "administratively prohibited" message would.
TEST_P(EchoNamespaceTest, NoAnswerTimesOutAndAProhibitedRouteFailsAtOnce) {
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
}

TEST_P(EchoNamespaceTest, IcmpErrorMessagesBecomeTheirStatus) {
    struct Case {
        std::uint8_t type, code;
        std::int32_t status;
    };
    const Case cases[] = {
        {3, 0, 11002},  {3, 1, 11003},  {3, 2, 11004},  {3, 3, 11005},  {3, 5, 11012},
        {3, 13, 11003}, {11, 0, 11013}, {11, 1, 11014}, {12, 0, 11015}, {4, 0, 11016},
    };
    for (const Case& c : cases) {
        if (c.type == 11 && c.code == 1 && GetParam() == EchoSockets::DatagramOnly) {
            continue;  // the kernel hands "reassembly time exceeded" to raw sockets only
        }
        ErrorResponder router(c.type, c.code);
        ASSERT_TRUE(router.ready()) << "no raw socket for the responder";
        EchoReply reply;
        reply.DataSize = 11;
        std::memcpy(reply.Data.data(), "stale", 5);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ping("127.0.0.1", reply), c.status)
            << "type " << int(c.type) << " code " << int(c.code) << "\n"
            << log();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450))
            << "answered by the error, not by the time-out";
        EXPECT_EQ(reply.Address, htonl(INADDR_LOOPBACK));
        EXPECT_LT(reply.RoundTripTime, 450u);
    }
}

INSTANTIATE_TEST_SUITE_P(BothSockets, EchoNamespaceTest,
                         ::testing::Values(EchoSockets::DatagramOnly, EchoSockets::RawOnly),
                         [](const auto& info) {
                             return info.param == EchoSockets::RawOnly ? "Raw" : "Datagram";
                         });

}  // namespace
}  // namespace virelo::tcpip
