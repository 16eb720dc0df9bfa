// The data-source keys come from unixODBC itself, isolated in the ini files that main() points
// ODBCSYSINI and ODBCINI at, with data sources of the SQLite ODBC driver named by its full path.
#include <sql.h>
#include <sqlext.h>

#include <filesystem>
#include <fstream>

#include "RegistryTestEnv.h"
#include "ViewFixture.h"

namespace virelo::test {
namespace {

namespace reg = platform::reg;

const std::string kDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
const std::string kDataSources = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";

class DataSourceKeys : public ViewFixture {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kDriver)) {
            GTEST_SKIP() << "the SQLite ODBC driver " << kDriver << " is not installed";
        }
    }
    // The ini files belong to the whole process: leave them without data sources.
    void TearDown() override {
        std::ofstream(OdbcSystemIni(), std::ios::trunc);
        std::ofstream(OdbcUserIni(), std::ios::trunc);
    }
    // The data sources as the ODBC tab reads them: values 0, 1, 2, ... until "Not Found".
    std::string list(platform::HKey root) {
        std::string out;
        for (std::int32_t i = 0;; ++i) {
            const serverdir::RegValueRecord record = access.EnumRegValue(root, kDataSources, i);
            if (record.Data == serverdir::kNotFound) {
                return out;
            }
            out += std::to_string(record.Type) + "|" + record.Name + "|" + record.Data + ";";
        }
    }
    std::string dataSource(const std::string& name, const std::string& driver) {
        return "[" + name + "]\nDriver=" + driver + "\nDatabase=" + dir.file(name + ".db") + "\n";
    }
};

TEST_F(DataSourceKeys, SystemAndUserDataSourcesOfUnixOdbc) {
    std::ofstream(OdbcSystemIni()) << dataSource("SysSales", kDriver);
    std::ofstream(OdbcUserIni()) << dataSource("UsrLedger", kDriver);
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
    std::ofstream(OdbcSystemIni(), std::ios::app) << dataSource("SysArchive", "SQLite3");
    std::ofstream(OdbcUserIni(), std::ios::trunc);
    EXPECT_EQ("1|SysSales|" + kDriver + ";1|SysArchive|SQLite3;", list(reg::kLocalMachine));
    EXPECT_EQ("", list(reg::kCurrentUser));
    EXPECT_TRUE(warnings.empty()) << allWarnings();
}

TEST_F(DataSourceKeys, ListedNameIsOneTheDriverManagerConnectsTo) {
    std::ofstream(OdbcUserIni()) << dataSource("UsrLedger", kDriver);
    const serverdir::RegValueRecord record =
        access.EnumRegValue(reg::kCurrentUser, kDataSources, 0);
    ASSERT_EQ("UsrLedger", record.Name);

    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
    std::string dsn = record.Name;
    const SQLRETURN rc =
        SQLConnect(dbc, reinterpret_cast<SQLCHAR*>(dsn.data()), SQL_NTS, nullptr, 0, nullptr, 0);
    EXPECT_TRUE(SQL_SUCCEEDED(rc)) << "SQLConnect to " << dsn << " returned " << rc;
    if (SQL_SUCCEEDED(rc)) {
        SQLDisconnect(dbc);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}

}  // namespace
}  // namespace virelo::test
