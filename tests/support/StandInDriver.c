/* A stand-in ODBC driver for tests: it does what no real driver here does on demand, and writes
 * what it received, one line per call, to the file that VIRELO_STANDIN_RECORD names. A
 * connection string (or data source name) holding FAIL makes the connection fail with three
 * diagnostic records, the second of which echoes the connection string; any other succeeds and
 * completes the connection string by echoing it. */
#include <sql.h>
#include <sqlext.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char records[3][600];
static const char* const states[3] = {"08001", "28000", "HY000"};
static const SQLINTEGER natives[3] = {101, -5, 7};
static int recordCount;

static void Note(const char* format, ...) {
    const char* path = getenv("VIRELO_STANDIN_RECORD");
    FILE* file = path ? fopen(path, "a") : NULL;
    if (file) {
        va_list args;
        va_start(args, format);
        vfprintf(file, format, args);
        va_end(args);
        fputc('\n', file);
        fclose(file);
    }
}

static SQLRETURN Open(const char* text) {
    recordCount = 0;
    if (!strstr(text, "FAIL"))
        return SQL_SUCCESS;
    snprintf(records[0], sizeof records[0], "[StandIn]server closed the connection");
    snprintf(records[1], sizeof records[1], "[StandIn]login refused for %s", text);
    snprintf(records[2], sizeof records[2], "[StandIn]third record\nafter a line break");
    recordCount = 3;
    return SQL_ERROR;
}

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    (void)input;
    *output = malloc(1);
    Note("AllocHandle %d", type);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    free(handle);
    Note("FreeHandle %d", type);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV env, SQLINTEGER attribute, SQLPOINTER value,
                                SQLINTEGER length) {
    (void)env, (void)attribute, (void)value, (void)length;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER length) {
    (void)dbc, (void)length;
    Note("SetConnectAttr %d %lu", (int)attribute, (unsigned long)(SQLULEN)value);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC dbc, SQLHWND window, SQLCHAR* in, SQLSMALLINT inLength,
                                   SQLCHAR* out, SQLSMALLINT outSize, SQLSMALLINT* outLength,
                                   SQLUSMALLINT completion) {
    char text[600];
    (void)dbc, (void)window, (void)completion;
    snprintf(text, sizeof text, "%.*s", inLength == SQL_NTS ? (int)strlen((char*)in) : inLength,
             (char*)in);
    Note("DriverConnect %s", text);
    if (out && outSize > 0)
        snprintf((char*)out, (size_t)outSize, "%s", text);
    if (outLength)
        *outLength = (SQLSMALLINT)strlen(text);
    return Open(text);
}

SQLRETURN SQL_API SQLConnect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* user,
                             SQLSMALLINT userLength, SQLCHAR* password,
                             SQLSMALLINT passwordLength) {
    char text[600];
    (void)dbc;
    snprintf(text, sizeof text, "%.*s|%.*s|%.*s", dsnLength, (char*)dsn, userLength, (char*)user,
             passwordLength, (char*)password);
    Note("Connect %s", text);
    return Open(text);
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC dbc) {
    (void)dbc;
    Note("Disconnect");
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
                                SQLSMALLINT size, SQLSMALLINT* length) {
    (void)handle;
    if (type != SQL_HANDLE_DBC || number < 1 || number > recordCount)
        return SQL_NO_DATA;
    if (state)
        snprintf((char*)state, 6, "%s", states[number - 1]);
    if (native)
        *native = natives[number - 1];
    if (message && size > 0)
        snprintf((char*)message, (size_t)size, "%s", records[number - 1]);
    if (length)
        *length = (SQLSMALLINT)strlen(records[number - 1]);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size,
                             SQLSMALLINT* length) {
    const char* text = type == SQL_DBMS_NAME         ? "StandIn"
                       : type == SQL_DRIVER_ODBC_VER ? "03.00"
                                                     : "";
    (void)dbc;
    if (type == SQL_MAX_IDENTIFIER_LEN || type == SQL_MAX_DRIVER_CONNECTIONS) {
        *(SQLUSMALLINT*)value = 1;
        return SQL_SUCCESS;
    }
    if (value && size > 0)
        snprintf((char*)value, (size_t)size, "%s", text);
    if (length)
        *length = (SQLSMALLINT)strlen(text);
    return SQL_SUCCESS;
}
