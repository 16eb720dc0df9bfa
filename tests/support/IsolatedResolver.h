#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace virelo::test {

// Makes this test program resolve names only from the test hosts file, through nss_wrapper, with
// "test-ws" as the workstation's name: no look-up of a made-up name may reach a name server off
// this machine. The preload must be in place before the program starts, so the program starts
// itself again with it.
inline void RequireIsolatedResolver(char** argv) {
    if (std::getenv("NSS_WRAPPER_HOSTS") != nullptr) {
        return;
    }
    setenv("LD_PRELOAD", VIRELO_NSS_WRAPPER_LIBRARY, 1);
    setenv("NSS_WRAPPER_HOSTS", VIRELO_TEST_HOSTS_FILE, 1);
    setenv("NSS_WRAPPER_HOSTNAME", "test-ws", 1);
    // Sanitizer runtimes refuse libraries loaded with RTLD_DEEPBIND, and must not insist on
    // coming first in the library list.
    setenv("NSS_WRAPPER_DISABLE_DEEPBIND", "1", 1);
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS",
           (std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
    execv("/proc/self/exe", argv);
    std::perror("cannot restart the test with the isolated resolver");
    std::_Exit(1);
}

}  // namespace virelo::test
