#pragma once

#include "platform/Network.h"

namespace virelo::platform::win32 {

// The resolver through an asynchronous GetAddrInfoExW (Windows 8 and later) that is waited for
// at most the time allowed and then cancelled, the services database through getservbyname, and
// a non-blocking connect bounded by select. The object holds a Windows Sockets session of its own
// for its lifetime, so it works whether or not the caller has opened one.
class Win32Network : public Network {
public:
    Win32Network();
    ~Win32Network() override;
    Win32Network(const Win32Network&) = delete;
    Win32Network& operator=(const Win32Network&) = delete;

    ResolveResult resolveHost(const std::string& host, std::chrono::milliseconds timeout) override;
    std::optional<std::uint16_t> tcpServicePort(const std::string& name) override;
    std::string machineName() override;
    ConnectResult connectTcp(const Endpoint& endpoint, std::uint16_t port,
                             std::chrono::milliseconds timeout) override;

private:
    bool session_ = false;
};

}  // namespace virelo::platform::win32
