#pragma once

namespace virelo::platform {

// Keeps the passwords a program holds out of core files and out of other programs' reach: the
// process may no longer be dumped or attached to by a debugger of the same user, and its core
// file size limit (which its children inherit) is set to zero. Called first thing by both
// programs. Both steps only take rights away, so a failure leaves the program as it was and is
// not reported.
void ForbidCoreDumps();

}  // namespace virelo::platform
