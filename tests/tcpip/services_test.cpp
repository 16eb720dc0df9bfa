// Service look-ups in the machine's real services database.
#include <gtest/gtest.h>

#include "support/ModuleFixture.h"

namespace virelo::tcpip {
namespace {

using ServicesTest = test::ModuleFixture;

constexpr const char* kFoundWithAliases =
    "3:04:05 PM : Service Name retrieved Sucessfully!\r\n"
    "3:04:05 PM : Service Aliases retrieved\r\n";

TEST_F(ServicesTest, ByNameFindsTheLowerCaseEntryForUpperCaseProtocols) {
    const ServiceInfo http = tcpip.GetServiceByName("http", "TCP", path);
    EXPECT_EQ(http.ServiceName, "http");
    EXPECT_EQ(http.AliasCount, 1);
    EXPECT_EQ(http.Aliases, (std::vector<std::string>{"www", ""}));
    EXPECT_EQ(http.Port, "80");
    EXPECT_EQ(http.Protocol, "tcp");
    EXPECT_EQ(log(), kFoundWithAliases);

    const ServiceInfo chargen = tcpip.GetServiceByName("chargen", "UDP", path);
    EXPECT_EQ(chargen.Aliases, (std::vector<std::string>{"ttytst", "source", ""}))
        << "aliases keep their order";
    EXPECT_EQ(chargen.Protocol, "udp");

    const ServiceInfo domain = tcpip.GetServiceByName("domain", "udp", path);
    EXPECT_EQ(domain.AliasCount, 0);
    EXPECT_EQ(domain.Aliases, std::vector<std::string>{""});
    EXPECT_EQ(domain.Port, "53");
}

TEST_F(ServicesTest, UnknownServicesLogTheErrorAndNoServicesFound) {
    const ServiceInfo none = tcpip.GetServiceByName("http", "UDP", path);
    EXPECT_EQ(none.ServiceName, "");
    EXPECT_EQ(none.Port, "");
    EXPECT_FALSE(none.Aliases.has_value());
    EXPECT_EQ(log(), "3:04:05 PM : 11004\r\n3:04:05 PM : No Services Found!\r\n");
}

TEST_F(ServicesTest, ByPortRoundsHalvesToEvenAndTakesLowBits) {
    const std::pair<const char*, const char*> found[] = {
        {"80", "http"},  {" 80 ", "http"}, {"80.5", "http"},       {"79.5", "http"},
        {"8e1", "http"}, {"+80", "http"},  {"5432", "postgresql"}, {"-65456", "http"},
    };
    for (const auto& [port, service] : found) {
        EXPECT_EQ(tcpip.GetServiceByPort(port, "TCP", path).ServiceName, service) << port;
    }
    const ServiceInfo postgres = tcpip.GetServiceByPort("5432", "tcp", path);
    EXPECT_EQ(postgres.Port, "5432");
    EXPECT_EQ(postgres.Aliases, (std::vector<std::string>{"postgres", ""}));
}

TEST_F(ServicesTest, PortsAboveTheRangeAreTooLargeWhateverTheirSize) {
    for (const char* port : {"65536", "65535.5", "123456789012", "1e999", "99999999999999999999"}) {
        std::remove(path.c_str());
        const ServiceInfo info = tcpip.GetServiceByPort(port, "TCP", path);
        EXPECT_EQ(info.ServiceName, "") << port;
        EXPECT_EQ(log(), "3:04:05 PM : Port # is to Large!\r\n") << port;
    }
    // 65535 and -1 (its low 16 bits) are looked up, and nothing is listed there.
    for (const char* port : {"65535", "-1"}) {
        std::remove(path.c_str());
        EXPECT_EQ(tcpip.GetServiceByPort(port, "TCP", path).ServiceName, "") << port;
        EXPECT_EQ(log(), "3:04:05 PM : 11004\r\n3:04:05 PM : No Services Found!\r\n") << port;
    }
}

TEST_F(ServicesTest, PortNumbersReadAsDecimalNumbersOnly) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"80", 80.0},    {" 80 ", 80.0}, {"\t80", 80.0}, {"-1", -1.0},     {"+5", 5.0},
        {"1e3", 1000.0}, {".5", 0.5},    {"5.", 5.0},    {"2.5E-1", 0.25},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ParsePortNumber(text), value) << "'" << text << "'";
    }
    for (const char* text : {"abc", "0x50", "", "   ", "1e", "--1", "12 34", ".", "80abc", "1,5"}) {
        EXPECT_EQ(ParsePortNumber(text), std::nullopt) << "'" << text << "'";
    }
}

TEST_F(ServicesTest, PortsAboveTheSignedRangeShowUnsigned) {
    EXPECT_EQ(PortToText(0x00C0), "49152");  // 49152 = 0xC000, in network byte order
    EXPECT_EQ(PortToText(0xFFFF), "65535");
    EXPECT_EQ(PortToText(0x5000), "80");
    EXPECT_EQ(UnsignedPort(-1), 65535);
    EXPECT_EQ(UnsignedPort(-16384), 49152);
    EXPECT_EQ(UnsignedPort(32767), 32767);
}

}  // namespace
}  // namespace virelo::tcpip
