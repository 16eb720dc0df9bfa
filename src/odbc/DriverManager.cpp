#include "odbc/DriverManager.h"

#include <cstdint>

namespace virelo::odbc {

SQLRETURN SystemDriverManager::AllocEnv(SQLHENV* env) {
    return ::SQLAllocEnv(env);
}

SQLRETURN SystemDriverManager::AllocConnect(SQLHENV env, SQLHDBC* dbc) {
    return ::SQLAllocConnect(env, dbc);
}

SQLRETURN SystemDriverManager::SetLoginTimeout(SQLHDBC dbc, SQLUINTEGER seconds) {
    // An integer attribute travels in the pointer argument itself.
    return ::SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                               reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(seconds)),
                               SQL_IS_UINTEGER);
}

SQLRETURN SystemDriverManager::Connect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsnLength,
                                       SQLCHAR* user, SQLSMALLINT userLength, SQLCHAR* password,
                                       SQLSMALLINT passwordLength) {
    return ::SQLConnect(dbc, dsn, dsnLength, user, userLength, password, passwordLength);
}

SQLRETURN SystemDriverManager::GetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER buffer,
                                       SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    return ::SQLGetInfo(dbc, type, buffer, bufferLength, length);
}

SQLRETURN SystemDriverManager::GetDiagRec(SQLSMALLINT handleType, SQLHANDLE handle,
                                          SQLSMALLINT record, SQLCHAR* state,
                                          SQLINTEGER* nativeError, SQLCHAR* message,
                                          SQLSMALLINT messageLength, SQLSMALLINT* textLength) {
    return ::SQLGetDiagRec(handleType, handle, record, state, nativeError, message, messageLength,
                           textLength);
}

SQLRETURN SystemDriverManager::Disconnect(SQLHDBC dbc) {
    return ::SQLDisconnect(dbc);
}

SQLRETURN SystemDriverManager::FreeConnect(SQLHDBC dbc) {
    return ::SQLFreeConnect(dbc);
}

SQLRETURN SystemDriverManager::FreeEnv(SQLHENV env) {
    return ::SQLFreeEnv(env);
}

}  // namespace virelo::odbc
