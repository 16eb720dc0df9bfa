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

// The registry's limits on names, in characters (UTF-16 code units): a longer name cannot exist
// in a Windows registry, and would hide its neighbours from a reader whose buffer it overflows.
inline constexpr std::size_t kMaxKeyName = 255;
inline constexpr std::size_t kMaxValueName = 16383;
// A Windows registry tree is at most 512 levels deep. Deeper keys from a hostile export would
// also cost the tree one stack frame per level wherever it is walked, copied or freed.
inline constexpr std::size_t kMaxKeyDepth = 512;

// Parses a registry export file as the Windows registry editor writes it ("Windows Registry
// Editor Version 5.00" or "REGEDIT4", see DecodeRegText for the encodings). A line that cannot be
// used is skipped with a warning and the rest of the file still counts; a file without the header
// line gives one warning and no edits. Only the HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER roots
// are kept. The hex(1), hex(2) and hex(7) data are text: UTF-16 in a version 5.00 file, in the
// file's code page in a REGEDIT4 file; both are converted to UTF-8 as the quoted texts are. Key
// and value names longer than the registry allows, and keys nested deeper, are skipped with a
// warning.
RegFile ParseRegFile(std::string_view bytes);

// Makes the file's changes to the tree, in order.
void ApplyRegFile(const RegFile& file, RegistryTree& tree);

}  // namespace virelo::platform
