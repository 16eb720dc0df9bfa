// Golden files: each export file under golden/ is parsed, applied to an empty registry and read
// back through the registry calls; the warnings and the whole registry must match the .expected
// file beside it. VIRELO_UPDATE_GOLDEN=1 rewrites the .expected files (review them before
// committing).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/posix/registry/RegFile.h"
#include "platform/posix/registry/RegistryTree.h"

namespace virelo::test {
namespace {

namespace reg = platform::reg;

std::string ReadFile(const std::string& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

// Text types as quoted text with \0 for NUL and \xNN for other control bytes, every other type
// as hex bytes.
std::string DataText(std::uint32_t type, const std::string& bytes) {
    const bool text = type == reg::kSz || type == reg::kExpandSz || type == reg::kMultiSz;
    std::string out = text ? "\"" : "";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        char part[8] = {c, 0};
        if (!text) {
            std::snprintf(part, sizeof part, " %02x", byte);
        } else if (byte == 0 || c == '"' || c == '\\') {
            std::snprintf(part, sizeof part, "\\%c", byte == 0 ? '0' : c);
        } else if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(part, sizeof part, "\\x%02x", byte);
        }
        out += part;
    }
    return text ? out + "\"" : out.empty() ? "(no bytes)" : out.substr(1);
}

// A key and everything below it, read back through the registry calls themselves (so the
// enumeration order is part of what is compared): one line per key with its full path, then one
// line per value with its name (@ for the default value), its type and its data.
void DumpKey(platform::Registry& registry, platform::HKey key, const std::string& path,
             std::string& out) {
    out += "[" + path + "]\n";
    for (std::uint32_t i = 0;; ++i) {
        std::string name, data;
        std::uint32_t nameSize = 1 << 16, type = 0, dataSize = 1 << 24;
        if (registry.enumValue(key, i, name, nameSize, type, data, dataSize) != reg::kSuccess) {
            break;
        }
        out += "  " + (name.empty() ? std::string("@") : DataText(reg::kSz, name)) + " type " +
               std::to_string(type) + ": " + DataText(type, data) + "\n";
    }
    std::string name;
    for (std::uint32_t i = 0; registry.enumKey(key, i, name, 1 << 16) == reg::kSuccess; ++i) {
        platform::HKey child = 0;
        EXPECT_EQ(registry.openKey(key, name, child), reg::kSuccess) << path << "\\" << name;
        DumpKey(registry, child, path + "\\" + name, out);
        registry.closeKey(child);
    }
}

class RegFileGolden : public ::testing::TestWithParam<const char*> {};

TEST_P(RegFileGolden, ParsesAsExpected) {
    const std::string base = std::string(VIRELO_SERVERDIR_FIXTURES) + "/golden/" + GetParam();
    const platform::RegFile file = platform::ParseRegFile(ReadFile(base + ".reg"));
    platform::RegistryTree tree;
    platform::ApplyRegFile(file, tree);
    std::string actual;
    for (const platform::RegWarning& warning : file.warnings) {
        actual += "warning line " + std::to_string(warning.line) + ": " + warning.message + "\n";
    }
    DumpKey(tree, reg::kLocalMachine, "HKEY_LOCAL_MACHINE", actual);
    DumpKey(tree, reg::kCurrentUser, "HKEY_CURRENT_USER", actual);

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
