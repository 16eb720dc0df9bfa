// The connect-and-report sequence against the real driver manager and the SQLite ODBC driver,
// with data sources in private ini files.
#include <filesystem>
#include <regex>

#include "support/OdbcFixture.h"

namespace virelo::test {
namespace {

using Lines = std::vector<std::string>;

const std::string kNotFound =
    "[unixODBC][Driver Manager]Data source name not found and no default driver specified";

class SqliteConnectTest : public OdbcFixture {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSqliteDriver)) {
            GTEST_SKIP() << kSqliteDriver << " is missing (libsqliteodbc)";
        }
    }
    void defineSqlite(const std::string& name) {
        ini.systemDsn(name, {{"Driver", kSqliteDriver}, {"Database", sqliteFile()}});
    }
};

TEST_F(SqliteConnectTest, SuccessWritesSixteenLinesAndFillsNineFields) {
    defineSqlite("lite");
    const odbc::ODBCInfo info = connect("lite", "someone", "secret-pw");

    EXPECT_EQ(logLines(), kSuccessLines);
    EXPECT_EQ(info.Status, 0);
    EXPECT_EQ(info.DataSourceName, "lite");
    EXPECT_EQ(info.UserName, "");  // SQLite has no users
    EXPECT_EQ(info.DatabaseName, sqliteFile());
    EXPECT_TRUE(std::regex_match(info.DBMSVersion, std::regex(R"(3\.\d+\.\d+)")))
        << info.DBMSVersion;
    EXPECT_EQ(info.DriverName, "sqlite3odbc.so");
    EXPECT_EQ(info.DriverVersion, "0.9998");
    EXPECT_EQ(info.DriverODBCVersion, "03.00");  // the driver's ODBC version
    EXPECT_EQ(info.ODBCVersion, "03.52");        // the driver manager's
    EXPECT_EQ(info.DBMSName, "SQLite");
    EXPECT_EQ(info.SQLConformance, "");
    EXPECT_EQ(info.ODBCConformance, "");
    EXPECT_EQ(logText().find("secret-pw"), std::string::npos);
    // Every handle was released by the sequence itself, once.
    EXPECT_EQ(dm.disconnects, 1);
    EXPECT_EQ(dm.freeConnects, 1);
    EXPECT_EQ(dm.freeEnvs, 1);
    EXPECT_EQ(dm.loginTimeout, odbc::ODBC::kLoginTimeoutSeconds);
}

TEST_F(SqliteConnectTest, UnknownDataSourceFailsAtSQLConnectWithIM002) {
    defineSqlite("lite");
    const odbc::ODBCInfo info = connect("no-such-dsn");

    EXPECT_EQ(logLines(), ConnectFailure("IM002", " 0", kNotFound));
    EXPECT_EQ(info.Status, SQL_ERROR);
    for (const std::string* field : {&info.DataSourceName, &info.UserName, &info.DatabaseName,
                                     &info.DBMSVersion, &info.DriverName, &info.DriverVersion,
                                     &info.DriverODBCVersion, &info.ODBCVersion, &info.DBMSName}) {
        EXPECT_EQ(*field, "");
    }
    // The failed run's connection and environment are released afterwards, without a line.
    EXPECT_EQ(dm.disconnects, 0);
    EXPECT_EQ(dm.freeConnects, 1);
    EXPECT_EQ(dm.freeEnvs, 1);
}

// Data source names as a user may type them, each passed on byte for byte with its length.
struct NameCase {
    const char* label;
    std::string defined;  // the section name in odbc.ini
    std::string typed;    // the text given to ODBCConnect
    // Empty when the run connects; otherwise the SQLSTATE and message of the SQLConnect failure.
    std::string state;
    std::string message;
};

TEST_F(SqliteConnectTest, DataSourceNamesArePassedExactlyAsTyped) {
    const std::string tooLong = "[unixODBC][Driver Manager]Invalid string or buffer length";
    const std::vector<NameCase> cases = {
        {"blanks", "my data source", "my data source", "", ""},
        {"equals sign", "a=b", "a=b", "", ""},
        {"semicolon", "a;b", "a;b", "", ""},
        {"braces", "{braced}", "{braced}", "", ""},
        {"non-ASCII", "Größe-Datenbank", "Größe-Datenbank", "", ""},
        {"32 characters, the longest name", std::string(32, 'x'), std::string(32, 'x'), "", ""},
        {"33 characters", std::string(33, 'y'), std::string(33, 'y'), "S1090", tooLong},
        {"300 characters", std::string(300, 'z'), std::string(300, 'z'), "S1090", tooLong},
        // A leading blank is not trimmed away: the typed name is not the defined one.
        {"leading blank", "my data source", " my data source", "IM002", kNotFound},
        // unixODBC looks data source names up without regard to letter case.
        {"letter case", "Mixed Case", "MIXED case", "", ""},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.label);
        OdbcIni own;
        own.systemDsn(c.defined, {{"Driver", kSqliteDriver}, {"Database", sqliteFile()}});
        std::filesystem::remove(logPath);

        const odbc::ODBCInfo info = connect(c.typed);
        ASSERT_TRUE(dm.connected);
        EXPECT_EQ(dm.connected->dsn, c.typed);
        EXPECT_EQ(dm.connected->dsnLength, static_cast<SQLSMALLINT>(c.typed.size()));
        if (c.state.empty()) {
            EXPECT_EQ(logLines(), kSuccessLines);
            EXPECT_EQ(info.Status, 0);
            EXPECT_EQ(info.DataSourceName, c.typed);
        } else {
            EXPECT_EQ(logLines(), ConnectFailure(c.state, " 0", c.message));
            EXPECT_EQ(info.Status, SQL_ERROR);
        }
    }
}

TEST_F(SqliteConnectTest, EmptyUserAndPasswordGoWithLengthZeroNotNull) {
    defineSqlite("lite");
    ASSERT_EQ(connect("lite", "", "").Status, 0);
    ASSERT_TRUE(dm.connected);
    EXPECT_FALSE(dm.connected->anyNull);
    EXPECT_EQ(dm.connected->userLength, 0);
    EXPECT_EQ(dm.connected->passwordLength, 0);
    EXPECT_EQ(dm.connected->dsnLength, 4);
}

TEST_F(SqliteConnectTest, DriversThatCannotBeLoadedAreToldApartByTheDiagnosticLines) {
    const std::string missing = temp.file("no-such-driver.so");
    ini.systemDsn(ownName("missing"), {{"Driver", missing}});
    ini.systemDsn("not-a-library", {{"Driver", "/etc/hostname"}});
    ini.systemDsn("unknown-driver", {{"Driver", "NoSuchDriver"}});

    // unixODBC 2.3 reports a driver library that cannot be opened as 01000 (and never IM003).
    EXPECT_EQ(connect(ownName("missing")).Status, SQL_ERROR);
    EXPECT_EQ(logLines(), ConnectFailure("01000", " 0",
                                         "[unixODBC][Driver Manager]Can't open lib '" + missing +
                                             "' : file not found"));

    std::filesystem::remove(logPath);
    EXPECT_EQ(connect("not-a-library").Status, SQL_ERROR);
    EXPECT_EQ(logLines(),
              ConnectFailure("01000", " 0",
                             "[unixODBC][Driver Manager]Can't open lib '/etc/hostname' : file "
                             "not found"));

    // A driver name that odbcinst.ini does not define leaves the data source without a driver.
    std::filesystem::remove(logPath);
    EXPECT_EQ(connect("unknown-driver").Status, SQL_ERROR);
    EXPECT_EQ(logLines(), ConnectFailure("IM002", " 0", kNotFound));
}

TEST_F(SqliteConnectTest, ValueOfExactly255CharactersFromARealDriverIsStoredWhole) {
    // SQLite answers SQL_DATABASE_NAME with the database file's path.
    std::string path = temp.file(std::string(100, 'd'));
    std::filesystem::create_directory(path);
    path += "/";
    path += std::string(255 - path.size() - 3, 'f') + ".db";
    ASSERT_EQ(path.size(), 255u);
    ini.systemDsn(ownName("long"), {{"Driver", kSqliteDriver}, {"Database", path}});

    const odbc::ODBCInfo info = connect(ownName("long"));
    EXPECT_EQ(info.Status, 0);
    EXPECT_EQ(info.DatabaseName, path);
}

}  // namespace
}  // namespace virelo::test
