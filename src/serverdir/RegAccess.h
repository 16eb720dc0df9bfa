#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace virelo::serverdir {

// The sentinel that stands in for every result that cannot be read.
inline constexpr const char* kNotFound = "Not Found";

// The key under HKEY_LOCAL_MACHINE that holds one subkey per database server.
inline constexpr const char* kSqlhostsKey = "SOFTWARE\\Nembrion\\SQLHOSTS";

// One value as EnumRegValue returns it: its registry type, its name and its data as text (or
// "Not Found", when the type and the name carry no meaning).
struct RegValueRecord {
    std::int32_t Type = 0;
    std::string Name;
    std::string Data;
};

// The SQLHOSTS server table: rows 0 to 5, columns 0 to U. Row 1 holds the server name, rows 2
// to 5 its HOST, SERVICE, PROTOCOL and OPTIONS values; row 0 is not used. With N servers the
// entries fill columns 0 to N-1, U is N (1 when N is 0), and the columns after the entries are
// empty, so the last column always is.
class ServerTable {
public:
    static constexpr int kName = 1, kHost = 2, kService = 3, kProtocol = 4, kOptions = 5;

    ServerTable() : columns_(2) {}
    int UpperBound() const { return static_cast<int>(columns_.size()) - 1; }
    const std::string& at(int row, int column) const {
        return columns_.at(static_cast<std::size_t>(column)).at(static_cast<std::size_t>(row));
    }
    std::string& at(int row, int column) {
        return columns_.at(static_cast<std::size_t>(column)).at(static_cast<std::size_t>(row));
    }
    // Grows the table to the columns 0 to upper, keeping every entry.
    void Grow(int upper) { columns_.resize(static_cast<std::size_t>(upper) + 1); }

private:
    std::vector<std::array<std::string, 6>> columns_;
};

// The program's only reader of the registry. Every failure is reported the same way: "Not Found"
// in place of the result. It never writes, and holds no key open between calls.
class RegAccess {
public:
    static constexpr std::uint32_t kBufferSize = 2048;

    explicit RegAccess(platform::Registry& registry) : registry_(registry) {}

    // The handle of the opened key, 0 when it cannot be opened.
    platform::HKey OpenRegKey(platform::HKey root, const std::string& path);
    std::int32_t CloseRegKey(platform::HKey key);
    // The name of the subkey at `index`, or "Not Found".
    std::string EnumRegKey(platform::HKey key, std::int32_t index);
    // A value's data as text: a DWORD in decimal with at least three digits, binary data as
    // upper-case hexadecimal, any other type without its last character (the NUL of a string).
    std::string GetRegValue(platform::HKey root, const std::string& path, const std::string& name);
    // The value at `index`: DWORD data in decimal as above, any other data without its last
    // character; "Not Found" as the data past the last value or when the key cannot be read.
    RegValueRecord EnumRegValue(platform::HKey root, const std::string& path, std::int32_t index);
    // The table of server entries under SQLHOSTS, in enumeration order; read anew on every call.
    ServerTable GetSqlhostsServers();

private:
    platform::Registry& registry_;
};

// A DWORD's first four bytes, little-endian, in decimal with leading zeros up to three digits.
// The bytes are those of the 2048-space data buffer after the read: bytes the stored data did not
// reach are spaces.
std::string DwordText(const std::string& data);

}  // namespace virelo::serverdir
