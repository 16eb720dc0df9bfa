#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/registry/RegFile.h"

namespace virelo::platform {

// One server line of the text server directory.
struct SqlhostsEntry {
    std::string name, protocol, host, service, options;
    int line = 0;
};

struct SqlhostsFile {
    std::vector<SqlhostsEntry> entries;
    std::vector<RegWarning> warnings;
};

// Parses the text server directory: one server per line, the whitespace-separated fields name,
// protocol, host, service and optionally options (the rest of the line); "#" starts a comment
// that runs to the end of the line, and blank lines are ignored. The bytes are read as an export
// file's are (UTF-8, else Windows-1252, see DecodeRegText), so that every name listed is one a
// look-up can find. A line with fewer than four fields, or a name that cannot be a key name, is
// skipped with a warning; a server named a second time keeps its first line, as the directory
// is read from the top.
SqlhostsFile ParseSqlhostsFile(std::string_view bytes);

}  // namespace virelo::platform
