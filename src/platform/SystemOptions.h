#pragma once

#include <chrono>

#include "platform/Sockets.h"

namespace virelo::platform {

// How a program's entry point wants the workstation's services set up.
struct SystemOptions {
    // How long a host look-up of the sockets library waits for the name service.
    std::chrono::milliseconds lookupLimit = kDefaultLookupLimit;
    // Whether a registry that is assembled from files keeps its warnings about them off standard
    // error (the caller takes them with takeWarnings instead).
    bool quietRegistry = false;
};

}  // namespace virelo::platform
