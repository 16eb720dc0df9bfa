#include "platform/OdbcLibrary.h"

namespace virelo::platform {

// On Windows the program is linked with odbc32, the driver manager that every Windows has: when
// the program runs, it is there.
std::string OdbcDriverManagerFailure() {
    return {};
}

}  // namespace virelo::platform
