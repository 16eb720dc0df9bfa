// Driver-manager answers that cannot be made to happen here on demand (an environment or a
// connection that cannot be allocated, a free that fails or warns, chosen diagnostic records),
// scripted over the real driver manager and the SQLite driver.
#include <filesystem>

#include "support/OdbcFixture.h"

namespace virelo::test {
namespace {

using Lines = std::vector<std::string>;

class ScriptedManagerTest : public OdbcFixture {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSqliteDriver)) {
            GTEST_SKIP() << kSqliteDriver << " is missing (libsqliteodbc)";
        }
        ini.systemDsn("lite", {{"Driver", kSqliteDriver}, {"Database", sqliteFile()}});
    }
    static Lines SuccessThrough(std::size_t lines) {
        return Lines(kSuccessLines.begin(), kSuccessLines.begin() + lines);
    }
};

TEST_F(ScriptedManagerTest, AnEnvironmentThatCannotBeAllocatedGivesOneLine) {
    dm.allocEnv = SQL_ERROR;
    const odbc::ODBCInfo info = connect("lite");
    // The diagnostic call on the null handle finds nothing to report.
    EXPECT_EQ(logLines(), Lines{"There was an error with SQLAllocEnv!"});
    EXPECT_EQ(info.Status, SQL_ERROR);
    EXPECT_EQ(dm.freeEnvs, 0) << "there is nothing to free";
}

TEST_F(ScriptedManagerTest, AConnectionThatCannotBeAllocatedFreesTheEnvironment) {
    dm.allocConnect = SQL_INVALID_HANDLE;
    const odbc::ODBCInfo info = connect("lite");
    EXPECT_EQ(logLines(),
              (Lines{"SQLAllocEnv Successful", "There was error within SQLAllocConnect!"}));
    EXPECT_EQ(info.Status, SQL_INVALID_HANDLE);
    EXPECT_EQ(dm.freeConnects, 0);
    EXPECT_EQ(dm.freeEnvs, 1);
}

TEST_F(ScriptedManagerTest, FreeStepsFailWithTheirOwnLinesAndKeepTheValues) {
    dm.freeConnect = SQL_ERROR;
    odbc::ODBCInfo info = connect("lite");
    Lines expected = SuccessThrough(13);
    expected.push_back("There was an error within SQLFreeConnect!");
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(info.Status, SQL_ERROR);
    EXPECT_EQ(info.DBMSName, "SQLite");
    EXPECT_EQ(dm.freeConnects, 2) << "the connection is freed afterwards, silently";

    ScriptedDriverManager other;
    other.freeEnv = SQL_ERROR;
    odbc::ODBC module2(general, other);
    std::filesystem::remove(logPath);
    info = module2.ODBCConnect("lite", "", "", logPath);
    expected = SuccessThrough(14);
    expected.push_back("There waw an error within SQLFreeEnv!");
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(info.Status, SQL_ERROR);
    EXPECT_EQ(info.DriverName, "sqlite3odbc.so");
    EXPECT_EQ(other.freeEnvs, 2) << "the environment is freed afterwards, silently";
}

TEST_F(ScriptedManagerTest, InformationTheDriverManagerAnswersItselfFailsWithItsOwnLine) {
    dm.failInfo = SQL_DATA_SOURCE_NAME;
    odbc::ODBCInfo info = connect("lite");
    Lines expected = SuccessThrough(3);
    expected.push_back("SQLGetInfo for SQL_DATA_SOURCE_NAME Failed ");  // with its trailing blank
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(info.Status, SQL_ERROR);
    EXPECT_EQ(dm.disconnects, 1) << "the open connection is closed afterwards, silently";

    dm.failInfo = SQL_ODBC_VER;
    std::filesystem::remove(logPath);
    info = connect("lite");
    expected = SuccessThrough(10);
    expected.push_back("SQLGetInfo for SQL_ODBC_VER Failed");
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(info.DriverODBCVersion, "03.00");
    EXPECT_EQ(info.ODBCVersion, "");
    EXPECT_EQ(info.DBMSName, "");
}

TEST_F(ScriptedManagerTest, AWarningFromSQLFreeEnvBecomesTheStatus) {
    dm.freeEnv = SQL_SUCCESS_WITH_INFO;
    const odbc::ODBCInfo info = connect("lite");
    EXPECT_EQ(logLines(), kSuccessLines);
    EXPECT_EQ(info.Status, SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(info.DBMSName, "SQLite");
}

// The three diagnostic lines as the first record gives them.
struct DiagCase {
    const char* label;
    ScriptedDriverManager::DiagRecord record;
    Lines lines;
};

TEST_F(ScriptedManagerTest, DiagnosticLinesFollowTheRecord) {
    const std::string message300(300, 'm');
    const std::string twenty = "first ten.second ten";
    const DiagCase cases[] = {
        {"native 0 after two blanks",
         {SQL_SUCCESS, "08001", 0, "refused", 7},
         {"SQLState = 08001", "Native Error =  0", "Error Message = refused"}},
        {"native 100",
         {SQL_SUCCESS, "28000", 100, "no", 2},
         {"SQLState = 28000", "Native Error =  100", "Error Message = no"}},
        {"native -1 after one blank",
         {SQL_SUCCESS_WITH_INFO, "HY000", -1, "odd", 3},
         {"SQLState = HY000", "Native Error = -1", "Error Message = odd"}},
        {"message cut to the reported length",
         {SQL_SUCCESS, "01000", 1, twenty, 10},
         {"SQLState = 01000", "Native Error =  1", "Error Message = first ten."}},
        {"message cut to the 255 characters the buffer holds",
         {SQL_SUCCESS_WITH_INFO, "01004", 2, message300, 300},
         {"SQLState = 01004", "Native Error =  2", "Error Message = " + std::string(255, 'm')}},
        {"empty message",
         {SQL_SUCCESS, "42000", 3, "", 0},
         {"SQLState = 42000", "Native Error =  3", "Error Message = "}},
        {"no record", {SQL_NO_DATA, "", 0, "", 0}, {}},
        {"error", {SQL_ERROR, "HY000", 0, "x", 1}, {}},
        {"invalid handle", {SQL_INVALID_HANDLE, "HY000", 0, "x", 1}, {}},
    };
    for (const DiagCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove(logPath);
        dm.diagRecord = c.record;
        module.LogDiagRec(SQL_HANDLE_DBC, SQL_NULL_HANDLE, logPath);
        if (c.lines.empty()) {
            EXPECT_FALSE(std::filesystem::exists(logPath));
        } else {
            EXPECT_EQ(logLines(), c.lines);
        }
    }
}

TEST_F(ScriptedManagerTest, TheRealDriverManagerHasNoRecordForANullHandle) {
    module.LogDiagRec(SQL_HANDLE_ENV, SQL_NULL_HANDLE, logPath);
    module.LogDiagRec(SQL_HANDLE_DBC, SQL_NULL_HANDLE, logPath);
    EXPECT_FALSE(std::filesystem::exists(logPath));
}

TEST_F(ScriptedManagerTest, ALogThatCannotBeWrittenRaisesAndLeavesNoHandleBehind) {
    const std::string nowhere = temp.file("missing-dir/virelo.log");
    // The first line, after the environment is allocated, cannot be written.
    EXPECT_THROW(module.ODBCConnect("lite", "", "", nowhere), Error);
    EXPECT_EQ(dm.freeConnects, 0);
    EXPECT_EQ(dm.freeEnvs, 1);
}

}  // namespace
}  // namespace virelo::test
