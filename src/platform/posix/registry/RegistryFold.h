#pragma once

#include <string>
#include <string_view>

namespace virelo::platform {

// Upper-case form of a key or value name, for comparisons without regard to letter case. The
// registry folds letter case beyond ASCII too, so the Latin, Greek, Cyrillic and Armenian letters
// fold as well; bytes that are not valid UTF-8 are kept as they are. Sorting folded names by
// their bytes sorts them by code point, which is the registry's order for subkey enumeration.
std::string RegistryFold(std::string_view name);
// The same, written into `folded` (replacing its content), for callers that reuse one buffer.
void RegistryFoldInto(std::string_view name, std::string& folded);

}  // namespace virelo::platform
