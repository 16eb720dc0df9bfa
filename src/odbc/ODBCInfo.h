#pragma once

#include <cstdint>
#include <string>

namespace virelo::odbc {

// What one ODBC ping gathered: nine answers of the driver manager and the driver, two fields that
// are never filled, and the status of the run. A new record has every text empty and Status 0.
struct ODBCInfo {
    std::string DataSourceName;     // SQL_DATA_SOURCE_NAME
    std::string UserName;           // SQL_USER_NAME
    std::string DatabaseName;       // SQL_DATABASE_NAME
    std::string DBMSVersion;        // SQL_DBMS_VER
    std::string DriverName;         // SQL_DRIVER_NAME
    std::string DriverVersion;      // SQL_DRIVER_VER
    std::string DriverODBCVersion;  // SQL_DRIVER_ODBC_VER, the driver's ODBC version
    std::string ODBCVersion;        // SQL_ODBC_VER, the driver manager's ODBC version
    std::string DBMSName;           // SQL_DBMS_NAME
    std::string SQLConformance;     // always empty
    std::string ODBCConformance;    // always empty
    // The return code of the call that failed, or of SQLFreeEnv when every step succeeded.
    std::int16_t Status = 0;
};

}  // namespace virelo::odbc
