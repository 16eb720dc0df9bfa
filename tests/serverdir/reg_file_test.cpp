// Golden files: each export file under golden/ is parsed, applied to an empty registry and read
// back through the registry calls; the warnings and the whole registry must match the .expected
// file beside it. VIRELO_UPDATE_GOLDEN=1 rewrites the .expected files (review them before
// committing).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "RegistryDump.h"
#include "platform/RegFile.h"
#include "platform/RegistryTree.h"

namespace virelo::test {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class RegFileGolden : public ::testing::TestWithParam<const char*> {};

TEST_P(RegFileGolden, ParsesAsExpected) {
    const std::string base = std::string(VIRELO_SERVERDIR_FIXTURES) + "/golden/" + GetParam();
    std::ifstream probe(base + ".reg");
    ASSERT_TRUE(probe.good()) << base << ".reg is missing";

    const platform::RegFile file = platform::ParseRegFile(ReadFile(base + ".reg"));
    platform::RegistryTree tree;
    platform::ApplyRegFile(file, tree);
    std::string actual;
    for (const platform::RegWarning& warning : file.warnings) {
        actual += "warning line " + std::to_string(warning.line) + ": " + warning.message + "\n";
    }
    actual += DumpRegistry(tree);

    if (const char* update = std::getenv("VIRELO_UPDATE_GOLDEN"); update && *update == '1') {
        std::ofstream(base + ".expected", std::ios::binary) << actual;
    }
    EXPECT_EQ(ReadFile(base + ".expected"), actual);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RegFileGolden,
                         ::testing::Values("unicode", "regedit4", "utf8", "malformed", "nobom",
                                           "binary", "empty"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace virelo::test
