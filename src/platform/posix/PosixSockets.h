#pragma once

#include <chrono>
#include <utility>

#include "platform/HostLookUps.h"
#include "platform/Sockets.h"

namespace virelo::platform::posix {

// The sockets library over the C library's resolver. POSIX needs no session, but Windows Sockets
// does: this class counts sessions like WSAStartup/WSACleanup and refuses look-ups outside one
// with 10093, so a failed start-up shows the same way on every system.
//
// A host look-up waits at most `lookupLimit` for the name service (see BoundedCall); after that
// it fails with 11002 (the name service could not answer), as Windows Sockets reports a name
// server that does not answer.
class PosixSockets : public Sockets {
public:
    explicit PosixSockets(std::chrono::milliseconds lookupLimit = kDefaultLookupLimit)
        : lookups_(lookupLimit) {}

    std::int32_t startup(std::uint16_t version) override;
    std::int32_t cleanup() override;
    std::int32_t hostName(std::string& name) override;
    std::optional<HostEntry> hostByName(const std::string& name) override;
    std::optional<HostEntry> hostByAddr(std::uint32_t addressNetworkOrder) override;
    std::uint32_t inetAddr(const std::string& text) override;
    std::optional<ServiceEntry> serviceByName(const std::string& name,
                                              const std::string& protocol) override;
    std::optional<ServiceEntry> serviceByPort(std::uint16_t portNetworkOrder,
                                              const std::string& protocol) override;
    std::int32_t lastError() const override { return lastError_; }

private:
    bool inSession();
    using Found = HostLookUps::Found;

    HostLookUps lookups_;
    int sessions_ = 0;
    std::int32_t lastError_ = 0;
};

}  // namespace virelo::platform::posix
