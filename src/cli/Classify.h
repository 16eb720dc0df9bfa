#pragma once

#include <string>

namespace virelo::cli {

// The exit code for a failed database connection, from its SQLSTATE and the driver's own words
// (never our report lines around them): the driver or the driver manager (class IM, a driver
// library that cannot be loaded, a name the driver manager refuses), a session the server
// refused (class 28 or 3D, or a driver that says the login, the password or authentication
// failed, or quotes the server's FATAL answer), a server that cannot be reached (class 08, a
// time-out), or any other failure.
int ExitCodeForSqlState(const std::string& state, const std::string& message);

// The first SQLSTATE written as "[SQLSTATE xxxxx]", "SQLState = xxxxx" or "SQLSTATE xxxxx" in a
// text, or "".
std::string FirstSqlState(const std::string& text);

}  // namespace virelo::cli
