#pragma once

#include "platform/Sockets.h"

namespace virelo::platform::win32 {

// Windows Sockets itself: the session calls, the host and service look-ups and inet_addr of
// ws2_32. The look-ups exist only as narrow calls, so names cross in the ANSI code page; the
// error numbers are Windows Sockets' own.
class Win32Sockets : public Sockets {
public:
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

    std::int32_t lastError_ = 0;
};

}  // namespace virelo::platform::win32
