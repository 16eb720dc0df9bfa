#pragma once

#include "platform/Network.h"

namespace virelo::platform::posix {

// The resolver through getaddrinfo, the services database through getservbyname_r, and a
// non-blocking connect bounded by poll.
class PosixNetwork : public Network {
public:
    ResolveResult resolveHost(const std::string& host) override;
    std::optional<std::uint16_t> tcpServicePort(const std::string& name) override;
    std::string machineName() override;
    ConnectResult connectTcp(const Endpoint& endpoint, std::uint16_t port,
                             std::chrono::milliseconds timeout) override;
};

}  // namespace virelo::platform::posix
