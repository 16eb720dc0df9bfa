#pragma once

#include <string>

#include "general/General.h"
#include "platform/Icmp.h"
#include "platform/Sockets.h"
#include "tcpip/EchoReply.h"
#include "tcpip/HostInfo.h"
#include "tcpip/ServiceInfo.h"

namespace virelo::tcpip {

// The sockets calls of the TCP/IP tab. Every look-up writes one log line per step into the log
// file the caller names; the log is the user's account of what happened.
class TCPIP {
public:
    // The time an echo request waits for its answer.
    static constexpr std::uint32_t kEchoTimeoutMs = 500;

    TCPIP(platform::Sockets& sockets, platform::Icmp& icmp, general::General& general)
        : sockets_(sockets), icmp_(icmp), general_(general) {}

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

    // Sends one echo request with `data` to a dotted IPv4 address and fills the reply; returns its
    // status, or -1 without sending when the text is no address. When no echo handle can be
    // opened the status is 11050 and the reason goes into the log.
    std::int32_t PingAddress(const std::string& address, const std::string& data, EchoReply& reply,
                             const std::string& logPath);
    // The same for an IPv6 address (16 bytes; `text` is its written form), with an ICMPv6 echo
    // request.
    std::int32_t PingAddress6(const std::array<std::uint8_t, 16>& address, const std::string& text,
                              const std::string& data, EchoReply& reply,
                              const std::string& logPath);

    // Looks a service up by name; an empty protocol means any.
    ServiceInfo GetServiceByName(const std::string& name, const std::string& protocol,
                                 const std::string& logPath);
    // Looks a service up by a port text that is a number: it is rounded (halves to even); above
    // 65535 is refused; a negative number selects its low 16 bits (-1 is 65535).
    ServiceInfo GetServiceByPort(const std::string& port, const std::string& protocol,
                                 const std::string& logPath);

private:
    // Copies an echo's outcome into the reply record; without a handle, logs why nothing was sent.
    std::int32_t TakeReply(bool sent, const std::string& address,
                           const platform::EchoResult& result, const std::string& openFailure,
                           EchoReply& reply, const std::string& logPath);
    ServiceInfo DecodeService(const std::optional<platform::ServiceEntry>& entry,
                              const std::string& source, const std::string& logPath);
    HostInfo Decode(const platform::HostEntry& entry, const std::string& source,
                    const std::string& logPath);

    platform::Sockets& sockets_;
    platform::Icmp& icmp_;
    general::General& general_;
};

// Leading and trailing blanks removed.
std::string Trim(const std::string& text);
// Bytes as unsigned decimal numbers joined by ".", for example 10.0.0.1.
std::string DottedAddress(const std::vector<std::uint8_t>& bytes);

}  // namespace virelo::tcpip
