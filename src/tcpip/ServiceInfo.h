#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace virelo::tcpip {

// The result of a service look-up. After a success Aliases holds the aliases and one empty text;
// after a failure every text is empty, AliasCount is 0 and Aliases is absent.
struct ServiceInfo {
    std::string ServiceName;
    std::int16_t AliasCount = 0;
    std::optional<std::vector<std::string>> Aliases;
    std::string Port;
    std::string Protocol;
};

// A port field in network byte order as decimal text, 0 to 65535.
std::string PortToText(std::uint16_t portNetworkOrder);
// A 16-bit signed value read as unsigned: negative values have 65536 added.
std::int32_t UnsignedPort(std::int16_t value);

// Reads a port text as a decimal number: optional sign, digits, optional fraction and exponent,
// blanks around it allowed. Nothing when the text is no number.
std::optional<double> ParsePortNumber(const std::string& text);

}  // namespace virelo::tcpip
