// An ODBC driver for the tests: it answers what a real driver cannot be made to answer on demand,
// through the real driver manager. Each data source configures it with keys of its odbc.ini
// section:
//   Database=<text>       the answer to SQL_DATABASE_NAME (longer than the caller's buffer: the
//                         answer is cut and SQL_SUCCESS_WITH_INFO returned with 01004, as ODBC
//                         asks of a driver)
//   FailInfo=<type>       SQLGetInfo for that information type fails (HY000, native -7)
//   PasswordHex=<hex>     SQLConnect refuses any password but this one, given as the hexadecimal
//                         digits of its bytes so that blanks at either end survive the ini
//                         file (28000, native 0); with
//   QuotePassword=1       the refusal quotes the password it was given
//   ConnectWarning=1      SQLConnect succeeds with SQL_SUCCESS_WITH_INFO (01000, native 5)
//   DisconnectFails=1     SQLDisconnect fails (25000, native 12)
// SQL_USER_NAME answers the user name that SQLConnect received, byte for byte, and SQL_DBMS_VER
// the login time-out the connection was given ("login timeout 15", or "no login timeout").
#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct Diagnostic {
    std::string state;
    SQLINTEGER native = 0;
    std::string message;
};

struct Handle {
    SQLSMALLINT type = 0;
    Diagnostic diagnostic;
    bool hasDiagnostic = false;
    // Connection handles only.
    std::string dsn;
    std::string user;
    std::string loginTimeout = "no login timeout";
};

std::string Text(const SQLCHAR* text, SQLSMALLINT length) {
    if (text == nullptr) {
        return {};
    }
    const auto* chars = reinterpret_cast<const char*>(text);
    return length == SQL_NTS ? std::string(chars) : std::string(chars, length < 0 ? 0 : length);
}

std::string Key(const std::string& dsn, const char* key) {
    char value[1024] = {};
    SQLGetPrivateProfileString(dsn.c_str(), key, "", value, sizeof value, "odbc.ini");
    return value;
}

std::string FromHex(const std::string& digits) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

SQLRETURN Report(Handle* handle, SQLRETURN rc, const char* state, SQLINTEGER native,
                 const std::string& message) {
    handle->diagnostic = {state, native, "[Virelo test driver]" + message};
    handle->hasDiagnostic = true;
    return rc;
}

// Copies an answer into the caller's buffer as ODBC asks: cut to fit with its NUL, the full
// length reported, and SQL_SUCCESS_WITH_INFO when it was cut.
SQLRETURN Answer(Handle* dbc, const std::string& value, SQLPOINTER buffer, SQLSMALLINT bufferLength,
                 SQLSMALLINT* length) {
    if (length != nullptr) {
        *length = static_cast<SQLSMALLINT>(value.size());
    }
    if (buffer != nullptr && bufferLength > 0) {
        const std::size_t fits = std::min<std::size_t>(value.size(), bufferLength - 1);
        std::memcpy(buffer, value.data(), fits);
        static_cast<char*>(buffer)[fits] = '\0';
    }
    if (static_cast<std::size_t>(bufferLength) <= value.size()) {
        return Report(dbc, SQL_SUCCESS_WITH_INFO, "01004", 0, "String data, right truncated");
    }
    return SQL_SUCCESS;
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE /*input*/, SQLHANDLE* output) {
    auto* handle = new Handle;
    handle->type = type;
    *output = handle;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT /*type*/, SQLHANDLE handle) {
    delete static_cast<Handle*>(handle);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV /*env*/, SQLINTEGER /*attribute*/, SQLPOINTER /*value*/,
                                SQLINTEGER /*length*/) {
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER /*length*/) {
    if (attribute == SQL_ATTR_LOGIN_TIMEOUT) {
        static_cast<Handle*>(dbc)->loginTimeout =
            "login timeout " + std::to_string(reinterpret_cast<SQLULEN>(value));
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLConnect(SQLHDBC handle, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* user,
                             SQLSMALLINT userLength, SQLCHAR* password,
                             SQLSMALLINT passwordLength) {
    auto* dbc = static_cast<Handle*>(handle);
    dbc->hasDiagnostic = false;
    dbc->dsn = Text(dsn, dsnLength);
    dbc->user = Text(user, userLength);
    const std::string given = Text(password, passwordLength);
    const std::string expected = FromHex(Key(dbc->dsn, "PasswordHex"));
    if (!expected.empty() && given != expected) {
        return Report(dbc, SQL_ERROR, "28000", 0,
                      Key(dbc->dsn, "QuotePassword") == "1"
                          ? "login refused: the password " + given + " is wrong"
                          : "login refused for " + dbc->user);
    }
    if (Key(dbc->dsn, "ConnectWarning") == "1") {
        return Report(dbc, SQL_SUCCESS_WITH_INFO, "01000", 5, "connected with a warning");
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER buffer,
                             SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    auto* dbc = static_cast<Handle*>(handle);
    dbc->hasDiagnostic = false;
    if (Key(dbc->dsn, "FailInfo") == std::to_string(type)) {
        return Report(dbc, SQL_ERROR, "HY000", -7,
                      "information type " + std::to_string(type) + " refused");
    }
    switch (type) {
        case SQL_USER_NAME:
            return Answer(dbc, dbc->user, buffer, bufferLength, length);
        case SQL_DATABASE_NAME:
            return Answer(dbc, Key(dbc->dsn, "Database"), buffer, bufferLength, length);
        case SQL_DBMS_VER:
            return Answer(dbc, dbc->loginTimeout, buffer, bufferLength, length);
        case SQL_DRIVER_NAME:
            return Answer(dbc, "virelo_test_odbc_driver.so", buffer, bufferLength, length);
        case SQL_DRIVER_VER:
            return Answer(dbc, "01.02.0003", buffer, bufferLength, length);
        case SQL_DRIVER_ODBC_VER:
            return Answer(dbc, "03.00", buffer, bufferLength, length);
        case SQL_DBMS_NAME:
            return Answer(dbc, "Virelo Test DBMS", buffer, bufferLength, length);
        default:
            return Answer(dbc, "", buffer, bufferLength, length);
    }
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle) {
    auto* dbc = static_cast<Handle*>(handle);
    dbc->hasDiagnostic = false;
    if (Key(dbc->dsn, "DisconnectFails") == "1") {
        return Report(dbc, SQL_ERROR, "25000", 12, "a transaction is still open");
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT /*type*/, SQLHANDLE handle, SQLSMALLINT record,
                                SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
                                SQLSMALLINT messageLength, SQLSMALLINT* textLength) {
    const auto* owner = static_cast<Handle*>(handle);
    if (record != 1 || !owner->hasDiagnostic) {
        return SQL_NO_DATA;
    }
    const Diagnostic& diagnostic = owner->diagnostic;
    if (state != nullptr) {
        std::memcpy(state, diagnostic.state.c_str(), 6);
    }
    if (native != nullptr) {
        *native = diagnostic.native;
    }
    if (textLength != nullptr) {
        *textLength = static_cast<SQLSMALLINT>(diagnostic.message.size());
    }
    if (message != nullptr && messageLength > 0) {
        const std::size_t fits =
            std::min<std::size_t>(diagnostic.message.size(), messageLength - 1);
        std::memcpy(message, diagnostic.message.data(), fits);
        message[fits] = '\0';
    }
    return SQL_SUCCESS;
}

// The driver manager counts a handle's records through SQL_DIAG_NUMBER before it reads them.
SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT /*type*/, SQLHANDLE handle, SQLSMALLINT record,
                                  SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT /*bufferLength*/,
                                  SQLSMALLINT* /*length*/) {
    const auto* owner = static_cast<Handle*>(handle);
    if (record == 0 && field == SQL_DIAG_NUMBER) {
        *static_cast<SQLINTEGER*>(value) = owner->hasDiagnostic ? 1 : 0;
        return SQL_SUCCESS;
    }
    return SQL_NO_DATA;
}

}  // extern "C"
