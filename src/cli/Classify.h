#pragma once

#include <string>

namespace virelo::cli {

// The exit code for a failed database connection, from its SQLSTATE and the driver's words: a
// rejected login (class 28, or a driver that says the password or authentication failed), a
// server that cannot be reached (class 08, a time-out), the driver or the driver manager (class
// IM: no such data source or driver), or any other failure.
int ExitCodeForSqlState(const std::string& state, const std::string& message);

// The first SQLSTATE written as "[SQLSTATE xxxxx]" or "SQLState = xxxxx" in a text, or "".
std::string FirstSqlState(const std::string& text);

}  // namespace virelo::cli
