#pragma once

#include <string>
#include <vector>

#include "platform/SystemOptions.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixIcmp.h"
#include "platform/posix/PosixNetwork.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/posix/PosixSockets.h"
#include "platform/posix/PosixTerminal.h"
#include "platform/posix/registry/PosixRegistry.h"

namespace virelo::platform {

// The workstation's own services, as the program uses them outside tests.
struct SystemServices {
    explicit SystemServices(const SystemOptions& options = {})
        : sockets(options.lookupLimit),
          registry({}, options.quietRegistry ? posix::RegistryWarn([](const std::string&) {})
                                             : posix::PosixRegistry::WarnOnStandardError) {}

    // Where the registry view reads the server directory and the data sources from.
    RegistryOrigins* registryOrigins() { return &registry; }

    posix::PosixSockets sockets;
    posix::PosixIcmp icmp;
    posix::PosixFiles files;
    posix::PosixClock clock;
    posix::PosixProcesses processes;
    posix::PosixNetwork network;
    // The registry view over export files, the text server directory and unixODBC.
    posix::PosixRegistry registry;
};

using SystemTerminal = posix::PosixTerminal;

// The program's arguments, the program name left out. They come in the system's own encoding,
// UTF-8 here, so nothing needs converting.
inline std::vector<std::string> StartProgram(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace virelo::platform
