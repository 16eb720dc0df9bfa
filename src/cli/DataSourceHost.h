#pragma once

#include <string>

#include "cli/Checker.h"

namespace virelo::cli {

// The server host that a driver will look up, as far as it can be told before the driver runs;
// "" when there is none, or when it is an address, which needs no name service.
//
// A connection string's Servername, Server, Host or HostName attribute, else that of the data
// source it names (DSN=).
std::string ConnectionStringHost(const std::string& text, const Services& services);
// The same attributes of a data source in the user's odbc.ini, else in the system's.
std::string DataSourceHost(const std::string& dataSource, const Services& services);
// The host of a JDBC URL written jdbc:subprotocol://host[:port]/...
std::string JdbcUrlHost(const std::string& url);

}  // namespace virelo::cli
