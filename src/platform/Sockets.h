#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace virelo::platform {

// A host entry copied out of the resolver's own memory: the official name, the aliases and the
// raw addresses (h_length bytes each), in the order the resolver gave them.
struct HostEntry {
    std::string name;
    std::vector<std::string> aliases;
    std::vector<std::vector<std::uint8_t>> addresses;
};

// A services-database entry copied out of the C library's memory.
struct ServiceEntry {
    std::string name;
    std::vector<std::string> aliases;
    std::uint16_t portNetworkOrder = 0;
    std::string protocol;
};

// How long a host look-up waits for the name service unless told otherwise; after that it fails
// with 11002 (the name service could not answer), as Windows Sockets reports a silent name server.
inline constexpr std::chrono::milliseconds kDefaultLookupLimit{5000};

// The sockets library as the TCP/IP diagnostics use it. Error numbers are those of Windows Sockets
// (11001 host not found, 10093 no session, ...) on every system, so log lines read the same.
class Sockets {
public:
    virtual ~Sockets() = default;

    // Opens a sockets session (WSAStartup); returns 0 or the Windows Sockets error number.
    virtual std::int32_t startup(std::uint16_t version) = 0;
    // Closes one session (WSACleanup); returns 0 or -1.
    virtual std::int32_t cleanup() = 0;
    // gethostname into a 256-byte buffer: 0 with the text up to the first NUL, or -1.
    virtual std::int32_t hostName(std::string& name) = 0;
    // gethostbyname; no value on failure, with lastError() telling why. An empty name is the
    // local host, as Windows Sockets has it.
    virtual std::optional<HostEntry> hostByName(const std::string& name) = 0;
    // gethostbyaddr for an IPv4 address in network byte order (family AF_INET, length 4).
    virtual std::optional<HostEntry> hostByAddr(std::uint32_t addressNetworkOrder) = 0;
    // inet_addr: dotted text to an address in network byte order, 0xFFFFFFFF when malformed.
    virtual std::uint32_t inetAddr(const std::string& text) = 0;
    // getservbyname; protocol names are matched without regard to case, as Windows does.
    virtual std::optional<ServiceEntry> serviceByName(const std::string& name,
                                                      const std::string& protocol) = 0;
    // getservbyport, for a port in network byte order.
    virtual std::optional<ServiceEntry> serviceByPort(std::uint16_t portNetworkOrder,
                                                      const std::string& protocol) = 0;
    // WSAGetLastError: the error number of the last failed call.
    virtual std::int32_t lastError() const = 0;
};

// Windows Sockets error numbers used on every platform.
namespace wsa {
inline constexpr std::int32_t kNotInitialised = 10093;
inline constexpr std::int32_t kFault = 10014;
inline constexpr std::int32_t kHostNotFound = 11001;
inline constexpr std::int32_t kTryAgain = 11002;
inline constexpr std::int32_t kNoRecovery = 11003;
inline constexpr std::int32_t kNoData = 11004;  // also: no such service
}  // namespace wsa

}  // namespace virelo::platform
