// Answers that no installed driver gives on demand, from the test driver (TestDriver.cpp) through
// the real driver manager: a refused information type in the middle of the run, values longer
// than the 256-character buffers, warnings, a failed disconnect, and what reaches the driver.
#include "support/OdbcFixture.h"

namespace virelo::test {
namespace {

using Lines = std::vector<std::string>;

class TestDriverTest : public OdbcFixture {
protected:
    // A data source of the test driver with the given keys.
    void define(const std::string& name, OdbcIni::Keys keys = {}) {
        keys.insert(keys.begin(), {"Driver", VIRELO_TEST_ODBC_DRIVER});
        ini.systemDsn(name, keys);
    }
    // The success lines up to and including the information step `count` (1 to 9).
    static Lines LinesThroughInfo(std::size_t count) {
        return Lines(kSuccessLines.begin(), kSuccessLines.begin() + 3 + count);
    }
};

// Each information type that reaches the driver, the failure line of its step and how many steps
// before it succeeded. (The driver manager answers SQL_DATA_SOURCE_NAME and SQL_ODBC_VER itself.)
struct InfoFailure {
    SQLUSMALLINT type;
    const char* line;
    std::size_t before;
};

TEST_F(TestDriverTest, FailureInTheMiddleKeepsTheFieldsGatheredBeforeIt) {
    const InfoFailure cases[] = {
        {SQL_USER_NAME, "SQLGetInfo for SQL_USER_NAME Failed", 1},
        {SQL_DATABASE_NAME, "SQLGetInfo for SQL_DATABASE_NAME Failed", 2},
        {SQL_DBMS_VER, "SQLGetInfo for SQL_DBMS_VER Failed", 3},
        {SQL_DRIVER_NAME, "SQLGetInfo for SQL_DRIVER_NAME Failed", 4},
        {SQL_DRIVER_VER, "SQLGetInfo for SQL_DRIVER_VER Failed", 5},
        {SQL_DRIVER_ODBC_VER, "SQLGetInfo for SQL_DRIVER_ODBC_VER Failed", 6},
        {SQL_DBMS_NAME, "SQLGetInfo for SQL_DBMS_NAME Failed", 8},
    };
    for (const InfoFailure& c : cases) {
        SCOPED_TRACE(c.line);
        OdbcIni own;
        const std::string name = "refusing-" + std::to_string(c.type);
        own.systemDsn(name, {{"Driver", VIRELO_TEST_ODBC_DRIVER},
                             {"Database", "testdb"},
                             {"FailInfo", std::to_string(c.type)}});
        std::filesystem::remove(logPath);
        const int freedBefore = dm.freeEnvs;

        const odbc::ODBCInfo info = connect(name, "alice");
        Lines expected = LinesThroughInfo(c.before);
        // An environment from SQLAllocEnv gets the ODBC 2 form of the driver's HY000.
        expected.insert(expected.end(), {c.line, "SQLState = S1000", "Native Error = -7",
                                         "Error Message = [Virelo test driver]information type " +
                                             std::to_string(c.type) + " refused"});
        EXPECT_EQ(logLines(), expected);
        EXPECT_EQ(info.Status, SQL_ERROR);
        const std::string gathered[] = {
            info.DataSourceName,    info.UserName,    info.DatabaseName,
            info.DBMSVersion,       info.DriverName,  info.DriverVersion,
            info.DriverODBCVersion, info.ODBCVersion, info.DBMSName};
        const std::string answers[] = {
            name,         "alice", "testdb", "login timeout 15", "virelo_test_odbc_driver.so",
            "01.02.0003", "03.00", "03.52",  "Virelo Test DBMS"};
        for (std::size_t i = 0; i < 9; ++i) {
            EXPECT_EQ(gathered[i], i < c.before ? answers[i] : "") << "field " << i + 1;
        }
        // The open connection is closed and both handles freed, silently.
        EXPECT_EQ(dm.freeEnvs, freedBefore + 1);
    }
}

TEST_F(TestDriverTest, ValuesUpTo255CharactersAreStoredAndLongerOnesFailTheirStep) {
    std::string value255;
    while (value255.size() < 255) {
        value255 += std::to_string(value255.size() % 10);
    }
    define("fits", {{"Database", value255}});
    define("too-long", {{"Database", value255 + "X"}});

    odbc::ODBCInfo info = connect("fits", "bob");
    EXPECT_EQ(logLines(), kSuccessLines);
    EXPECT_EQ(info.Status, 0);
    EXPECT_EQ(info.DatabaseName, value255);

    std::filesystem::remove(logPath);
    info = connect("too-long", "bob");
    Lines expected = LinesThroughInfo(2);
    expected.insert(
        expected.end(),
        {"SQLGetInfo for SQL_DATABASE_NAME Failed", "SQLState = 01004", "Native Error =  0",
         "Error Message = [Virelo test driver]String data, right truncated"});
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(info.Status, SQL_SUCCESS_WITH_INFO)
        << "SQL_SUCCESS_WITH_INFO fails an information step";
    EXPECT_EQ(info.DatabaseName, "");
    EXPECT_EQ(info.UserName, "bob");
}

TEST_F(TestDriverTest, UserNamesAndPasswordsReachTheDriverExactlyAsTyped) {
    const std::string hard = " a=b;{c} Größe ";
    const struct {
        const char* label;
        std::string user;
        std::string password;
    } cases[] = {
        {"empty", "", ""},
        {"blanks, equals, semicolon, braces, non-ASCII", hard, hard},
        {"255 characters", std::string(255, 'u'), std::string(300, 'p')},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string name = "checked-" + std::to_string(++number);
        OdbcIni own;
        own.systemDsn(name, {{"Driver", VIRELO_TEST_ODBC_DRIVER},
                             {"Database", "testdb"},
                             {"PasswordHex", Hex(c.password)}});
        std::filesystem::remove(logPath);
        const odbc::ODBCInfo info = connect(name, c.user, c.password);
        EXPECT_EQ(info.Status, 0) << logText();
        EXPECT_EQ(info.UserName, c.user);
        if (!c.password.empty()) {
            EXPECT_EQ(logText().find(c.password), std::string::npos);
        }
    }

    // A user name longer than the buffer comes back cut, which fails its step.
    OdbcIni own;
    own.systemDsn("open", {{"Driver", VIRELO_TEST_ODBC_DRIVER}});
    std::filesystem::remove(logPath);
    const odbc::ODBCInfo info = connect("open", std::string(300, 'u'), "");
    EXPECT_EQ(info.Status, SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(logLines().at(4), "SQLGetInfo for SQL_USER_NAME Failed");
    EXPECT_EQ(info.DataSourceName, "open");
}

TEST_F(TestDriverTest, WrongPasswordIsReportedWithoutThePassword) {
    define("guarded", {{"PasswordHex", Hex("right one")}});
    define("quoting", {{"PasswordHex", Hex("right one")}, {"QuotePassword", "1"}});

    odbc::ODBCInfo info = connect("guarded", "carol", "s3cr=t;{x}");
    EXPECT_EQ(info.Status, SQL_ERROR);
    EXPECT_EQ(logLines(), ConnectFailure("28000", " 0",
                                         "[unixODBC][Virelo test driver]login refused for carol"));

    // A driver that quotes the password it was given: the log shows the mask instead.
    std::filesystem::remove(logPath);
    info = connect("quoting", "carol", "s3cr=t;{x}");
    EXPECT_EQ(info.Status, SQL_ERROR);
    EXPECT_EQ(logLines(),
              ConnectFailure("28000", " 0",
                             "[unixODBC][Virelo test driver]login refused: the password ######## "
                             "is wrong"));
    EXPECT_EQ(logText().find("s3cr=t;{x}"), std::string::npos);
}

TEST_F(TestDriverTest, WarningsCountAsSuccessOutsideTheInformationSteps) {
    define("warning", {{"ConnectWarning", "1"}, {"Database", "testdb"}});
    const odbc::ODBCInfo info = connect("warning", "dave");
    EXPECT_EQ(logLines(), kSuccessLines);
    EXPECT_EQ(info.Status, 0);
    EXPECT_EQ(info.DBMSName, "Virelo Test DBMS");
}

TEST_F(TestDriverTest, FailedDisconnectKeepsAllNineValuesAndStillReleasesTheConnection) {
    define("sticky", {{"DisconnectFails", "1"}, {"Database", "testdb"}});
    const odbc::ODBCInfo info = connect("sticky", "erin");
    Lines expected = LinesThroughInfo(9);
    expected.insert(
        expected.end(),
        {"There was error within SQLDisconnect!", "SQLState = 25000", "Native Error =  12",
         "Error Message = [Virelo test driver]a transaction is still open"});
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(info.Status, SQL_ERROR);
    EXPECT_EQ(info.DBMSName, "Virelo Test DBMS");
    EXPECT_EQ(info.UserName, "erin");
    EXPECT_EQ(dm.disconnects, 2) << "the run's own try and the silent one afterwards";
    EXPECT_EQ(dm.freeEnvs, 1);
}

TEST_F(TestDriverTest, TheLoginTimeOutReachesTheDriverBeforeItConnects) {
    define("timed");
    EXPECT_EQ(connect("timed").DBMSVersion, "login timeout 15");

    odbc::ODBC shortWait(general, dm, 3);
    std::filesystem::remove(logPath);
    EXPECT_EQ(shortWait.ODBCConnect("timed", "", "", logPath).DBMSVersion, "login timeout 3");
    EXPECT_EQ(logLines(), kSuccessLines) << "the time-out adds no log line";
}

}  // namespace
}  // namespace virelo::test
