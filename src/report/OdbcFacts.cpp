#include "report/OdbcFacts.h"

#include <algorithm>

#include "complus/OdbcHandles.h"
#include "platform/Odbc.h"
#include "platform/OdbcLibrary.h"
#include "platform/SystemFacts.h"

namespace virelo::report {
namespace {

using complus::OdbcHandle;

// The value of `key` in SQLDrivers' attribute list "key=value\0key=value\0\0".
std::string Attribute(const std::string& list, const std::string& key) {
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = std::min(list.find('\0', start), list.size());
        const std::string pair = list.substr(start, end - start);
        if (pair.size() > key.size() && pair.compare(0, key.size(), key) == 0 &&
            pair[key.size()] == '=') {
            return pair.substr(key.size() + 1);
        }
        start = end + 1;
    }
    return {};
}

std::vector<DriverFacts> Drivers(SQLHENV env) {
    std::vector<DriverFacts> drivers;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLCHAR name[512] = {};
        SQLCHAR attributes[4096] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT attributesLength = 0;
        if (!SQL_SUCCEEDED(SQLDrivers(env, direction, name, sizeof name, &nameLength, attributes,
                                      sizeof attributes, &attributesLength))) {
            return drivers;
        }
        direction = SQL_FETCH_NEXT;
        // A text too long for the buffer is cut; one too long for its SQLSMALLINT length (an
        // odbcinst.ini section name of 40,000 characters) comes back with a negative length.
        const auto fit = [](SQLSMALLINT length, std::size_t size) {
            return length >= 0 && static_cast<std::size_t>(length) < size
                       ? static_cast<std::size_t>(length)
                       : size - 1;
        };
        DriverFacts driver;
        driver.name.assign(reinterpret_cast<char*>(name), fit(nameLength, sizeof name));
        driver.library = Attribute(std::string(reinterpret_cast<char*>(attributes),
                                               fit(attributesLength, sizeof attributes)),
                                   "Driver");
        const platform::DriverLibrary found = platform::FindDriverLibrary(driver.library);
        driver.path = found.path;
        driver.version = found.version;
        drivers.push_back(std::move(driver));
    }
}

}  // namespace

OdbcFacts ReadOdbcFacts() {
    OdbcFacts facts;
    SQLHANDLE env = SQL_NULL_HANDLE;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        const platform::DriverManagerLibrary library = platform::OdbcDriverManagerLibrary();
        facts.name = library.name;
        const std::string failure = platform::OdbcDriverManagerFailure();
        facts.failure =
            failure.empty() ? "the driver manager could not allocate an environment" : failure;
        return facts;
    }
    const OdbcHandle environment(SQL_HANDLE_ENV, env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    const platform::DriverManagerLibrary library = platform::OdbcDriverManagerLibrary();
    facts.name = library.name;
    facts.library = library.path;
    SQLHANDLE dbc = SQL_NULL_HANDLE;
    if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        const OdbcHandle connection(SQL_HANDLE_DBC, dbc);
        SQLCHAR version[64] = {};
        SQLSMALLINT length = 0;
        if (SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DM_VER, version, sizeof version, &length))) {
            facts.version = reinterpret_cast<char*>(version);
        }
    }
    facts.drivers = Drivers(env);
    return facts;
}

}  // namespace virelo::report
