// The ODBC driver manager (unixODBC), loaded when a program first calls it rather than when the
// program starts: most checks never touch a database, and loading the library costs a check
// from the command line more time than the check itself. Each ODBC function that the program
// calls is defined here with the driver manager's own signature and passes the call on to the
// library's function of the same name. When the library or a function cannot be loaded, the call
// answers SQL_ERROR, which the callers report like any failed call, and the loader's words are
// kept for OdbcDriverManagerFailure.
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>

#include "platform/SystemFacts.h"

#include <string>

#include "platform/OdbcLibrary.h"

namespace {

constexpr const char* kLibrary = "libodbc.so.2";

// The loader's words for the first library or function that could not be loaded.
std::string& Failure() {
    static std::string failure;
    return failure;
}

void NoteFailure() {
    const char* words = ::dlerror();
    if (Failure().empty()) {
        Failure() = std::string("The ODBC driver manager (") + kLibrary +
                    ") could not be loaded: " + (words != nullptr ? words : "no reason given");
    }
}

void* DriverManager() {
    static void* const library = [] {
        void* loaded = ::dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
        if (loaded == nullptr) {
            NoteFailure();
        }
        return loaded;
    }();
    return library;
}

// Calls the driver manager's function `name`, whose type is that of `Declared`.
template <auto Declared, typename... Args>
SQLRETURN Forward(const char* name, Args... args) {
    using Function = decltype(Declared);
    static const Function real = [name] {
        void* library = DriverManager();
        if (library == nullptr) {
            return Function{nullptr};
        }
        auto* function = reinterpret_cast<Function>(::dlsym(library, name));
        if (function == nullptr) {
            NoteFailure();
        }
        return function;
    }();
    return real == nullptr ? SQL_ERROR : real(args...);
}

}  // namespace

std::string virelo::platform::OdbcDriverManagerFailure() {
    return Failure();
}

extern "C" {

SQLRETURN SQL_API SQLAllocEnv(SQLHENV* env) {
    return Forward<&SQLAllocEnv>("SQLAllocEnv", env);
}

SQLRETURN SQL_API SQLAllocConnect(SQLHENV env, SQLHDBC* dbc) {
    return Forward<&SQLAllocConnect>("SQLAllocConnect", env, dbc);
}

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    return Forward<&SQLAllocHandle>("SQLAllocHandle", type, input, output);
}

SQLRETURN SQL_API SQLConnect(SQLHDBC dbc, SQLCHAR* server, SQLSMALLINT serverLength, SQLCHAR* user,
                             SQLSMALLINT userLength, SQLCHAR* password,
                             SQLSMALLINT passwordLength) {
    return Forward<&SQLConnect>("SQLConnect", dbc, server, serverLength, user, userLength, password,
                                passwordLength);
}

SQLRETURN SQL_API SQLDataSources(SQLHENV env, SQLUSMALLINT direction, SQLCHAR* name,
                                 SQLSMALLINT nameSize, SQLSMALLINT* nameLength,
                                 SQLCHAR* description, SQLSMALLINT descriptionSize,
                                 SQLSMALLINT* descriptionLength) {
    return Forward<&SQLDataSources>("SQLDataSources", env, direction, name, nameSize, nameLength,
                                    description, descriptionSize, descriptionLength);
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC dbc) {
    return Forward<&SQLDisconnect>("SQLDisconnect", dbc);
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC dbc, SQLHWND window, SQLCHAR* in, SQLSMALLINT inLength,
                                   SQLCHAR* out, SQLSMALLINT outSize, SQLSMALLINT* outLength,
                                   SQLUSMALLINT completion) {
    return Forward<&SQLDriverConnect>("SQLDriverConnect", dbc, window, in, inLength, out, outSize,
                                      outLength, completion);
}

SQLRETURN SQL_API SQLDrivers(SQLHENV env, SQLUSMALLINT direction, SQLCHAR* description,
                             SQLSMALLINT descriptionSize, SQLSMALLINT* descriptionLength,
                             SQLCHAR* attributes, SQLSMALLINT attributesSize,
                             SQLSMALLINT* attributesLength) {
    return Forward<&SQLDrivers>("SQLDrivers", env, direction, description, descriptionSize,
                                descriptionLength, attributes, attributesSize, attributesLength);
}

SQLRETURN SQL_API SQLFreeConnect(SQLHDBC dbc) {
    return Forward<&SQLFreeConnect>("SQLFreeConnect", dbc);
}

SQLRETURN SQL_API SQLFreeEnv(SQLHENV env) {
    return Forward<&SQLFreeEnv>("SQLFreeEnv", env);
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    return Forward<&SQLFreeHandle>("SQLFreeHandle", type, handle);
}

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
                                SQLSMALLINT messageSize, SQLSMALLINT* messageLength) {
    return Forward<&SQLGetDiagRec>("SQLGetDiagRec", type, handle, record, state, native, message,
                                   messageSize, messageLength);
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size,
                             SQLSMALLINT* length) {
    return Forward<&SQLGetInfo>("SQLGetInfo", dbc, type, value, size, length);
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER length) {
    return Forward<&SQLSetConnectAttr>("SQLSetConnectAttr", dbc, attribute, value, length);
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV env, SQLINTEGER attribute, SQLPOINTER value,
                                SQLINTEGER length) {
    return Forward<&SQLSetEnvAttr>("SQLSetEnvAttr", env, attribute, value, length);
}

}  // extern "C"

// The library that answers the calls above, for a support report; loaded here if it is not yet.
virelo::platform::DriverManagerLibrary virelo::platform::OdbcDriverManagerLibrary() {
    DriverManagerLibrary library{"unixODBC", ""};
    link_map* map = nullptr;
    if (void* handle = DriverManager(); handle != nullptr &&
                                        ::dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 &&
                                        map != nullptr && map->l_name != nullptr) {
        char resolved[PATH_MAX];
        library.path = ::realpath(map->l_name, resolved) != nullptr ? resolved : map->l_name;
    }
    return library;
}
