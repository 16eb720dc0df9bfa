#pragma once

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Icmp.h"
#include "platform/MessageBoxes.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Sockets.h"

namespace virelo::platform {

// The services of the workstation, as one bundle handed to the main window. Tests build one from
// fakes where a failure cannot be made to happen on this machine.
struct Platform {
    Sockets& sockets;
    Icmp& icmp;
    Files& files;
    Clock& clock;
    Processes& processes;
    MessageBoxes& boxes;
    Registry& registry;
};

}  // namespace virelo::platform
