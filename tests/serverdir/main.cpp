#include <gtest/gtest.h>
#include <iconv.h>

#include "RegistryTestEnv.h"
#include "support/TempDir.h"

namespace virelo::test {
namespace {
TempDir* isolated = nullptr;
}

std::string OdbcSystemIni() {
    return isolated->file("odbc.ini");
}
std::string OdbcUserIni() {
    return isolated->file("user-odbc.ini");
}

std::string Utf16Le(const std::string& utf8, bool bom) {
    std::string in = utf8;
    std::string out(2 * in.size(), '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const iconv_t converter = iconv_open("UTF-16LE", "UTF-8");
    iconv(converter, &from, &inLeft, &to, &outLeft);
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return (bom ? "\xFF\xFE" : "") + out;
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
    for (const char* name : {"odbcinst.ini", "odbc.ini", "user-odbc.ini"}) {
        dir.write(name, "");
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
