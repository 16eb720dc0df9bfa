#pragma once

#include <string>

namespace virelo::cli {

// True when a driver's words say that a host name could not be resolved (see the table of
// drivers' words in Classify.cpp).
bool MentionsNameFailure(const std::string& message);

// The exit code for a failed database connection, from its SQLSTATE and the driver's own words
// (never our report lines around them): the driver or the driver manager (class IM, a driver
// library that cannot be loaded, a name the driver manager refuses), a host name the driver
// could not resolve (its words, whatever its SQLSTATE), a session the server
// refused (class 28 or 3D, or a driver that says the login, the password or authentication
// failed, or quotes the server's FATAL answer), a server that cannot be reached (class 08, a
// time-out), or any other failure.
int ExitCodeForSqlState(const std::string& state, const std::string& message);

// The first SQLSTATE written as "[SQLSTATE xxxxx]", "SQLState = xxxxx" or "SQLSTATE xxxxx" in a
// text, or "".
std::string FirstSqlState(const std::string& text);

}  // namespace virelo::cli
