#pragma once

#include <string>

#include "platform/Registry.h"

namespace virelo::test {

// Every key and value of both roots, read back through the registry calls themselves (so the
// enumeration order is part of what is compared): one line per key with its full path, then one
// line per value with its name (@ for the default value), its type and its data; text types as
// quoted text with \0 for NUL and \xNN for other control bytes, every other type as hex bytes.
std::string DumpRegistry(platform::Registry& registry);

}  // namespace virelo::test
