#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/RegistryOrigins.h"

namespace virelo::platform::posix {

// One data source as the driver manager lists it.
struct DataSource {
    std::string name;
    std::string description;  // the driver's description
};

// The data sources that unixODBC knows, asked through SQLDataSources so that the list is exactly
// what the driver manager will connect to (its ini files, ODBCSYSINI and ODBCINI included). One
// environment handle is kept for the object's life; the driver manager reads its ini files anew
// on every enumeration, so each call sees the current lists.
class OdbcDataSources {
public:
    OdbcDataSources() = default;
    ~OdbcDataSources();
    OdbcDataSources(const OdbcDataSources&) = delete;
    OdbcDataSources& operator=(const OdbcDataSources&) = delete;

    // The system data sources (or the user data sources) in the driver manager's order; empty
    // when the driver manager cannot be asked, with the reason in `failure`.
    std::optional<std::vector<DataSource>> list(bool system, std::string& failure);

private:
    void* env_ = nullptr;  // SQLHENV
};

// The ini files that unixODBC reads, as `odbcinst -j` shows them: the system data sources
// (odbc.ini in $ODBCSYSINI, else /etc), the drivers (odbcinst.ini beside it) and the user data
// sources ($ODBCINI, else ~/.odbc.ini), each with whether it is there.
std::vector<RegistrySource> OdbcIniFiles();

}  // namespace virelo::platform::posix
