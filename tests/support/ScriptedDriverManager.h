#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "odbc/DriverManager.h"

namespace virelo::test {

// The system's driver manager, except that a test can make one of the calls that never fail here
// on demand (allocating or freeing the environment, allocating or freeing a connection) return a
// chosen code, and that every call is counted and the arguments of SQLConnect are kept.
class ScriptedDriverManager : public odbc::SystemDriverManager {
public:
    struct ConnectArguments {
        std::string dsn, user, password;
        SQLSMALLINT dsnLength = 0, userLength = 0, passwordLength = 0;
        bool anyNull = false;
    };

    // A diagnostic record to answer instead of the real one: the return code, the SQLSTATE, the
    // native error, the message as written into the caller's buffer (cut to fit) and the length
    // reported for it.
    struct DiagRecord {
        SQLRETURN rc = SQL_SUCCESS;
        std::string state;
        SQLINTEGER native = 0;
        std::string message;
        SQLSMALLINT reported = 0;
    };
    std::optional<DiagRecord> diagRecord;

    // A code to return instead of the real call's, for each scriptable call.
    std::optional<SQLRETURN> allocEnv, allocConnect, freeConnect, freeEnv;
    // An information type that fails with SQL_ERROR without asking the driver manager: the two
    // types that unixODBC answers itself (SQL_DATA_SOURCE_NAME, SQL_ODBC_VER) cannot be made to
    // fail through a driver.
    std::optional<SQLUSMALLINT> failInfo;
    // Counts of the real calls made.
    int disconnects = 0, freeConnects = 0, freeEnvs = 0;
    std::optional<SQLUINTEGER> loginTimeout;
    std::optional<ConnectArguments> connected;

    SQLRETURN AllocEnv(SQLHENV* env) override {
        if (allocEnv) {
            *env = SQL_NULL_HENV;  // a failed allocation leaves no handle
            return *allocEnv;
        }
        return SystemDriverManager::AllocEnv(env);
    }
    SQLRETURN AllocConnect(SQLHENV env, SQLHDBC* dbc) override {
        if (allocConnect) {
            *dbc = SQL_NULL_HDBC;
            return *allocConnect;
        }
        return SystemDriverManager::AllocConnect(env, dbc);
    }
    SQLRETURN SetLoginTimeout(SQLHDBC dbc, SQLUINTEGER seconds) override {
        loginTimeout = seconds;
        return SystemDriverManager::SetLoginTimeout(dbc, seconds);
    }
    SQLRETURN Connect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* user,
                      SQLSMALLINT userLength, SQLCHAR* password,
                      SQLSMALLINT passwordLength) override {
        ConnectArguments kept;
        kept.anyNull = dsn == nullptr || user == nullptr || password == nullptr;
        if (!kept.anyNull && dsnLength >= 0 && userLength >= 0 && passwordLength >= 0) {
            kept.dsn.assign(reinterpret_cast<const char*>(dsn), dsnLength);
            kept.user.assign(reinterpret_cast<const char*>(user), userLength);
            kept.password.assign(reinterpret_cast<const char*>(password), passwordLength);
        }
        kept.dsnLength = dsnLength;
        kept.userLength = userLength;
        kept.passwordLength = passwordLength;
        connected = kept;
        return SystemDriverManager::Connect(dbc, dsn, dsnLength, user, userLength, password,
                                            passwordLength);
    }
    SQLRETURN GetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER buffer, SQLSMALLINT bufferLength,
                      SQLSMALLINT* length) override {
        if (failInfo == type) {
            return SQL_ERROR;
        }
        return SystemDriverManager::GetInfo(dbc, type, buffer, bufferLength, length);
    }
    SQLRETURN GetDiagRec(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                         SQLCHAR* state, SQLINTEGER* nativeError, SQLCHAR* message,
                         SQLSMALLINT messageLength, SQLSMALLINT* textLength) override {
        if (!diagRecord) {
            return SystemDriverManager::GetDiagRec(handleType, handle, record, state, nativeError,
                                                   message, messageLength, textLength);
        }
        std::snprintf(reinterpret_cast<char*>(state), SQL_SQLSTATE_SIZE + 1, "%s",
                      diagRecord->state.c_str());
        *nativeError = diagRecord->native;
        std::snprintf(reinterpret_cast<char*>(message), static_cast<std::size_t>(messageLength),
                      "%s", diagRecord->message.c_str());
        *textLength = diagRecord->reported;
        return diagRecord->rc;
    }
    SQLRETURN Disconnect(SQLHDBC dbc) override {
        ++disconnects;
        return SystemDriverManager::Disconnect(dbc);
    }
    // A scripted failure leaves the handle allocated, as a failed free does, so the run's own
    // clean-up frees it later; a scripted success (or warning) frees it for real.
    SQLRETURN FreeConnect(SQLHDBC dbc) override {
        ++freeConnects;
        if (freeConnect && freeConnects == 1) {
            return Passed(*freeConnect)
                       ? Really(SystemDriverManager::FreeConnect(dbc), *freeConnect)
                       : *freeConnect;
        }
        return SystemDriverManager::FreeConnect(dbc);
    }
    SQLRETURN FreeEnv(SQLHENV env) override {
        ++freeEnvs;
        if (freeEnv && freeEnvs == 1) {
            return Passed(*freeEnv) ? Really(SystemDriverManager::FreeEnv(env), *freeEnv)
                                    : *freeEnv;
        }
        return SystemDriverManager::FreeEnv(env);
    }

private:
    static bool Passed(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }
    // The scripted code once the real call has succeeded; the real code otherwise.
    static SQLRETURN Really(SQLRETURN real, SQLRETURN scripted) {
        return real == SQL_SUCCESS ? scripted : real;
    }
};

}  // namespace virelo::test
