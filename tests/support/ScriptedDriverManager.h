#pragma once

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "odbc/DriverManager.h"

namespace virelo::test {

// The system's driver manager, except that a test can make a call answer what no driver here
// answers on demand, and that the calls are recorded in order. A scripted code serves one call:
// a failure skips the real call (a failed call does nothing); a success or a warning makes the
// real call and answers the scripted code when the real call succeeded.
class ScriptedDriverManager : public odbc::SystemDriverManager {
public:
    using Strings = std::vector<std::string>;

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
    Strings calls;
    Strings connected;

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
        std::snprintf(reinterpret_cast<char*>(state), SQL_SQLSTATE_SIZE + 1, "%s",
                      diagRecord->state.c_str());
        *nativeError = diagRecord->native;
        std::snprintf(reinterpret_cast<char*>(message), static_cast<std::size_t>(messageLength),
                      "%s", diagRecord->message.c_str());
        *textLength = diagRecord->reported;
        return diagRecord->rc;
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
        if (!code) {
            return real();
        }
        const SQLRETURN scripted = *code;
        code.reset();
        if (scripted != SQL_SUCCESS && scripted != SQL_SUCCESS_WITH_INFO) {
            return scripted;
        }
        const SQLRETURN rc = real();
        return rc == SQL_SUCCESS ? scripted : rc;
    }
};

}  // namespace virelo::test
