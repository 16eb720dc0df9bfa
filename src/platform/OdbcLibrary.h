#pragma once

#include <string>

namespace virelo::platform {

// Why the ODBC driver manager cannot be used: the library and the loader's own words, or nothing
// while it can be (loaded on first use, or linked with the program).
std::string OdbcDriverManagerFailure();

}  // namespace virelo::platform
