#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace virelo::platform {

// One address of a host, IPv4 or IPv6, as the resolver gave it.
struct Endpoint {
    bool ipv6 = false;
    std::vector<std::uint8_t> address;  // 4 or 16 bytes, network byte order
    std::string text;                   // 127.0.0.1, ::1
};

enum class ResolveStatus {
    Ok,
    NotFound,  // the name service says the host does not exist
    TryAgain,  // the name service could not answer now
    TimedOut,  // the name service gave no answer within the time allowed
    Failed,    // any other failure
};

struct ResolveResult {
    ResolveStatus status = ResolveStatus::Failed;
    std::string reason;  // the resolver's own words, empty on success
    std::vector<Endpoint> endpoints;
};

enum class ConnectStatus {
    Connected,
    Refused,      // the host answered that nothing listens on the port
    Unreachable,  // no route to the host or its network
    TimedOut,     // no answer within the time allowed
    Failed,       // any other failure
};

struct ConnectResult {
    ConnectStatus status = ConnectStatus::Failed;
    std::string reason;  // the system's own words, empty on success
};

// TCP connections to a server's listener, independent of any sockets session.
class Network {
public:
    virtual ~Network() = default;
    // Every TCP address of a host (IPv4 and IPv6) through the system resolver, in its order,
    // waiting at most `timeout` for the name service (TimedOut after that).
    virtual ResolveResult resolveHost(const std::string& host,
                                      std::chrono::milliseconds timeout) = 0;
    // The port of a TCP service in the services database, or nothing when there is none.
    virtual std::optional<std::uint16_t> tcpServicePort(const std::string& name) = 0;
    // The name of this machine, as the network knows it.
    virtual std::string machineName() = 0;
    // Opens a TCP connection to one address and closes it again, waiting at most `timeout`.
    virtual ConnectResult connectTcp(const Endpoint& endpoint, std::uint16_t port,
                                     std::chrono::milliseconds timeout) = 0;
};

}  // namespace virelo::platform
