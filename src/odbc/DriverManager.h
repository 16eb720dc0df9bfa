#pragma once

// The narrow-character ODBC API: the same entry points on every system, so the module calls the
// driver manager directly instead of through the platform layer.
#ifdef UNICODE
#error "The ODBC module uses the narrow (ANSI) entry points; build it without UNICODE"
#endif
#include "platform/Odbc.h"

namespace virelo::odbc {

// The driver-manager calls of one ODBC ping, one member per entry point, with the arguments the
// entry points take. The system's driver manager answers them; a test can stand in for one call
// whose failure cannot be made to happen on demand (an environment that cannot be allocated).
class DriverManager {
public:
    virtual ~DriverManager() = default;

    virtual SQLRETURN AllocEnv(SQLHENV* env) = 0;
    virtual SQLRETURN AllocConnect(SQLHENV env, SQLHDBC* dbc) = 0;
    // SQLSetConnectAttr with SQL_ATTR_LOGIN_TIMEOUT.
    virtual SQLRETURN SetLoginTimeout(SQLHDBC dbc, SQLUINTEGER seconds) = 0;
    virtual SQLRETURN Connect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* user,
                              SQLSMALLINT userLength, SQLCHAR* password,
                              SQLSMALLINT passwordLength) = 0;
    virtual SQLRETURN GetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER buffer,
                              SQLSMALLINT bufferLength, SQLSMALLINT* length) = 0;
    virtual SQLRETURN GetDiagRec(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                                 SQLCHAR* state, SQLINTEGER* nativeError, SQLCHAR* message,
                                 SQLSMALLINT messageLength, SQLSMALLINT* textLength) = 0;
    virtual SQLRETURN Disconnect(SQLHDBC dbc) = 0;
    virtual SQLRETURN FreeConnect(SQLHDBC dbc) = 0;
    virtual SQLRETURN FreeEnv(SQLHENV env) = 0;
};

// The workstation's ODBC driver manager (unixODBC here, odbc32 on Windows).
class SystemDriverManager : public DriverManager {
public:
    SQLRETURN AllocEnv(SQLHENV* env) override;
    SQLRETURN AllocConnect(SQLHENV env, SQLHDBC* dbc) override;
    SQLRETURN SetLoginTimeout(SQLHDBC dbc, SQLUINTEGER seconds) override;
    SQLRETURN Connect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* user,
                      SQLSMALLINT userLength, SQLCHAR* password,
                      SQLSMALLINT passwordLength) override;
    SQLRETURN GetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER buffer, SQLSMALLINT bufferLength,
                      SQLSMALLINT* length) override;
    SQLRETURN GetDiagRec(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                         SQLCHAR* state, SQLINTEGER* nativeError, SQLCHAR* message,
                         SQLSMALLINT messageLength, SQLSMALLINT* textLength) override;
    SQLRETURN Disconnect(SQLHDBC dbc) override;
    SQLRETURN FreeConnect(SQLHDBC dbc) override;
    SQLRETURN FreeEnv(SQLHENV env) override;
};

}  // namespace virelo::odbc
