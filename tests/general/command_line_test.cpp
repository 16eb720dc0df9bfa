#include <gtest/gtest.h>

#include "platform/CommandLine.h"

namespace virelo::platform {
namespace {

using Args = std::vector<std::string>;

struct SplitCase {
    const char* line;
    Args expected;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, FollowsTheWindowsQuotingRules) {
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().expected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"", {}}, SplitCase{"   \t ", {}},
        SplitCase{"java VireloJDBC \"org.h2.Driver\" \"jdbc:h2:mem:\" \"/tmp/v.log\"  ",
                  {"java", "VireloJDBC", "org.h2.Driver", "jdbc:h2:mem:", "/tmp/v.log"}},
        SplitCase{"  a\tb  c", {"a", "b", "c"}}, SplitCase{"a \"b c\" d", {"a", "b c", "d"}},
        SplitCase{"a \"\"", {"a", ""}}, SplitCase{"a \"x\"\"y\"", {"a", "x\"y"}},
        SplitCase{"a x\"y z\"w", {"a", "xy zw"}}, SplitCase{"a \\\"b", {"a", "\"b"}},
        SplitCase{"a \\\\\"b c\"", {"a", "\\b c"}}, SplitCase{"a \\\\\\\"b", {"a", "\\\"b"}},
        SplitCase{"a b\\c d\\\\", {"a", "b\\c", "d\\\\"}},
        SplitCase{"\"C:\\Program Files\\x.exe\" y", {"C:\\Program Files\\x.exe", "y"}},
        SplitCase{"pro\\\"g arg", {"pro\\g arg"}},
        SplitCase{"a \"unterminated b", {"a", "unterminated b"}}));

}  // namespace
}  // namespace virelo::platform
