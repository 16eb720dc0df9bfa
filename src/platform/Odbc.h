#pragma once

// The ODBC driver manager's C API, the same calls on every system (unixODBC here, odbc32 on
// Windows), which the modules call directly. The Windows headers use the types of <windows.h>
// without including it themselves.
#include "platform/Os.h"

#if VIRELO_OS_WINDOWS
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
