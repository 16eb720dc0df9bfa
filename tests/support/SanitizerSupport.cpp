// Linked into every test program. Under LeakSanitizer, the leaks of the SQLite ODBC driver and of
// the ini reader it loads (libodbcinst, which keeps what it parsed) must not fail our tests, yet
// our own leaks must. Both libraries are unloaded after the last connection, which leaves their
// leaks without a module name to suppress them by; so they are loaded once here for good, and
// their leaks are suppressed by their libraries' names.
#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>

#include <initializer_list>

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libsqlite3odbc\nleak:libodbcinst\n";
}

namespace {
const bool kLibrariesStayLoaded = [] {
    bool loaded = true;
    for (const char* library :
         {"libodbcinst.so.2", "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so"}) {
        loaded = dlopen(library, RTLD_LAZY | RTLD_NODELETE) != nullptr && loaded;
    }
    return loaded;
}();
}  // namespace
#endif
