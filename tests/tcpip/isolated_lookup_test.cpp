// Look-ups of made-up names and addresses. They run only against the test hosts file through
// nss_wrapper, which never asks a name server, so no query leaves the machine.
#include <gtest/gtest.h>

#include "support/IsolatedResolver.h"
#include "support/ModuleFixture.h"

namespace virelo::tcpip {
namespace {

using IsolatedLookupTest = test::ModuleFixture;

TEST_F(IsolatedLookupTest, AllAddressesAndAliasesInResolverOrderByNameAndByAddress) {
    const HostInfo info = tcpip.GetHostByNameInfo("multi.test", path);
    EXPECT_EQ(info.HostName, "multi.test");
    EXPECT_EQ(info.AliasCount, 2);
    EXPECT_EQ(info.Aliases, (std::vector<std::string>{"mh-alias-one", "mh-alias-two", ""}));
    EXPECT_EQ(info.AddrCount, 3);
    EXPECT_EQ(info.Addresses,
              (std::vector<std::string>{"127.9.8.1", "127.9.8.2", "127.9.8.3", ""}));
    EXPECT_EQ(log(),
              "3:04:05 PM : Fully Qualified HostName: multi.test\r\n"
              "3:04:05 PM : Host Aliases retrieved\r\n"
              "3:04:05 PM : Host IP Address(s) retrieved\r\n");

    const HostInfo byAddress = tcpip.GetHostByAddrInfo("127.9.8.2", path);
    EXPECT_EQ(byAddress.HostName, "multi.test");
    EXPECT_EQ(byAddress.Addresses, (std::vector<std::string>{"127.9.8.2", ""}));
}

TEST_F(IsolatedLookupTest, UnknownNamesAndAddressesLogOneErrorNumber) {
    for (const auto& [byName, text] :
         {std::pair{true, "no-such-host.test"}, std::pair{true, "name with blanks"},
          std::pair{false, "not-an-address"}, std::pair{false, "127.200.200.200"}}) {
        std::remove(path.c_str());
        const HostInfo info =
            byName ? tcpip.GetHostByNameInfo(text, path) : tcpip.GetHostByAddrInfo(text, path);
        EXPECT_EQ(info.HostName, "") << text;
        EXPECT_EQ(info.AliasCount, 0);
        EXPECT_EQ(info.AddrCount, 0);
        EXPECT_FALSE(info.Aliases.has_value()) << text;
        EXPECT_FALSE(info.Addresses.has_value()) << text;
        EXPECT_EQ(log(), "3:04:05 PM : 11001\r\n") << text;
    }
}

TEST_F(IsolatedLookupTest, AnEmptyNameIsTheLocalHostAsWindowsSocketsHasIt) {
    for (const char* empty : {"", "   "}) {
        std::remove(path.c_str());
        const HostInfo info = tcpip.GetHostByNameInfo(empty, path);
        EXPECT_EQ(info.HostName, "test-ws") << "'" << empty << "'";
        EXPECT_EQ(info.Addresses, (std::vector<std::string>{"127.0.0.1", ""}));
        EXPECT_EQ(log(),
                  "3:04:05 PM : Fully Qualified HostName: test-ws\r\n"
                  "3:04:05 PM : Host Aliases retrieved\r\n"
                  "3:04:05 PM : Host IP Address(s) retrieved\r\n");
    }
}

}  // namespace
}  // namespace virelo::tcpip

int main(int argc, char** argv) {
    virelo::test::RequireIsolatedResolver(argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
