#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace virelo::platform {

// The outcome of one echo request, with the status numbers of the Windows ICMP library (IP_*).
struct EchoResult {
    std::int32_t status = 0;
    std::uint32_t address = 0;  // the replying address, network byte order
    std::uint32_t roundTripMs = 0;
    std::string data;  // the echoed bytes
    std::uint8_t ttl = 0;
    std::uint8_t tos = 0;
};

// IP_* status numbers used on every system.
namespace ip {
inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kDestNetUnreachable = 11002;
inline constexpr std::int32_t kDestHostUnreachable = 11003;
inline constexpr std::int32_t kDestProtUnreachable = 11004;
inline constexpr std::int32_t kDestPortUnreachable = 11005;
inline constexpr std::int32_t kPacketTooBig = 11009;
inline constexpr std::int32_t kReqTimedOut = 11010;
inline constexpr std::int32_t kBadRoute = 11012;
inline constexpr std::int32_t kTtlExpiredTransit = 11013;
inline constexpr std::int32_t kTtlExpiredReassem = 11014;
inline constexpr std::int32_t kParamProblem = 11015;
inline constexpr std::int32_t kSourceQuench = 11016;
inline constexpr std::int32_t kGeneralFailure = 11050;
}  // namespace ip

// The ICMP echo service: open a handle, send one request, wait, close.
class Icmp {
public:
    virtual ~Icmp() = default;
    // Sends one echo request carrying `data` to an IPv4 address (network byte order) and waits at
    // most timeoutMs for its answer. Returns false, with the reason in `openFailure`, when no echo
    // handle could be opened; otherwise true with the outcome in `result`.
    virtual bool sendEcho(std::uint32_t address, std::string_view data, std::uint32_t timeoutMs,
                          EchoResult& result, std::string& openFailure) = 0;
    // The same for an IPv6 address (16 bytes, network byte order), with an ICMPv6 echo request;
    // its error messages map to the IP_* numbers of their IPv4 counterparts. `result.address`
    // stays 0. A system without ICMPv6 echo says so through `openFailure`.
    virtual bool sendEcho6(const std::array<std::uint8_t, 16>& /*address*/,
                           std::string_view /*data*/, std::uint32_t /*timeoutMs*/,
                           EchoResult& /*result*/, std::string& openFailure) {
        openFailure = "ICMPv6 echo requests are not available on this system";
        return false;
    }
};

}  // namespace virelo::platform
