// The registry reader's edge cases as one table: each row fills an in-memory registry, makes one
// reader call and compares the text it returns. No row may leave a key open.
#include <functional>

#include "ViewFixture.h"
#include "platform/RegistryTree.h"

namespace virelo::test {
namespace {

namespace reg = platform::reg;
using platform::RegistryTree;
using serverdir::RegAccess;

constexpr platform::HKey kLm = reg::kLocalMachine;
constexpr platform::HKey kCu = reg::kCurrentUser;
const std::string kHosts = serverdir::kSqlhostsKey;
const std::string kKey = "SOFTWARE\\Nembrion\\Test";

struct Case {
    const char* name;
    std::function<void(RegistryTree&)> setup;
    std::function<std::string(RegAccess&)> call;
    std::string expected;
};

// Each server gets HOST, SERVICE, PROTOCOL and OPTIONS values derived from its name.
std::function<void(RegistryTree&)> Servers(std::vector<std::string> names) {
    return [names](RegistryTree& tree) {
        tree.createKey(kLm, kHosts);
        for (const std::string& name : names) {
            const std::string key = kHosts + "\\" + name;
            tree.setString(kLm, key, "HOST", "h-" + name);
            tree.setString(kLm, key, "SERVICE", "s-" + name);
            tree.setString(kLm, key, "PROTOCOL", "p-" + name);
            tree.setString(kLm, key, "OPTIONS", "o-" + name);
        }
    };
}

std::function<void(RegistryTree&)> Value(platform::HKey root, std::uint32_t type, std::string name,
                                         std::string data) {
    return [=](RegistryTree& tree) { tree.setValue(root, kKey, name, type, data); };
}

std::string Table(RegAccess& access) {
    return TableText(access.GetSqlhostsServers());
}

std::function<std::string(RegAccess&)> Get(std::string name, platform::HKey root = kLm,
                                           std::string path = kKey) {
    return [=](RegAccess& access) { return access.GetRegValue(root, path, name); };
}

std::function<std::string(RegAccess&)> EnumValue(std::int32_t index, platform::HKey root = kLm) {
    return [=](RegAccess& access) {
        const serverdir::RegValueRecord record = access.EnumRegValue(root, kKey, index);
        return record.Data == serverdir::kNotFound
                   ? record.Data
                   : std::to_string(record.Type) + "|" + record.Name + "|" + record.Data;
    };
}

std::function<std::string(RegAccess&)> EnumKey(std::int32_t index) {
    return [=](RegAccess& access) {
        const platform::HKey key = access.OpenRegKey(kLm, kHosts);
        const std::string name = access.EnumRegKey(key, index);
        return name + "|close " + std::to_string(access.CloseRegKey(key));
    };
}

const std::string kLong2048(2048, 'x');
const std::string kLong2047(2047, 'x');

const Case kCases[] = {
    // The server table.
    {"TwoServersThreeColumns", Servers({"a", "b"}), Table,
     "[a,h-a,s-a,p-a,o-a][b,h-b,s-b,p-b,o-b][,,,,]"},
    {"NoSqlhostsKey", [](RegistryTree&) {}, Table, "[,,,,][,,,,]"},
    {"ServersInCaseInsensitiveOrder", Servers({"gamma", "Beta", "alpha"}), Table,
     "[alpha,h-alpha,s-alpha,p-alpha,o-alpha][Beta,h-Beta,s-Beta,p-Beta,o-Beta]"
     "[gamma,h-gamma,s-gamma,p-gamma,o-gamma][,,,,]"},
    {"ServerWithoutOptions",
     [](RegistryTree& tree) {
         Servers({"a"})(tree);
         tree.deleteValue(kLm, kHosts + "\\a", "OPTIONS");
     },
     Table, "[a,h-a,s-a,p-a,Not Found][,,,,]"},
    {"ServerValuesInAnyLetterCase",
     [](RegistryTree& tree) {
         tree.setString(kLm, "software\\nembrion\\sqlhosts\\x", "host", "hx");
         tree.setString(kLm, kHosts + "\\x", "Service", "sx");
     },
     Table, "[x,hx,sx,Not Found,Not Found][,,,,]"},
    // GetRegValue by type.
    {"StringWithoutItsNul", Value(kLm, reg::kSz, "HOST", std::string("host1\0", 6)), Get("HOST"),
     "host1"},
    {"DwordEightHasThreeDigits", Value(kLm, reg::kDword, "N", std::string("\x08\0\0\0", 4)),
     Get("N"), "008"},
    {"DwordLargest", Value(kLm, reg::kDword, "N", std::string(4, '\xFF')), Get("N"), "4294967295"},
    {"DwordOfOneByteKeepsBufferSpaces", Value(kLm, reg::kDword, "N", "\x08"), Get("N"),
     "538976264"},
    {"BinaryAsUpperCaseHex", Value(kLm, reg::kBinary, "B", "\x0A\xFF"), Get("B"), "0AFF"},
    {"EmptyBinaryExists", Value(kLm, reg::kBinary, "B", ""), Get("B"), ""},
    {"EmptyStringExists", Value(kLm, reg::kSz, "E", ""), Get("E"), ""},
    {"ExpandStringNotExpanded", Value(kLm, reg::kExpandSz, "P", std::string("%TEMP%\\x\0", 9)),
     Get("P"), "%TEMP%\\x"},
    {"MultiStringKeepsNuls", Value(kLm, reg::kMultiSz, "M", std::string("a\0b\0\0", 5)), Get("M"),
     std::string("a\0b\0", 4)},
    {"PathAndNameInAnyLetterCase", Value(kLm, reg::kSz, "Host", std::string("h\0", 2)),
     Get("HOST", kLm, "software\\NEMBRION\\test"), "h"},
    {"MissingValue", Value(kLm, reg::kSz, "HOST", std::string("h\0", 2)), Get("PORT"), "Not Found"},
    {"MissingKey", [](RegistryTree&) {}, Get("HOST"), "Not Found"},
    {"OtherRootNotSeen", Value(kCu, reg::kSz, "HOST", std::string("h\0", 2)), Get("HOST", kLm),
     "Not Found"},
    {"DataFillingTheBuffer", Value(kLm, reg::kSz, "L", kLong2047 + '\0'), Get("L"), kLong2047},
    {"DataLongerThanTheBuffer", Value(kLm, reg::kSz, "L", kLong2048 + '\0'), Get("L"), "Not Found"},
    // EnumRegValue.
    {"EnumSecondValue",
     [](RegistryTree& tree) {
         tree.setString(kLm, kKey, "HOST", "h");
         tree.setString(kLm, kKey, "PORT", "9088");
     },
     EnumValue(1), "1|PORT|9088"},
    {"EnumNegativeIndex", Value(kLm, reg::kSz, "HOST", std::string("h\0", 2)), EnumValue(-1),
     "Not Found"},
    {"EnumDwordInDecimal", Value(kLm, reg::kDword, "Count", std::string("\x08\0\0\0", 4)),
     EnumValue(0), "4|Count|008"},
    {"EnumBinaryAsCharactersLessTheLast", Value(kLm, reg::kBinary, "B", "\x41\x42\xFF"),
     EnumValue(0), "3|B|AB"},
    {"EnumNameFillingTheBuffer", Value(kLm, reg::kSz, kLong2047, std::string("d\0", 2)),
     EnumValue(0), "1|" + kLong2047 + "|d"},
    {"EnumNameLongerThanTheBuffer", Value(kLm, reg::kSz, kLong2048, std::string("d\0", 2)),
     EnumValue(0), "Not Found"},
    {"EnumDataLongerThanTheBuffer", Value(kLm, reg::kSz, "L", kLong2048 + '\0'), EnumValue(0),
     "Not Found"},
    // EnumRegKey, OpenRegKey and CloseRegKey.
    {"EnumKeyFirst", Servers({"b", "A"}), EnumKey(0), "A|close 0"},
    {"EnumKeyPastTheLast", Servers({"b", "A"}), EnumKey(2), "Not Found|close 0"},
    {"EnumKeyOfMissingKey", [](RegistryTree&) {}, EnumKey(0), "Not Found|close 6"},
    {"EnumKeyNameLongerThanTheBuffer",
     [](RegistryTree& tree) { tree.createKey(kLm, kHosts + "\\" + kLong2048); }, EnumKey(0),
     "Not Found|close 0"},
};

class RegAccessCase : public ::testing::TestWithParam<Case> {};

TEST_P(RegAccessCase, ReturnsTheDescribedText) {
    RegistryTree tree;
    GetParam().setup(tree);
    RegAccess access(tree);
    EXPECT_EQ(GetParam().expected, GetParam().call(access));
    EXPECT_FALSE(tree.hasOpenKeys()) << "a key was left open";
}

INSTANTIATE_TEST_SUITE_P(Table, RegAccessCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace virelo::test
