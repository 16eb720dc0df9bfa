#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace virelo::platform {

class RegistryTree;

// A value line of a registry export file: set the value, or delete it ("name"=-).
struct RegValueEdit {
    std::string name;  // empty for the default value ("@")
    std::uint32_t type = 0;
    std::string data;  // raw bytes; a string value carries its terminating NUL
    bool remove = false;
    int line = 0;
};

// A key line with the value lines below it: create the key and set its values, or delete the key
// with everything below it ([-key]).
struct RegKeyEdit {
    HKey root = 0;
    std::string path;  // below the root, backslash-separated
    bool remove = false;
    int line = 0;
    std::vector<RegValueEdit> values;
};

// A line that could not be used, and why. Line 0 stands for the file as a whole.
struct RegWarning {
    int line = 0;
    std::string message;
};

struct RegFile {
    std::vector<RegKeyEdit> keys;  // in file order
    std::vector<RegWarning> warnings;
};

// The most warnings kept for one file; a last warning counts the lines left unreported, so that a
// file of garbage gives a screenful, not a flood.
inline constexpr std::size_t kMaxRegWarnings = 20;

// Parses a registry export file as the Windows registry editor writes it ("Windows Registry
// Editor Version 5.00" or "REGEDIT4", see DecodeRegText for the encodings). A line that cannot be
// used is skipped with a warning and the rest of the file still counts; a file without the header
// line gives one warning and no edits. Only the HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER roots
// are kept. In a version 5.00 file the hex(1), hex(2) and hex(7) data are UTF-16 text and are
// converted to UTF-8, as the registry's ANSI calls convert them.
RegFile ParseRegFile(std::string_view bytes);

// Makes the file's changes to the tree, in order.
void ApplyRegFile(const RegFile& file, RegistryTree& tree);

}  // namespace virelo::platform
