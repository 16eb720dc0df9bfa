// The registry reader over the real registry of Windows (Wine's, in a private prefix): keys and
// values written with reg.exe, read back through RegAccess with the wide-character calls.
#include "WindowsSupport.h"

#include <algorithm>

#include "platform/win32/Win32Registry.h"
#include "serverdir/RegAccess.h"

namespace virelo::test {
namespace {

namespace reg = platform::reg;
using serverdir::RegAccess;

constexpr platform::HKey kLm = reg::kLocalMachine;
const std::string kHosts = serverdir::kSqlhostsKey;
const std::string kKey = "SOFTWARE\\Nembrion\\WindowsTest";

std::string TableText(const serverdir::ServerTable& table) {
    std::string out;
    for (int column = 0; column <= table.UpperBound(); ++column) {
        out += "[";
        for (int row = 1; row <= 5; ++row) {
            out += (row == 1 ? "" : ",") + table.at(row, column);
        }
        out += "]";
    }
    return out;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRELO_REQUIRE_PRIVATE_PREFIX();
        RegDelete("HKLM\\" + kHosts);
        RegDelete("HKLM\\" + kKey);
        RegDelete("HKCU\\" + kKey);
    }
    platform::win32::Win32Registry registry;
    RegAccess access{registry};
};

TEST_F(RegistryTest, ServerTableInCaseInsensitiveKeyOrderWithMissingValues) {
    EXPECT_EQ(TableText(access.GetSqlhostsServers()), "[,,,,][,,,,]") << "no SQLHOSTS key";
    platform::HKey key = access.OpenRegKey(kLm, kHosts);
    EXPECT_EQ(key, 0U);
    EXPECT_EQ(access.EnumRegKey(key, 0), "Not Found");
    EXPECT_EQ(access.CloseRegKey(key), 6);

    std::string lines;
    for (const std::string name : {"gamma", "Beta", "alpha"}) {
        lines += "[HKEY_LOCAL_MACHINE\\" + kHosts + "\\" + name + "]\r\n";
        for (const std::string value : {"HOST", "SERVICE", "PROTOCOL", "OPTIONS"}) {
            if (name != "Beta" || value != "OPTIONS") {
                lines += "\"" + value + "\"=\"" + value.substr(0, 1) + "-" + name + "\"\r\n";
            }
        }
    }
    ASSERT_TRUE(RegImport(lines));
    // Key and value names in another letter case.
    ASSERT_TRUE(RegAdd("HKLM\\software\\nembrion\\sqlhosts\\x", "host", "REG_SZ", "hx"));
    EXPECT_EQ(TableText(access.GetSqlhostsServers()),
              "[alpha,H-alpha,S-alpha,P-alpha,O-alpha][Beta,H-Beta,S-Beta,P-Beta,Not Found]"
              "[gamma,H-gamma,S-gamma,P-gamma,O-gamma][x,hx,Not Found,Not Found,Not Found][,,,,]");
    key = access.OpenRegKey(kLm, "Software\\NEMBRION\\SqlHosts");
    ASSERT_NE(key, 0U);
    EXPECT_EQ(access.EnumRegKey(key, 1), "Beta");
    EXPECT_EQ(access.EnumRegKey(key, 4), "Not Found");
    EXPECT_EQ(access.EnumRegKey(key, -1), "Not Found");
    EXPECT_EQ(access.CloseRegKey(key), 0);
}

// Each row is one value, read by its name and listed by its index. Windows lists values in the
// order they were written, Wine in the order of their names: the listing is compared as a set.
TEST_F(RegistryTest, ValuesOfEveryTypeByNameAndByIndex) {
    const std::string long2047(2047, 'x');
    const std::string long2048(2048, 'x');
    // name, the data as an export writes them, read by name, listed by index
    const std::tuple<std::string, std::string, std::string, std::string> rows[] = {
        {"HOST", "\"host1\"", "host1", "1|HOST|host1"},
        {"Eight", "dword:00000008", "008", "4|Eight|008"},
        {"Largest", "dword:ffffffff", "4294967295", "4|Largest|4294967295"},
        {"B", "hex:0a,41,ff", "0A41FF", "3|B|\nA"},
        {"E", "\"\"", "", "1|E|"},
        // A multi-string keeps the NULs between its strings.
        {"M", "hex(7):61,00,00,00,62,00,00,00,00,00", std::string("a\0b\0", 4),
         std::string("7|M|a\0b\0", 8)},
        // Text crosses as UTF-16 and arrives in UTF-8; sizes count UTF-8 bytes.
        {"City", "\"Z\xC3\xBCrich\"", "Z\xC3\xBCrich", "1|City|Z\xC3\xBCrich"},
        // The buffers hold 2048 bytes, the NUL of a text included.
        {"L", "\"" + long2047 + "\"", long2047, "1|L|" + long2047},
        {"TooLong", "\"" + long2048 + "\"", "Not Found", "Not Found"},
        {long2048, "\"d\"", "d", "Not Found"},
    };
    std::string lines = "[HKEY_CURRENT_USER\\" + kKey +
                        "]\r\n\"Mine\"=\"m\"\r\n"
                        "[HKEY_LOCAL_MACHINE\\" +
                        kKey + "]\r\n";
    std::vector<std::string> expected;
    for (const auto& [name, data, read, listed] : rows) {
        lines += "\"" + name + "\"=" + data + "\r\n";
        expected.push_back(listed);
    }
    ASSERT_TRUE(RegImport(lines));
    std::vector<std::string> listing;
    for (std::int32_t i = 0; i < std::ssize(rows); ++i) {
        const auto& [name, data, read, listed] = rows[i];
        EXPECT_EQ(access.GetRegValue(kLm, kKey, name), read) << name.substr(0, 16);
        const serverdir::RegValueRecord record = access.EnumRegValue(kLm, kKey, i);
        listing.push_back(record.Data == serverdir::kNotFound
                              ? record.Data
                              : std::to_string(record.Type) + "|" + record.Name + "|" +
                                    record.Data);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(listing.begin(), listing.end());
    EXPECT_EQ(listing, expected);
    EXPECT_EQ(access.EnumRegValue(kLm, kKey, std::ssize(rows)).Data, "Not Found");
    EXPECT_EQ(access.GetRegValue(kLm, kKey, "missing"), "Not Found");
    EXPECT_EQ(access.GetRegValue(kLm, kKey + "\\Missing", "HOST"), "Not Found");
    // Each root has its own keys.
    EXPECT_EQ(access.GetRegValue(reg::kCurrentUser, kKey, "Mine"), "m");
    EXPECT_EQ(access.GetRegValue(reg::kCurrentUser, kKey, "HOST"), "Not Found");
    EXPECT_EQ(access.GetRegValue(kLm, kKey, "Mine"), "Not Found");
}

}  // namespace
}  // namespace virelo::test
