#pragma once

#include "platform/Icmp.h"

namespace virelo::platform::posix {

// Which kinds of ICMP socket an echo request may use: the program tries the datagram socket
// first; tests pin one kind to check each path.
enum class EchoSockets { DatagramThenRaw, DatagramOnly, RawOnly };

// ICMP (and ICMPv6) echo over an ICMP datagram socket ("unprivileged ping"), falling back to a raw
// socket when the system does not allow the first (net.ipv4.ping_group_range) and the program may
// open the second (CAP_NET_RAW). Replies are matched to the request; strays and our own request,
// which a raw socket reads back on loopback, are passed over.
class PosixIcmp : public Icmp {
public:
    explicit PosixIcmp(EchoSockets kinds = EchoSockets::DatagramThenRaw) : kinds_(kinds) {}

    bool sendEcho(std::uint32_t address, std::string_view data, std::uint32_t timeoutMs,
                  EchoResult& result, std::string& openFailure) override;
    bool sendEcho6(const std::array<std::uint8_t, 16>& address, std::string_view data,
                   std::uint32_t timeoutMs, EchoResult& result, std::string& openFailure) override;

private:
    EchoSockets kinds_;
    std::uint16_t sequence_ = 0;
};

}  // namespace virelo::platform::posix
