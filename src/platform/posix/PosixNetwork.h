#pragma once

#include "platform/BoundedCall.h"
#include "platform/Network.h"

namespace virelo::platform::posix {

// The resolver through getaddrinfo, bounded by a time limit (see BoundedCall), the services
// database through getservbyname_r, and a non-blocking connect bounded by poll.
class PosixNetwork : public Network {
public:
    ResolveResult resolveHost(const std::string& host, std::chrono::milliseconds timeout) override;
    std::optional<std::uint16_t> tcpServicePort(const std::string& name) override;
    std::string machineName() override;
    ConnectResult connectTcp(const Endpoint& endpoint, std::uint16_t port,
                             std::chrono::milliseconds timeout) override;

private:
    BoundedCall<ResolveResult> lookups_;
};

}  // namespace virelo::platform::posix
