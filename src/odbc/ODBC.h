#pragma once

#include <cstdint>
#include <string>

#include "general/General.h"
#include "odbc/DriverManager.h"
#include "odbc/ODBCInfo.h"

namespace virelo::odbc {

// The ODBC connect-and-report sequence: one data source walked through the driver manager, every
// call and its outcome written into the log file of the current ping, and the first diagnostic
// record of a failed call after it.
class ODBC {
public:
    // The login time-out set on every connection before SQLConnect, so that a server that never
    // answers cannot block the window for as long as a driver would wait by default.
    static constexpr SQLUINTEGER kLoginTimeoutSeconds = 15;

    ODBC(general::General& general, DriverManager& driverManager,
         SQLUINTEGER loginTimeoutSeconds = kLoginTimeoutSeconds)
        : general_(general), dm_(driverManager), loginTimeout_(loginTimeoutSeconds) {}

    // Allocates an environment and a connection, connects to the data source with the user name
    // and password exactly as given, asks nine information types, disconnects and frees both
    // handles, writing one log line per step. The first failing step ends the run after its
    // diagnostic lines; Status then holds its return code and only the answers gathered before it
    // are filled. Handles that a failed run leaves behind are released without a log line. The
    // password never reaches the log. Raises the Error of WriteLog when the log cannot be written.
    ODBCInfo ODBCConnect(const std::string& dataSourceName, const std::string& userName,
                         const std::string& password, const std::string& logPath);

    // Writes the first diagnostic record of the handle as three lines (SQLSTATE, native error,
    // message); writes nothing when there is no record or the handle is not valid.
    void LogDiagRec(std::uint8_t handleType, SQLHANDLE handle, const std::string& logPath);

private:
    // LogDiagRec with every password in the message masked (general::MaskPasswords), `secret`
    // among them.
    void LogDiagRec(std::uint8_t handleType, SQLHANDLE handle, const std::string& logPath,
                    const std::string& secret);
    void Log(const std::string& logPath, const std::string& message);

    general::General& general_;
    DriverManager& dm_;
    SQLUINTEGER loginTimeout_;
};

// The message text of a diagnostic record as it is logged: at most `reported` characters of the
// buffer and never more than the 255 a 256-character buffer holds.
std::string DiagMessageText(const SQLCHAR* buffer, SQLSMALLINT reported);

// A native error number as the log shows it: one blank before a number that is zero or positive,
// the minus sign before a negative one.
std::string NativeErrorText(SQLINTEGER nativeError);

}  // namespace virelo::odbc
