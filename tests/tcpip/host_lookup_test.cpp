// Host entries decoded and logged, from a canned resolver (the real one is used, isolated, in
// isolated_lookup_test.cpp), and the local host name.
#include <gtest/gtest.h>

#include "support/ModuleFixture.h"

namespace virelo::tcpip {
namespace {

using HostLookupTest = test::ModuleFixture;

// Host entries that no resolver here can be made to return on demand.
class CannedSockets : public platform::posix::PosixSockets {
public:
    std::int32_t hostName(std::string& name) override {
        name = hostNameText;
        if (hostNameResult != 0) {
            failure = platform::wsa::kFault;
        }
        return hostNameResult;
    }
    std::optional<platform::HostEntry> hostByName(const std::string& name) override {
        asked = name;
        return entry;
    }
    std::int32_t lastError() const override { return failure; }

    std::string hostNameText;
    std::int32_t hostNameResult = 0;
    std::optional<platform::HostEntry> entry;
    std::string asked;
    std::int32_t failure = 0;
};

TEST_F(HostLookupTest, DecodingTrimsAliasesAndFormatsEveryAddressByte) {
    CannedSockets canned;
    TCPIP module(canned, icmp, general);
    platform::HostEntry entry;
    entry.name = "";
    entry.aliases = {"  first ", "second"};
    entry.addresses = {
        {10, 0, 0, 1},
        {255, 0, 7, 200},
        std::vector<std::uint8_t>{0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}};
    canned.entry = entry;

    const HostInfo info = module.GetHostByNameInfo(" \tname ", path);
    EXPECT_EQ(canned.asked, "\tname") << "only blanks are trimmed";
    EXPECT_EQ(info.AliasCount, 2);
    EXPECT_EQ(info.Aliases, (std::vector<std::string>{"first", "second", ""}));
    EXPECT_EQ(info.AddrCount, 3);
    EXPECT_EQ(info.Addresses,
              (std::vector<std::string>{"10.0.0.1", "255.0.7.200",
                                        "254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1", ""}));
    // An entry without addresses keeps one empty slot.
    canned.entry = platform::HostEntry{"bare.example", {}, {}};
    const HostInfo bare = module.GetHostByNameInfo("bare.example", path);
    EXPECT_EQ(bare.AddrCount, 0);
    EXPECT_EQ(bare.Addresses, std::vector<std::string>{""});
    EXPECT_EQ(log(),
              "3:04:05 PM : Fully qualified HostName returned as blank??\r\n"
              "3:04:05 PM : Host Aliases retrieved\r\n"
              "3:04:05 PM : Host IP Address(s) retrieved\r\n"
              "3:04:05 PM : Fully Qualified HostName: bare.example\r\n"
              "3:04:05 PM : This Host has no Aliases\r\n"
              "3:04:05 PM : This Host has no IP Address!\r\n");
}

TEST_F(HostLookupTest, LocalHostNameFailuresAndBlankNames) {
    CannedSockets canned;
    TCPIP module(canned, icmp, general);
    canned.hostNameText = "   ";
    EXPECT_EQ(module.GetLocalHostName(path), "");
    canned.hostNameText = "  ws1 ";
    EXPECT_EQ(module.GetLocalHostName(path), "ws1");
    canned.hostNameResult = -1;
    EXPECT_EQ(module.GetLocalHostName(path), "");
    EXPECT_EQ(log(),
              "3:04:05 PM : No HostName Found!\r\n"
              "3:04:05 PM : HostName: ws1 Retieved\r\n"
              "3:04:05 PM : 10014\r\n");
}

}  // namespace
}  // namespace virelo::tcpip
