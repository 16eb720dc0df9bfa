#pragma once

#include <string>
#include <vector>

#include "platform/RegistryOrigins.h"
#include "platform/SystemOptions.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Icmp.h"
#include "platform/win32/Win32Network.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Sockets.h"
#include "platform/win32/Win32Terminal.h"

namespace virelo::platform {

// The workstation's own services, as the program uses them outside tests.
struct SystemServices {
    // The registry of Windows raises no warnings: `quietRegistry` has nothing to silence.
    explicit SystemServices(const SystemOptions& options = {}) : sockets(options.lookupLimit) {}

    // The registry itself is read from no files that could be named.
    RegistryOrigins* registryOrigins() { return nullptr; }

    win32::Win32Sockets sockets;
    win32::Win32Icmp icmp;
    win32::Win32Files files;
    win32::Win32Clock clock;
    win32::Win32Processes processes;
    win32::Win32Network network;
    // The registry itself.
    win32::Win32Registry registry;
};

using SystemTerminal = win32::Win32Terminal;

// Readies the process for a program that keeps its text in UTF-8 (its console output in UTF-8)
// and returns the program's arguments, the program name left out, in UTF-8: Windows hands a
// program its command line in UTF-16, and main()'s own arguments are in the ANSI code page.
std::vector<std::string> StartProgram(int argc, char** argv);

}  // namespace virelo::platform
