#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace virelo::platform {

// A registry key handle as a 32-bit value, as the registry hands them out. The two root keys are
// predefined handles that are always open.
using HKey = std::uint32_t;

namespace reg {
inline constexpr HKey kCurrentUser = 0x80000001;   // HKEY_CURRENT_USER
inline constexpr HKey kLocalMachine = 0x80000002;  // HKEY_LOCAL_MACHINE

// Result codes of the registry calls.
inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kFileNotFound = 2;
inline constexpr std::int32_t kInvalidHandle = 6;
inline constexpr std::int32_t kMoreData = 234;
inline constexpr std::int32_t kNoMoreItems = 259;

// Value types.
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiSz = 7;
inline constexpr std::uint32_t kQword = 11;
}  // namespace reg

// What a warning about a registry view's sources concerns, so that it can be shown where a user
// misses what it explains.
enum class RegistryTopic {
    ServerDirectory,  // the SQLHOSTS server entries
    DataSources,      // the ODBC data-source lists
};

struct RegistryWarning {
    RegistryTopic topic = RegistryTopic::ServerDirectory;
    std::string text;  // names the file (and line) concerned
};

// The registry, read only, with the semantics of the Windows registry calls: key paths and value
// names are matched without regard to letter case; subkeys enumerate in case-insensitive
// alphabetical order, values in the order they were defined. Data are raw bytes (a string value
// carries its terminating NUL, as the registry stores it). Text is exchanged in the system's code
// page (UTF-8 here).
class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKey: opens the key at `path` (backslash-separated) below an open key or a root. On
    // success `key` is the new handle; on failure it is left at 0. An empty path opens the key
    // itself again.
    virtual std::int32_t openKey(HKey parent, const std::string& path, HKey& key) = 0;
    // RegCloseKey. Closing a root key succeeds and changes nothing.
    virtual std::int32_t closeKey(HKey key) = 0;
    // RegQueryValueEx: `size` gives the caller's buffer size in bytes and returns the bytes stored
    // (or needed, with kMoreData, when the data do not fit; nothing is read then). An empty name
    // is the key's default value.
    virtual std::int32_t queryValue(HKey key, const std::string& name, std::uint32_t& type,
                                    std::string& data, std::uint32_t& size) = 0;
    // RegEnumValue: the value at `index`. `nameSize` gives the name buffer's size in characters
    // (the name and its NUL must fit) and returns the name's length; `dataSize` works as `size`
    // above. kNoMoreItems past the last value.
    virtual std::int32_t enumValue(HKey key, std::uint32_t index, std::string& name,
                                   std::uint32_t& nameSize, std::uint32_t& type, std::string& data,
                                   std::uint32_t& dataSize) = 0;
    // RegEnumKey: the name of the subkey at `index`; the name and its NUL must fit in `nameSize`
    // characters, else kMoreData. kNoMoreItems past the last subkey.
    virtual std::int32_t enumKey(HKey key, std::uint32_t index, std::string& name,
                                 std::uint32_t nameSize) = 0;

    // The warnings raised since the last call, oldest first: a view built from files names a
    // file it cannot read or a line it skips. The registry itself raises none.
    virtual std::vector<RegistryWarning> takeWarnings() { return {}; }
};

}  // namespace virelo::platform
