#pragma once

#include <string>

#include "general/General.h"
#include "platform/Sockets.h"
#include "tcpip/HostInfo.h"

namespace virelo::tcpip {

// The sockets calls of the TCP/IP tab. Every look-up writes one log line per step into the log
// file the caller names; the log is the user's account of what happened.
class TCPIP {
public:
    TCPIP(platform::Sockets& sockets, general::General& general)
        : sockets_(sockets), general_(general) {}

    // Opens a sockets session (version 1.1); true on success. Reports nothing itself.
    bool InitSockets();
    // Closes one sockets session.
    void CleanupSockets();
    // The local host name, trimmed; empty (and logged) when it cannot be read.
    std::string GetLocalHostName(const std::string& logPath);
    // Resolves a host name (trimmed first).
    HostInfo GetHostByNameInfo(const std::string& hostName, const std::string& logPath);
    // Resolves a dotted IPv4 address; a malformed text is looked up as 255.255.255.255.
    HostInfo GetHostByAddrInfo(const std::string& address, const std::string& logPath);

private:
    HostInfo Decode(const platform::HostEntry& entry, const std::string& source,
                    const std::string& logPath);

    platform::Sockets& sockets_;
    general::General& general_;
};

// Leading and trailing blanks removed.
std::string Trim(const std::string& text);
// Bytes as unsigned decimal numbers joined by ".", for example 10.0.0.1.
std::string DottedAddress(const std::vector<std::uint8_t>& bytes);

}  // namespace virelo::tcpip
