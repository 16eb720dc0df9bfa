// Runs over the real driver manager and the SQLite driver: one in which every step succeeds, and
// outcomes that no driver here gives on demand, scripted: each step failing in turn, warnings,
// answers longer than the buffers, a driver message that quotes the password, and chosen
// diagnostic records.
#include "support/OdbcFixture.h"

namespace virelo::test {
namespace {

using Sdm = ScriptedDriverManager;
using ScriptedRunTest = OdbcFixture;

TEST_F(ScriptedRunTest, EachStepWritesItsLineAndTheFirstThatFailsEndsTheRun) {
    // Every step succeeds: sixteen lines and nine fields.
    const odbc::ODBCInfo full = connect("lite", "someone", "secret-pw");
    EXPECT_EQ(logLines(), kSuccessLines);
    EXPECT_EQ(full.Status, 0);
    // SQLite has no users; the driver's ODBC version, then the driver manager's.
    EXPECT_THAT(Fields(full),
                ::testing::ElementsAre("lite", "", sqliteFile(),
                                       ::testing::MatchesRegex("3\\.[0-9]+\\.[0-9]+"),
                                       "sqlite3odbc.so", "0.9998", "03.00", "03.52", "SQLite"));
    EXPECT_EQ(logText().find("secret-pw"), std::string::npos);
    // The login time-out is set before SQLConnect, and every handle is released once.
    const Strings all = Joined(kUpToConnect, {"Disconnect", "FreeConnect", "FreeEnv"});
    EXPECT_EQ(dm.calls, all);

    const struct {
        std::optional<SQLRETURN> Sdm::*call;
        SQLRETURN rc;
        std::size_t linesBefore;
        const char* line;
        Strings calls;  // a failed release is made again afterwards, silently
    } cases[] = {
        {&Sdm::allocEnv, SQL_ERROR, 0, "There was an error with SQLAllocEnv!", {"AllocEnv"}},
        {&Sdm::allocConnect, SQL_INVALID_HANDLE, 1, "There was error within SQLAllocConnect!",
         Strings{"AllocEnv", "AllocConnect", "FreeEnv"}},
        {&Sdm::disconnect, SQL_ERROR, 12, "There was error within SQLDisconnect!",
         Joined(kUpToConnect, {"Disconnect", "Disconnect", "FreeConnect", "FreeEnv"})},
        {&Sdm::freeConnect, SQL_ERROR, 13, "There was an error within SQLFreeConnect!",
         Joined(kUpToConnect, {"Disconnect", "FreeConnect", "FreeConnect", "FreeEnv"})},
        {&Sdm::freeEnv, SQL_ERROR, 14, "There waw an error within SQLFreeEnv!",
         Joined(kUpToConnect, {"Disconnect", "FreeConnect", "FreeEnv", "FreeEnv"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        dm.*c.call = c.rc;
        const odbc::ODBCInfo info = connect("lite");
        EXPECT_EQ(logLines(), Through(c.linesBefore, {c.line}));
        EXPECT_EQ(info.Status, c.rc);
        EXPECT_EQ(Fields(info), c.linesBefore > 11 ? Fields(full) : Strings(9));
        EXPECT_EQ(dm.calls, c.calls);
    }

    // An information step that fails keeps the values gathered before it; the first step's line
    // ends in a blank. The open connection is closed afterwards, silently.
    const SQLUSMALLINT types[] = {SQL_DATA_SOURCE_NAME, SQL_USER_NAME,   SQL_DATABASE_NAME,
                                  SQL_DBMS_VER,         SQL_DRIVER_NAME, SQL_DRIVER_VER,
                                  SQL_DRIVER_ODBC_VER,  SQL_ODBC_VER,    SQL_DBMS_NAME};
    for (std::size_t step = 0; step < 9; ++step) {
        SCOPED_TRACE(step);
        dm.failInfo = types[step];
        const odbc::ODBCInfo info = connect("lite");
        std::string line = kSuccessLines[3 + step];
        line.replace(line.find("Successful"), 10, step == 0 ? "Failed " : "Failed");
        EXPECT_EQ(logLines(), Through(3 + step, {line}));
        EXPECT_EQ(info.Status, SQL_ERROR);
        Strings kept = Fields(full);
        std::fill(kept.begin() + static_cast<long>(step), kept.end(), "");
        EXPECT_EQ(Fields(info), kept);
        EXPECT_EQ(dm.calls, all);
    }
}

TEST_F(ScriptedRunTest, WarningsPassEveryStepButAnInformationStep) {
    dm.allocEnv = dm.allocConnect = dm.connect = dm.disconnect = dm.freeConnect =
        SQL_SUCCESS_WITH_INFO;
    EXPECT_EQ(connect("lite").Status, 0);
    EXPECT_EQ(logLines(), kSuccessLines);

    dm.freeEnv = SQL_SUCCESS_WITH_INFO;
    EXPECT_EQ(connect("lite").Status, SQL_SUCCESS_WITH_INFO) << "the status is SQLFreeEnv's";
    EXPECT_EQ(logLines(), kSuccessLines);

    // Every answer has a 256-character buffer: 255 characters fit, a longer answer is cut and
    // fails its step.
    dm.databaseName = std::string(255, 'd');
    EXPECT_EQ(connect("lite").DatabaseName, std::string(255, 'd'));
    EXPECT_EQ(logLines(), kSuccessLines);
    dm.databaseName = std::string(256, 'd');
    const odbc::ODBCInfo info = connect("lite");
    EXPECT_EQ(info.Status, SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(logLines(), Through(5, {"SQLGetInfo for SQL_DATABASE_NAME Failed"}));
    EXPECT_EQ(Fields(info), (Strings{"lite", "", "", "", "", "", "", "", ""}));
}

// A driver message that quotes the password is masked (the rule is general::MaskPasswords').
TEST_F(ScriptedRunTest, ADriverMessageThatQuotesThePasswordIsMasked) {
    const std::string message = "the password s3cr=t;{x} is wrong (s3cr=t;{x})";
    dm.connect = SQL_ERROR;
    dm.diagRecord = {SQL_SUCCESS, "28000", 0, message, static_cast<SQLSMALLINT>(message.size())};
    EXPECT_EQ(connect("lite", "carol", "s3cr=t;{x}").Status, SQL_ERROR);
    EXPECT_EQ(logLines(),
              ConnectFailure("28000", " 0", "the password ######## is wrong (########)"));
}

// The three diagnostic lines as the first record gives them, or none.
TEST_F(ScriptedRunTest, DiagnosticLinesFollowTheRecordAndAnUnwritableLogRaises) {
    const std::string twenty = "first ten.second ten";
    const std::pair<Sdm::DiagRecord, Strings> cases[] = {
        {{SQL_SUCCESS_WITH_INFO, "HY000", -1, "", 0},
         {"SQLState = HY000", "Native Error = -1", "Error Message = "}},
        {{SQL_SUCCESS, "01000", 100, twenty, 10},
         {"SQLState = 01000", "Native Error =  100", "Error Message = first ten."}},
        {{SQL_SUCCESS_WITH_INFO, "01004", 2, std::string(300, 'm'), 300},
         {"SQLState = 01004", "Native Error =  2", "Error Message = " + std::string(255, 'm')}},
        {{SQL_NO_DATA, "", 0, "", 0}, {}},
        {{SQL_ERROR, "HY000", 0, "x", 1}, {}},
    };
    for (const auto& [record, lines] : cases) {
        SCOPED_TRACE(record.state);
        std::filesystem::remove(logPath);
        dm.diagRecord = record;
        module.LogDiagRec(SQL_HANDLE_DBC, SQL_NULL_HANDLE, logPath);
        EXPECT_EQ(std::filesystem::exists(logPath) ? logLines() : Strings(), lines);
    }

    // A log that cannot be written raises, and leaves no handle behind.
    EXPECT_THROW(module.ODBCConnect("lite", "", "", temp.file("missing-dir/virelo.log")), Error);
    EXPECT_EQ(dm.calls, (Strings{"AllocEnv", "FreeEnv"}));
}

}  // namespace
}  // namespace virelo::test
