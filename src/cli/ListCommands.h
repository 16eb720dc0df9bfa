#pragma once

#include <ostream>

#include "cli/Arguments.h"
#include "platform/Network.h"
#include "platform/Registry.h"
#include "platform/RegistryOrigins.h"

namespace virelo::cli {

// virelo-check list: the server directory, the data sources, the drivers, or the files these
// are read from (`origins`, nullptr where the system has no files to name), as a table with a
// header line or, with --json, as one JSON document. Returns the exit code.
int PrintList(std::ostream& out, const Request& request, platform::Registry& registry,
              platform::RegistryOrigins* origins, platform::Network& network);

}  // namespace virelo::cli
