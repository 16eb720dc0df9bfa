#include "platform/posix/OdbcDataSources.h"

#include <sql.h>
#include <sqlext.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace virelo::platform::posix {
namespace {

// One pass over the list with buffers of the given sizes. False when a name or description did
// not fit, so the caller can start again with larger buffers.
bool Enumerate(SQLHENV env, SQLUSMALLINT first, std::size_t nameSize, std::size_t descSize,
               std::vector<DataSource>& sources) {
    sources.clear();
    std::string name(nameSize, '\0');
    std::string desc(descSize, '\0');
    SQLUSMALLINT direction = first;
    while (true) {
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descLength = 0;
        const SQLRETURN rc = SQLDataSources(env, direction, reinterpret_cast<SQLCHAR*>(name.data()),
                                            static_cast<SQLSMALLINT>(nameSize), &nameLength,
                                            reinterpret_cast<SQLCHAR*>(desc.data()),
                                            static_cast<SQLSMALLINT>(descSize), &descLength);
        if (!SQL_SUCCEEDED(rc)) {
            return true;  // SQL_NO_DATA past the last one; an error ends the list the same way
        }
        if (static_cast<std::size_t>(nameLength) >= nameSize ||
            static_cast<std::size_t>(descLength) >= descSize) {
            return false;
        }
        sources.push_back({name.substr(0, static_cast<std::size_t>(nameLength)),
                           desc.substr(0, static_cast<std::size_t>(descLength))});
        direction = SQL_FETCH_NEXT;
    }
}

}  // namespace

OdbcDataSources::~OdbcDataSources() {
    if (env_ != nullptr) {
        SQLFreeHandle(SQL_HANDLE_ENV, static_cast<SQLHENV>(env_));
    }
}

std::optional<std::vector<DataSource>> OdbcDataSources::list(bool system, std::string& failure) {
    if (env_ == nullptr) {
        SQLHENV env = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
            failure = "the ODBC driver manager could not allocate an environment";
            return std::nullopt;
        }
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        env_ = env;
    }
    const SQLUSMALLINT first = system ? SQL_FETCH_FIRST_SYSTEM : SQL_FETCH_FIRST_USER;
    std::vector<DataSource> sources;
    // Names and descriptions are short; the larger passes are there so that none is cut short.
    // The largest description buffer stays within the 16-bit length the call takes.
    for (std::size_t size = 256; size <= 4096; size *= 4) {
        if (Enumerate(static_cast<SQLHENV>(env_), first, size, 4 * size, sources)) {
            return sources;
        }
    }
    failure = "a data source name or description is too long to list";
    return std::nullopt;
}

}  // namespace virelo::platform::posix

namespace virelo::platform::posix {

std::vector<RegistrySource> OdbcIniFiles() {
    const char* systemDirectory = std::getenv("ODBCSYSINI");
    const char* user = std::getenv("ODBCINI");
    const char* home = std::getenv("HOME");
    const std::string directory = systemDirectory != nullptr ? systemDirectory : "/etc";
    std::vector<RegistrySource> files = {
        {"ODBC system data sources", directory + "/odbc.ini", ""},
        {"ODBC drivers", directory + "/odbcinst.ini", ""},
        {"ODBC user data sources",
         user != nullptr ? user : std::string(home != nullptr ? home : "") + "/.odbc.ini", ""},
    };
    for (RegistrySource& file : files) {
        struct stat st {};
        file.state = ::stat(file.path.c_str(), &st) == 0 ? "there"
                     : errno == ENOENT                   ? "not there"
                                       : std::string("cannot be read: ") + std::strerror(errno);
    }
    return files;
}

}  // namespace virelo::platform::posix
