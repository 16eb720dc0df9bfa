#include <sys/prctl.h>
#include <sys/resource.h>

#include "platform/CoreDumps.h"

namespace virelo::platform {

void ForbidCoreDumps() {
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
}

}  // namespace virelo::platform
