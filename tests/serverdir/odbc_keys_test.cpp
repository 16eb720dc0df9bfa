// The data-source keys come from unixODBC itself, isolated in the ini files that main() points
// ODBCSYSINI and ODBCINI at.
#include <fstream>

#include "RegistryTestEnv.h"
#include "ViewFixture.h"

namespace virelo::test {
namespace {

namespace reg = platform::reg;

using DataSourceKeys = ViewFixture;

TEST_F(DataSourceKeys, SystemAndUserDataSourcesOfUnixOdbc) {
    const std::string kDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
    // The data sources as the ODBC tab reads them: values 0, 1, 2, ... until "Not Found".
    const auto list = [this](platform::HKey root) {
        std::string out;
        for (std::int32_t i = 0;; ++i) {
            const serverdir::RegValueRecord record =
                access.EnumRegValue(root, "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources", i);
            if (record.Data == serverdir::kNotFound) {
                return out;
            }
            out += std::to_string(record.Type) + "|" + record.Name + "|" + record.Data + ";";
        }
    };
    std::ofstream(OdbcSystemIni()) << "[SysSales]\nDriver=" << kDriver << "\n";
    std::ofstream(OdbcUserIni()) << "[UsrLedger]\nDriver=" << kDriver << "\n";
    // An export from Windows that fills the same key gives way to unixODBC's list; its other
    // keys stay.
    write("odbc.reg", Regedit5("[HKLM\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources]\r\n"
                               "\"Ghost\"=\"SQL Server\"\r\n"
                               "[HKLM\\SOFTWARE\\ODBC\\ODBC.INI\\Ghost]\r\n\"Server\"=\"g\"\r\n"));
    useRegFiles({"odbc.reg"});

    EXPECT_EQ("1|SysSales|" + kDriver + ";", list(reg::kLocalMachine));
    EXPECT_EQ("1|UsrLedger|" + kDriver + ";", list(reg::kCurrentUser));
    EXPECT_EQ("g",
              access.GetRegValue(reg::kLocalMachine, "SOFTWARE\\ODBC\\ODBC.INI\\Ghost", "Server"));

    // Data sources added to the ini files are listed on the next read, without a restart.
    std::ofstream(OdbcSystemIni(), std::ios::app) << "[SysArchive]\nDriver=SQLite3\n";
    std::ofstream(OdbcUserIni(), std::ios::trunc);
    EXPECT_EQ("1|SysSales|" + kDriver + ";1|SysArchive|SQLite3;", list(reg::kLocalMachine));
    EXPECT_EQ("", list(reg::kCurrentUser));
    EXPECT_TRUE(warnings.empty()) << allWarnings();
    // The ini files belong to the whole process: leave them without data sources.
    std::ofstream(OdbcSystemIni(), std::ios::trunc);
}

}  // namespace
}  // namespace virelo::test
