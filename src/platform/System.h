#pragma once

// The workstation's own services for the programs' entry points: SystemServices, SystemTerminal
// and StartProgram, from the implementation of the platform layer that CMake builds.
#include "platform/Os.h"

#if VIRELO_OS_WINDOWS
#include "platform/win32/SystemPlatform.h"
#else
#include "platform/posix/SystemPlatform.h"
#endif
