#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace virelo::tcpip {

// The reply of one echo request, as the ICMP library fills it: the echo-reply record followed by a
// 250-byte data area that receives the echoed data. The caller owns it and reuses it for all
// addresses of one check; fields a request does not write keep their values.
struct EchoReply {
    std::uint32_t Address = 0;  // replying address, network byte order
    std::uint32_t Status = 0;
    std::uint32_t RoundTripTime = 0;  // milliseconds
    std::uint16_t DataSize = 0;
    std::uint16_t Reserved = 0;
    std::uint8_t Ttl = 0;
    std::uint8_t Tos = 0;
    std::uint8_t Flags = 0;
    std::uint8_t OptionsSize = 0;
    std::array<char, 250> Data{};

    // The 32-bit word at offset 12 of the record: DataSize, with Reserved as its upper half.
    std::uint32_t PacketSize() const {
        return DataSize | static_cast<std::uint32_t>(Reserved) << 16;
    }
    // The data area as text, up to its first NUL (all 250 characters when there is none).
    std::string DataText() const;
};

// "[ ", the status text, " ] " and the code: [ ip found ] 0, [ ip request timed out ] 11010.
std::string IcmpStatusText(std::int32_t status);

// The echo report shown after one echo request: the bracketed status and CR LF, then the time of
// day, " : Ping IP ", the address, the status, the round-trip time, the packet size and the echoed
// text, with no line end after it.
std::string EchoReport(const std::string& address, std::int32_t status, const EchoReply& reply,
                       const std::string& timeOfDay);

}  // namespace virelo::tcpip
