#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace virelo::tcpip {

// The result of a host look-up. After a success each list holds its entries followed by one empty
// text (count + 1 entries); after a failure HostName is empty, the counts are 0 and both lists are
// absent, which is how callers tell the two apart.
struct HostInfo {
    std::string HostName;
    std::int16_t AliasCount = 0;
    std::optional<std::vector<std::string>> Aliases;
    std::int16_t AddrCount = 0;
    std::optional<std::vector<std::string>> Addresses;
};

}  // namespace virelo::tcpip
