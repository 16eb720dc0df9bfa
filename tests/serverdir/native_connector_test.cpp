// The native-connect component against listeners on loopback addresses. Host names come from the
// test hosts file through nss_wrapper, so no look-up ever reaches a name server; the networks that
// fail are those of the private namespace that run_in_netns.sh makes, with its own hosts file and
// a name server that cannot be reached.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "platform/posix/PosixNetwork.h"
#include "serverdir/LocalNativeConnector.h"
#include "support/IsolatedResolver.h"
#include "support/TcpListener.h"

namespace virelo::serverdir {
namespace {

using namespace std::chrono_literals;
using test::TcpListener;

class NativeConnectorTest : public ::testing::Test {
protected:
    // Pings with the fixed user, password and database a user would type.
    auto ping(const std::string& server, const std::string& host, const std::string& service,
              const std::string& protocol) {
        connector.PingServer(server, host, service, protocol, "informix", "s3cret-pw", "stores");
        EXPECT_EQ(connector.Detail().find("s3cret-pw"), std::string::npos);
        return std::pair(connector.SqlCode(), connector.SqlState());
    }

    platform::posix::PosixNetwork network;
    LocalNativeConnector connector{network};
};

TEST_F(NativeConnectorTest, AListeningServerIsReachedOnAnySpellingOfTcpAndAnyAddress) {
    // Every address is tried in turn, IPv6 included: two.test is 127.0.0.2, then 127.0.0.3.
    TcpListener one, three("127.0.0.3"), six("::1");
    const std::string port = std::to_string(one.port);
    const std::string cases[][4] = {
        // host, service, protocol, the address reached
        {"localhost", port, "kasoctcp", "127.0.0.1"},
        {"localhost", port, "kbsoctcp", "127.0.0.1"},
        {"localhost", port, "kcsoctcp", "127.0.0.1"},
        {"localhost", port, "KASOCTCP", "127.0.0.1"},
        {"localhost", port, "", "127.0.0.1"},
        {" localhost ", " " + port + " ", "kasoctcp", "127.0.0.1"},  // blanks are not part of them
        {"localhost", "000" + port, "kasoctcp", "127.0.0.1"},  // zeros make no number too long
        {"two.test", std::to_string(three.port), "kasoctcp", "127.0.0.3"},
        {"six.test", std::to_string(six.port), "kasoctcp", "::1"},
    };
    for (const auto& [host, service, protocol, address] : cases) {
        EXPECT_EQ(ping("srv1", host, service, protocol), std::pair(0, std::string("01V01")))
            << host << " " << protocol << ": " << connector.Detail();
        EXPECT_EQ(connector.Detail(), address + " port " + std::to_string(std::stoi(service)));
    }
}

TEST_F(NativeConnectorTest, EachFailingLayerHasItsOwnCode) {
    const std::string closed = std::to_string(TcpListener::ClosedPort());
    const std::string longHost(300, 'h');
    // what, server, host, service, protocol, code, SQLSTATE
    const std::tuple<const char*, std::string, std::string, std::string, const char*, std::int32_t,
                     const char*>
        cases[] = {
            {"no server, nothing else checked", "", "", "", "bogus", -1801, "08001"},
            {"blank server", "   ", "localhost", closed, "kasoctcp", -1801, "08001"},
            {"unknown protocol", "srv", "localhost", closed, "tcp", -1802, "HY024"},
            {"SPX", "srv", "localhost", closed, "kbsocspx", -1803, "HYC00"},
            {"named pipes", "srv", "localhost", closed, "kaipcnmp", -1803, "HYC00"},
            {"shared memory", "srv", "localhost", closed, "kcipcip", -1803, "HYC00"},
            {"no host", "srv", "", closed, "kasoctcp", -1804, "08001"},
            {"unknown host", "srv", "no-such-host.test", closed, "kasoctcp", -1805, "08001"},
            {"300-character host", "srv", longHost, closed, "kasoctcp", -1805, "08001"},
            {"host with blanks", "srv", "local host", closed, "kasoctcp", -1805, "08001"},
            {"non-ASCII host", "srv", "h\xC3\xB6st.test", closed, "kasoctcp", -1805, "08001"},
            {"no service", "srv", "localhost", "", "kasoctcp", -1807, "08001"},
            {"unknown service", "srv", "localhost", "no-such-service", "kasoctcp", -1808, "08001"},
            {"port above 65535", "srv", "localhost", "65536", "kasoctcp", -1808, "08001"},
            {"negative port", "srv", "localhost", "-1", "kasoctcp", -1808, "08001"},
            {"port 0", "srv", "localhost", "0", "kasoctcp", -1808, "08001"},
            {"service with blanks", "srv", "localhost", "sql exec", "kasoctcp", -1808, "08001"},
            {"nothing listens", "srv", "localhost", closed, "kasoctcp", -1809, "08004"},
        };
    for (const auto& [what, server, host, service, protocol, code, state] : cases) {
        EXPECT_EQ(ping(server, host, service, protocol), std::pair(code, std::string(state)))
            << what << ": " << connector.Detail();
    }
}

using NativeNamespaceTest = NativeConnectorTest;

// Each failure of the network, through the real connector: an unreachable route, a blackhole, a
// name service that cannot be reached. A host whose addresses all fail reports the most telling
// failure (refused over unreachable over the rest), and its addresses share one time limit.
TEST_F(NativeNamespaceTest, NetworkFailuresHaveTheirCodesAndAllAddressesShareOneTimeLimit) {
    if (std::getenv("VIRELO_NETNS") == nullptr) {
        GTEST_SKIP() << "runs only inside the namespace made by run_in_netns.sh";
    }
    constexpr auto kLimit = 500ms;
    LocalNativeConnector bounded(network, kLimit);
    const std::string port = std::to_string(TcpListener::ClosedPort());
    // host, code, what the detail says of the addresses, how long it may take at least
    const std::tuple<const char*, std::int32_t, std::string, std::chrono::milliseconds> cases[] = {
        {"blackhole.test", -1812, "10.9.8.1 port " + port + ": Invalid argument", 0ms},
        // A blackhole, then an unreachable route: the unreachable host is what is told.
        {"nowhere.test", -1810, "10.9.8.2 port " + port + ": Invalid argument; 10.9.9.2", 0ms},
        // The first silent address takes the whole limit, which the second shares.
        {"silent.test", -1811, "10.9.7.1 port " + port + ": ", kLimit},
        // Refused, then silent until the limit: the refusal is what is told.
        {"mixed.test", -1809, "127.0.0.7 port " + port + ": Connection refused; 10.9.7.3", kLimit},
        {"down.test", -1806, "", 0ms},
    };
    for (const auto& [host, code, detail, least] : cases) {
        const auto start = std::chrono::steady_clock::now();
        bounded.PingServer("srv", host, port, "kasoctcp", "", "", "");
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(bounded.SqlCode(), code) << host << ": " << bounded.Detail();
        EXPECT_TRUE(bounded.Detail().starts_with(detail)) << host << ": " << bounded.Detail();
        EXPECT_GE(elapsed, least * 9 / 10) << host;
        EXPECT_LT(elapsed, kLimit * 9 / 5) << host << ": the limit holds for all addresses";
    }
}

}  // namespace
}  // namespace virelo::serverdir

int main(int argc, char** argv) {
    // Inside the namespace its own hosts file and unreachable name server keep every look-up on
    // the machine.
    if (std::getenv("VIRELO_NETNS") == nullptr) {
        virelo::test::RequireIsolatedResolver(argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
