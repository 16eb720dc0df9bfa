#pragma once

#include <string>
#include <vector>

namespace virelo::report {

// One ODBC driver as the driver manager lists it.
struct DriverFacts {
    std::string name;
    std::string library;  // the Driver= entry of its ini file, as written there
    std::string path;     // where that library is, links resolved; empty when it is not found
    std::string version;  // the library's version, where its file name states one
};

// The ODBC driver manager and every driver it knows.
struct OdbcFacts {
    std::string name;     // unixODBC, or the system's driver manager
    std::string library;  // its library file
    std::string version;  // its SQL_DM_VER answer ("03.52.0002.0003")
    std::string failure;  // why it could not be asked, empty when it answered
    std::vector<DriverFacts> drivers;
};

// Asks the driver manager (SQLGetInfo SQL_DM_VER on an unconnected handle, SQLDrivers) and
// finds each driver's library. No driver is loaded.
OdbcFacts ReadOdbcFacts();

}  // namespace virelo::report
