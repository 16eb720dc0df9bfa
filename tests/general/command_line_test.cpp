#include <gtest/gtest.h>

#include "platform/CommandLine.h"

namespace virelo::platform {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLineTest, FollowsTheWindowsQuotingRules) {
    const std::pair<const char*, Args> cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"java VireloJDBC \"org.h2.Driver\" \"jdbc:h2:mem:\" \"/tmp/v.log\"  ",
         {"java", "VireloJDBC", "org.h2.Driver", "jdbc:h2:mem:", "/tmp/v.log"}},
        {"  a\tb  c", {"a", "b", "c"}},
        {"a \"b c\" d", {"a", "b c", "d"}},
        {"a \"\"", {"a", ""}},
        {"a \"x\"\"y\"", {"a", "x\"y"}},
        {"a x\"y z\"w", {"a", "xy zw"}},
        {"a \\\"b", {"a", "\"b"}},
        {"a \\\\\"b c\"", {"a", "\\b c"}},
        {"a \\\\\\\"b", {"a", "\\\"b"}},
        {"a b\\c d\\\\", {"a", "b\\c", "d\\\\"}},
        {"\"C:\\Program Files\\x.exe\" y", {"C:\\Program Files\\x.exe", "y"}},
        {"pro\\\"g arg", {"pro\\g arg"}},
        {"a \"unterminated b", {"a", "unterminated b"}}};
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(SplitCommandLine(line), expected) << line;
    }
}

TEST(ArgumentsEndingBeforeTest, CountsOnlyArgumentsThatStopBeforeTheOffset) {
    const std::string line = "java C d \"u\" \"/l\" user secret";
    const std::size_t password = line.find("secret");
    EXPECT_EQ(ArgumentsEndingBefore(line, password), 6u);
    EXPECT_EQ(ArgumentsEndingBefore(line, line.size()), 7u);
    EXPECT_EQ(ArgumentsEndingBefore(line, 0), 0u);
    // A quote left open before the offset carries its argument, and all after it, across.
    const std::string quoted = "java C d \"u\" \"/l\" us\"er secret";
    EXPECT_EQ(ArgumentsEndingBefore(quoted, quoted.find("secret")), 5u);
    const std::string empty = "java C d \"u\" \"/l\"  secret";
    EXPECT_EQ(ArgumentsEndingBefore(empty, empty.find("secret")), 5u);
}

}  // namespace
}  // namespace virelo::platform
