#pragma once

#include <chrono>
#include <functional>
#include <utility>

#include "platform/HostLookUps.h"
#include "platform/Sockets.h"

namespace virelo::platform::win32 {

// Windows Sockets itself: the session calls, the host and service look-ups and inet_addr of
// ws2_32. The look-ups exist only as narrow calls, so names cross in the ANSI code page; the
// error numbers are Windows Sockets' own.
//
// gethostbyname and gethostbyaddr have no form that can be given a time limit or be cancelled:
// each runs on a helper thread (see BoundedCall) and is waited for at most `lookupLimit`; after
// that the look-up fails with 11002 (WSATRY_AGAIN), as the POSIX sockets do.
class Win32Sockets : public Sockets {
public:
    explicit Win32Sockets(std::chrono::milliseconds lookupLimit = kDefaultLookupLimit)
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
    // Keeps WSAGetLastError of the call that just failed; later calls may change it.
    void noteFailure();
    using Found = HostLookUps::Found;

    HostLookUps lookups_;
    std::int32_t lastError_ = 0;
};

}  // namespace virelo::platform::win32
