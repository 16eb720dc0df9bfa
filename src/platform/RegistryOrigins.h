#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace virelo::platform {

// One file that a registry assembled from files is read from.
struct RegistrySource {
    std::string role;  // what it holds: "registry export", "server directory", ...
    std::string path;
    std::string state;  // "read", "not there", or why it cannot be read
    // What it gave, as last read: servers of the server directory and ODBC data sources; -1 for
    // what a file of its kind does not hold.
    int servers = -1;
    int dataSources = -1;
    std::vector<std::string> warnings = {};  // its lines that could not be used, and why
};

// Where a registry that is assembled from files takes its content from, so that a user can be
// told which file to mend. A real registry has no files to name.
class RegistryOrigins {
public:
    virtual ~RegistryOrigins() = default;
    // Every file the registry is read from, in the order it is applied.
    virtual std::vector<RegistrySource> sources() = 0;
    // "file:line" of the line that defined the key at `path` below `root`; "" when none did.
    virtual std::string origin(HKey root, const std::string& path) = 0;
};

}  // namespace virelo::platform
