#include <gtest/gtest.h>

#include "RegistryTestEnv.h"
#include "support/TempDir.h"

namespace virelo::test {
namespace {
TempDir* isolated = nullptr;
}

const std::string& IsolatedDir() {
    return isolated->path();
}
std::string OdbcSystemIni() {
    return isolated->file("odbc.ini");
}
std::string OdbcUserIni() {
    return isolated->file("user-odbc.ini");
}

std::string Utf16Le(const std::string& utf8, bool bom) {
    std::string out = bom ? "\xFF\xFE" : "";
    const auto unit = [&out](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
        for (std::size_t k = 1; k < n; ++k) {
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
        i += n;
    }
    return out;
}

}  // namespace virelo::test

// No test may read the workstation's own registry sources: every variable that leads to one
// points into a private directory before any test runs.
int main(int argc, char** argv) {
    virelo::test::TempDir dir;
    virelo::test::isolated = &dir;
    setenv("VIRELO_REGISTRY", "", 1);
    setenv("VIRELO_SQLHOSTS", dir.file("sqlhosts").c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    setenv("HOME", dir.path().c_str(), 1);
    setenv("ODBCSYSINI", dir.path().c_str(), 1);
    setenv("ODBCINI", virelo::test::OdbcUserIni().c_str(), 1);
    dir.write("odbcinst.ini", "");
    dir.write("odbc.ini", "");
    dir.write("user-odbc.ini", "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
