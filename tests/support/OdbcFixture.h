#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "odbc/DriverManager.h"
#include "odbc/ODBC.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixProcesses.h"
#include "support/Fakes.h"
#include "support/OdbcIni.h"
#include "support/TempDir.h"

namespace virelo::test {

using Strings = std::vector<std::string>;

// The system's driver manager, except that a test can make a call answer what no driver here
// answers on demand, and that the calls are recorded in order. A scripted code serves one call:
// a failure skips the real call (a failed call does nothing); a success or a warning makes the
// real call and answers the scripted code when the real call succeeded.
class ScriptedDriverManager : public odbc::SystemDriverManager {
public:
    std::optional<SQLRETURN> allocEnv, allocConnect, connect, disconnect, freeConnect, freeEnv;
    // An information type that fails with SQL_ERROR.
    std::optional<SQLUSMALLINT> failInfo;
    // The answer to SQL_DATABASE_NAME as a driver gives it: cut to fit the buffer, and
    // SQL_SUCCESS_WITH_INFO when it was cut.
    std::optional<std::string> databaseName;
    // The first diagnostic record to give instead of the real one: the return code, SQLSTATE,
    // native error, message (cut to fit the caller's buffer) and the length reported for it.
    struct DiagRecord {
        SQLRETURN rc;
        std::string state;
        SQLINTEGER native;
        std::string message;
        SQLSMALLINT reported;
    };
    std::optional<DiagRecord> diagRecord;
    // The calls made ("AllocEnv", "SetLoginTimeout 15", "Connect", ...), and the data source,
    // user name and password that SQLConnect received, each read with the length given for it
    // ("(no length)" for a null pointer or SQL_NTS).
    Strings calls, connected;

    SQLRETURN AllocEnv(SQLHENV* env) override {
        return Scripted(allocEnv, "AllocEnv", [&] { return SystemDriverManager::AllocEnv(env); });
    }
    SQLRETURN AllocConnect(SQLHENV env, SQLHDBC* dbc) override {
        return Scripted(allocConnect, "AllocConnect",
                        [&] { return SystemDriverManager::AllocConnect(env, dbc); });
    }
    SQLRETURN SetLoginTimeout(SQLHDBC dbc, SQLUINTEGER seconds) override {
        calls.push_back("SetLoginTimeout " + std::to_string(seconds));
        return SystemDriverManager::SetLoginTimeout(dbc, seconds);
    }
    SQLRETURN Connect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* user,
                      SQLSMALLINT userLength, SQLCHAR* password,
                      SQLSMALLINT passwordLength) override {
        const auto text = [](const SQLCHAR* s, SQLSMALLINT n) {
            return s == nullptr || n < 0 ? std::string("(no length)")
                                         : std::string(reinterpret_cast<const char*>(s), n);
        };
        connected = {text(dsn, dsnLength), text(user, userLength), text(password, passwordLength)};
        return Scripted(connect, "Connect", [&] {
            return SystemDriverManager::Connect(dbc, dsn, dsnLength, user, userLength, password,
                                                passwordLength);
        });
    }
    SQLRETURN GetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER buffer, SQLSMALLINT bufferLength,
                      SQLSMALLINT* length) override {
        if (failInfo == type) {
            return SQL_ERROR;
        }
        if (type != SQL_DATABASE_NAME || !databaseName) {
            return SystemDriverManager::GetInfo(dbc, type, buffer, bufferLength, length);
        }
        std::snprintf(static_cast<char*>(buffer), bufferLength, "%s", databaseName->c_str());
        *length = static_cast<SQLSMALLINT>(databaseName->size());
        return *length < bufferLength ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
    }
    SQLRETURN GetDiagRec(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                         SQLCHAR* state, SQLINTEGER* nativeError, SQLCHAR* message,
                         SQLSMALLINT messageLength, SQLSMALLINT* textLength) override {
        if (!diagRecord) {
            return SystemDriverManager::GetDiagRec(handleType, handle, record, state, nativeError,
                                                   message, messageLength, textLength);
        }
        const DiagRecord& r = *diagRecord;
        std::snprintf(reinterpret_cast<char*>(state), SQL_SQLSTATE_SIZE + 1, "%s", r.state.c_str());
        *nativeError = r.native;
        std::snprintf(reinterpret_cast<char*>(message), messageLength, "%s", r.message.c_str());
        *textLength = r.reported;
        return r.rc;
    }
    SQLRETURN Disconnect(SQLHDBC dbc) override {
        return Scripted(disconnect, "Disconnect",
                        [&] { return SystemDriverManager::Disconnect(dbc); });
    }
    SQLRETURN FreeConnect(SQLHDBC dbc) override {
        return Scripted(freeConnect, "FreeConnect",
                        [&] { return SystemDriverManager::FreeConnect(dbc); });
    }
    SQLRETURN FreeEnv(SQLHENV env) override {
        return Scripted(freeEnv, "FreeEnv", [&] { return SystemDriverManager::FreeEnv(env); });
    }

private:
    template <typename Real>
    SQLRETURN Scripted(std::optional<SQLRETURN>& code, const char* call, Real real) {
        calls.push_back(call);
        const std::optional<SQLRETURN> scripted = std::exchange(code, std::nullopt);
        if (scripted && *scripted != SQL_SUCCESS && *scripted != SQL_SUCCESS_WITH_INFO) {
            return *scripted;
        }
        const SQLRETURN rc = real();
        return scripted && rc == SQL_SUCCESS ? *scripted : rc;
    }
};

// The ODBC module over the system's driver manager (recorded, see ScriptedDriverManager), with
// private data sources (among them "lite", of the SQLite driver), a fixed clock and a log file in
// a private directory. A test is skipped when the driver library it needs is not installed.
class OdbcFixture : public ::testing::Test {
protected:
    explicit OdbcFixture(const char* driver = kSqliteDriver) : driver_(driver) {
        ini.systemDsn("lite", {{"Driver", kSqliteDriver}, {"Database", sqliteFile()}});
    }
    void SetUp() override {
        if (!std::filesystem::exists(driver_)) {
            GTEST_SKIP() << driver_ << " is not installed";
        }
    }
    // The messages of the log's lines, in order; every line must carry the time stamp and end
    // with CR LF.
    Strings logLines() const {
        const std::string text = logText();
        EXPECT_TRUE(std::regex_match(text, std::regex("(3:04:05 PM : [^\r]*\r\n)*")))
            << "not a log of whole, time-stamped lines:\n"
            << text;
        Strings lines;
        for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos;
             at = end + 2) {
            lines.push_back(text.substr(at + 13, end - at - 13));
        }
        return lines;
    }
    std::string logText() const { return temp.read("virelo.log"); }
    odbc::ODBCInfo connect(const std::string& dsn, const std::string& user = "",
                           const std::string& password = "") {
        std::filesystem::remove(logPath);
        dm.calls.clear();
        return module.ODBCConnect(dsn, user, password, logPath);
    }
    static std::string sqliteFile() { return OdbcProcessConfig::SqliteDatabase(); }

    const char* driver_;
    OdbcIni ini;
    TempDir temp;
    platform::posix::PosixFiles files;
    FixedClock clock;
    platform::posix::PosixProcesses processes;
    general::General general{files, clock, processes};
    ScriptedDriverManager dm;
    odbc::ODBC module{general, dm};
    std::string logPath = temp.file("virelo.log");
};

// The nine values of a run, in the order they are asked.
inline Strings Fields(const odbc::ODBCInfo& i) {
    return {i.DataSourceName, i.UserName,          i.DatabaseName, i.DBMSVersion, i.DriverName,
            i.DriverVersion,  i.DriverODBCVersion, i.ODBCVersion,  i.DBMSName};
}

// `head` followed by `tail`.
inline Strings Joined(Strings head, const Strings& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// The sixteen lines of a run in which every step succeeded.
inline const Strings kSuccessLines = [] {
    Strings lines = {"SQLAllocEnv Successful", " SQLAllocConnect Successful",
                     "SQLConnect Successful"};
    for (const char* type :
         {"DATA_SOURCE_NAME", "USER_NAME", "DATABASE_NAME", "DBMS_VER", "DRIVER_NAME", "DRIVER_VER",
          "DRIVER_ODBC_VER", "ODBC_VER", "DBMS_NAME"}) {
        lines.push_back(std::string("SQLGetInfo for SQL_") + type + " Successful");
    }
    return Joined(lines, {"SQLDisconnect was Successful", "SQLFreeConnect Successful\\n",
                          "SQLFreeEnv Successful", "ODBC connection closed."});
}();

// The first `count` lines of a run that succeeds, then `more`.
inline Strings Through(std::size_t count, const Strings& more) {
    return Joined(Strings(kSuccessLines.begin(), kSuccessLines.begin() + count), more);
}

// The lines of a run that failed at SQLConnect.
inline Strings ConnectFailure(const std::string& state, const std::string& native,
                              const std::string& message) {
    return Through(2, {"There was an error within SQLConnect!", "SQLState = " + state,
                       "Native Error = " + native, "Error Message = " + message});
}

// The calls of a run through the driver manager, from the start to and including SQLConnect.
inline const Strings kUpToConnect = {"AllocEnv", "AllocConnect", "SetLoginTimeout 15", "Connect"};

}  // namespace virelo::test
