#pragma once

#include <string>
#include <vector>

namespace virelo::platform {

// Facts about the workstation that a support report starts with. Each is read when asked, and a
// fact that cannot be read is empty.

// One reading of the clock, in local time.
struct LocalTime {
    std::string iso8601;  // 2025-06-01T14:17:55+02:00
    std::string compact;  // 20250601-141755, for file names
};
LocalTime Now();

struct MachineFacts {
    std::string hostName;         // the name the machine gives itself
    std::string qualifiedName;    // its canonical name as the resolver gives it
    std::string operatingSystem;  // "Debian GNU/Linux 12 (bookworm)"
    std::string kernelRelease;    // "6.1.0-18-amd64"
};
MachineFacts ReadMachineFacts();

// The names of all environment variables, in the order the environment holds them.
std::vector<std::string> EnvironmentNames();

// The ODBC driver manager that the program calls: its name and the library file it loads
// (links resolved), empty while it is not loaded.
struct DriverManagerLibrary {
    std::string name;
    std::string path;
};
DriverManagerLibrary OdbcDriverManagerLibrary();

// Where the driver manager finds a driver's library as its ini file names it (a path, or a bare
// file name that it looks up in its own directories), links resolved; and the library's version
// where its file name states one (libsqlite3odbc-0.9998.so, libx.so.1.2). Empty when the library
// is not found.
struct DriverLibrary {
    std::string path;
    std::string version;
};
DriverLibrary FindDriverLibrary(const std::string& named);

}  // namespace virelo::platform
