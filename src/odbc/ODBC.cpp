#include "odbc/ODBC.h"

#include "general/Mask.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace virelo::odbc {
namespace {

constexpr const char* kSource = "ODBC_Connect";
constexpr const char* kDiagSource = "DiagRec";
// Every text buffer holds 256 characters: at most 255 of text and the terminating NUL.
constexpr SQLSMALLINT kBufferLength = 256;
constexpr SQLSMALLINT kMaxText = kBufferLength - 1;

// One information step: the type asked, its two log lines, and the field its answer fills.
struct InfoStep {
    SQLUSMALLINT type;
    const char* success;
    const char* failure;
    std::string ODBCInfo::*field;
};

constexpr InfoStep kInfoSteps[] = {
    {SQL_DATA_SOURCE_NAME, "SQLGetInfo for SQL_DATA_SOURCE_NAME Successful",
     "SQLGetInfo for SQL_DATA_SOURCE_NAME Failed ", &ODBCInfo::DataSourceName},
    {SQL_USER_NAME, "SQLGetInfo for SQL_USER_NAME Successful",
     "SQLGetInfo for SQL_USER_NAME Failed", &ODBCInfo::UserName},
    {SQL_DATABASE_NAME, "SQLGetInfo for SQL_DATABASE_NAME Successful",
     "SQLGetInfo for SQL_DATABASE_NAME Failed", &ODBCInfo::DatabaseName},
    {SQL_DBMS_VER, "SQLGetInfo for SQL_DBMS_VER Successful", "SQLGetInfo for SQL_DBMS_VER Failed",
     &ODBCInfo::DBMSVersion},
    {SQL_DRIVER_NAME, "SQLGetInfo for SQL_DRIVER_NAME Successful",
     "SQLGetInfo for SQL_DRIVER_NAME Failed", &ODBCInfo::DriverName},
    {SQL_DRIVER_VER, "SQLGetInfo for SQL_DRIVER_VER Successful",
     "SQLGetInfo for SQL_DRIVER_VER Failed", &ODBCInfo::DriverVersion},
    {SQL_DRIVER_ODBC_VER, "SQLGetInfo for SQL_DRIVER_ODBC_VER Successful",
     "SQLGetInfo for SQL_DRIVER_ODBC_VER Failed", &ODBCInfo::DriverODBCVersion},
    {SQL_ODBC_VER, "SQLGetInfo for SQL_ODBC_VER Successful", "SQLGetInfo for SQL_ODBC_VER Failed",
     &ODBCInfo::ODBCVersion},
    {SQL_DBMS_NAME, "SQLGetInfo for SQL_DBMS_NAME Successful",
     "SQLGetInfo for SQL_DBMS_NAME Failed", &ODBCInfo::DBMSName},
};

// The allocation, connection and free steps accept SQL_SUCCESS_WITH_INFO as success.
bool Passed(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// A string's length as the 16-bit count the driver manager takes; never SQL_NTS, so an empty
// string goes with length 0. A text box holds at most 32767 characters, which always fits.
SQLSMALLINT Length16(const std::string& text) {
    return static_cast<SQLSMALLINT>(std::min<std::size_t>(text.size(), 32767));
}

// The string's own characters; an empty string still gives a valid pointer to its NUL.
SQLCHAR* Chars(std::string& text) {
    return reinterpret_cast<SQLCHAR*>(text.data());
}

// The first `reported` characters of a buffer, and never more than the buffer holds.
std::string BufferText(const SQLCHAR* buffer, SQLSMALLINT reported) {
    const auto length = static_cast<std::size_t>(std::clamp<SQLSMALLINT>(reported, 0, kMaxText));
    return std::string(reinterpret_cast<const char*>(buffer), length);
}

// What a run has allocated and not released yet. A run that stops at a failed step leaves its
// connection open or its handles allocated; they are released here, silently, when it returns
// (or when writing the log raises).
struct RunHandles {
    explicit RunHandles(DriverManager& dm) : dm(dm) {}
    ~RunHandles() {
        if (connected) {
            dm.Disconnect(dbc);
        }
        if (dbc != SQL_NULL_HDBC) {
            dm.FreeConnect(dbc);
        }
        if (env != SQL_NULL_HENV) {
            dm.FreeEnv(env);
        }
    }
    RunHandles(const RunHandles&) = delete;
    RunHandles& operator=(const RunHandles&) = delete;

    DriverManager& dm;
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
};

}  // namespace

std::string DiagMessageText(const SQLCHAR* buffer, SQLSMALLINT reported) {
    return BufferText(buffer, reported);
}

std::string NativeErrorText(SQLINTEGER nativeError) {
    std::string text(nativeError >= 0 ? 1 : 0, ' ');
    text += std::to_string(nativeError);
    return text;
}

void ODBC::Log(const std::string& logPath, const std::string& message) {
    general_.WriteLog(logPath, kSource, message);
}

ODBCInfo ODBC::ODBCConnect(const std::string& dataSourceName, const std::string& userName,
                           const std::string& password, const std::string& logPath) {
    ODBCInfo info;
    RunHandles handles(dm_);
    // A failed step: its line, the first diagnostic record of the handle involved, its code.
    const auto failed = [&](const char* line, SQLSMALLINT handleType, SQLHANDLE handle,
                            SQLRETURN rc) {
        Log(logPath, line);
        LogDiagRec(static_cast<std::uint8_t>(handleType), handle, logPath, password);
        info.Status = rc;
        return info;
    };

    SQLRETURN rc = dm_.AllocEnv(&handles.env);
    if (!Passed(rc)) {
        return failed("There was an error with SQLAllocEnv!", SQL_HANDLE_ENV, handles.env, rc);
    }
    Log(logPath, "SQLAllocEnv Successful");

    rc = dm_.AllocConnect(handles.env, &handles.dbc);
    if (!Passed(rc)) {
        return failed("There was error within SQLAllocConnect!", SQL_HANDLE_ENV, handles.env, rc);
    }
    Log(logPath, " SQLAllocConnect Successful");

    // A driver that cannot take a login time-out still connects with its own; the log stays the
    // same either way.
    dm_.SetLoginTimeout(handles.dbc, loginTimeout_);
    std::string dsn = dataSourceName;
    std::string user = userName;
    std::string secret = password;
    rc = dm_.Connect(handles.dbc, Chars(dsn), Length16(dsn), Chars(user), Length16(user),
                     Chars(secret), Length16(secret));
    if (!Passed(rc)) {
        return failed("There was an error within SQLConnect!", SQL_HANDLE_DBC, handles.dbc, rc);
    }
    handles.connected = true;
    Log(logPath, "SQLConnect Successful");

    // Only SQL_SUCCESS counts here: SQL_SUCCESS_WITH_INFO means the answer did not fit.
    for (const InfoStep& step : kInfoSteps) {
        std::array<SQLCHAR, kBufferLength> buffer{};
        SQLSMALLINT length = 0;
        rc = dm_.GetInfo(handles.dbc, step.type, buffer.data(), kBufferLength, &length);
        if (rc != SQL_SUCCESS) {
            return failed(step.failure, SQL_HANDLE_DBC, handles.dbc, rc);
        }
        info.*step.field = BufferText(buffer.data(), length);
        Log(logPath, step.success);
    }

    rc = dm_.Disconnect(handles.dbc);
    if (!Passed(rc)) {
        return failed("There was error within SQLDisconnect!", SQL_HANDLE_DBC, handles.dbc, rc);
    }
    handles.connected = false;
    Log(logPath, "SQLDisconnect was Successful");

    rc = dm_.FreeConnect(handles.dbc);
    if (!Passed(rc)) {
        return failed("There was an error within SQLFreeConnect!", SQL_HANDLE_DBC, handles.dbc, rc);
    }
    handles.dbc = SQL_NULL_HDBC;
    // The backslash and the n are two characters of the line, not a line break.
    Log(logPath, "SQLFreeConnect Successful\\n");

    rc = dm_.FreeEnv(handles.env);
    if (!Passed(rc)) {
        return failed("There waw an error within SQLFreeEnv!", SQL_HANDLE_ENV, handles.env, rc);
    }
    handles.env = SQL_NULL_HENV;
    Log(logPath, "SQLFreeEnv Successful");
    Log(logPath, "ODBC connection closed.");
    info.Status = rc;
    return info;
}

void ODBC::LogDiagRec(std::uint8_t handleType, SQLHANDLE handle, const std::string& logPath) {
    LogDiagRec(handleType, handle, logPath, std::string());
}

void ODBC::LogDiagRec(std::uint8_t handleType, SQLHANDLE handle, const std::string& logPath,
                      const std::string& secret) {
    std::array<SQLCHAR, SQL_SQLSTATE_SIZE + 1> state{};
    SQLINTEGER nativeError = 0;
    std::array<SQLCHAR, kBufferLength> message{};
    SQLSMALLINT textLength = 0;
    const SQLRETURN rc = dm_.GetDiagRec(handleType, handle, 1, state.data(), &nativeError,
                                        message.data(), kBufferLength, &textLength);
    if (!Passed(rc)) {
        return;  // no record, or a handle that is not valid: nothing to tell
    }
    const char* stateText = reinterpret_cast<const char*>(state.data());
    general_.WriteLog(
        logPath, kDiagSource,
        "SQLState = " + std::string(stateText, strnlen(stateText, SQL_SQLSTATE_SIZE)));
    general_.WriteLog(logPath, kDiagSource, "Native Error = " + NativeErrorText(nativeError));
    general_.WriteLog(
        logPath, kDiagSource,
        "Error Message = " +
            general::MaskPasswords(DiagMessageText(message.data(), textLength), secret));
}

}  // namespace virelo::odbc
