#include <windows.h>

#include "platform/CoreDumps.h"

namespace virelo::platform {

// Windows writes no core files; what comes closest is the crash report that Windows Error
// Reporting offers to make of a program that fails, memory included. The program tells Windows
// not to offer it (SEM_NOGPFAULTERRORBOX) and not to ask about missing drives. Whether Windows
// keeps crash dumps of its own accord (the LocalDumps policy) is the machine's setting: the
// program never writes the registry, so it leaves that as it is.
void ForbidCoreDumps() {
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
}

}  // namespace virelo::platform
