#include <algorithm>
#include <cstring>

#include "tcpip/EchoReply.h"
#include "tcpip/TCPIP.h"

namespace virelo::tcpip {

std::string EchoReply::DataText() const {
    const auto* end = static_cast<const char*>(std::memchr(Data.data(), '\0', Data.size()));
    return std::string(Data.data(), end != nullptr ? end : Data.data() + Data.size());
}

namespace {

struct StatusText {
    std::int32_t code;
    const char* text;
};

// The status codes of the ICMP library with the words the report shows for them.
constexpr StatusText kStatusTexts[] = {
    {-1, "invalid ip format"},
    {0, "ip found"},
    {500, "ping timeout"},
    {11001, "ip error, too small?"},
    {11002, "ip unreachable"},
    {11003, "ip host unreachable"},
    {11004, "ip target unreachable"},
    {11005, "ip target port blocked"},
    {11006, "ip too few resources"},
    {11007, "ip wrong option"},
    {11008, "ip hardwareerror"},
    {11009, "ip datapacket too big"},
    {11010, "ip request timed out"},
    {11011, "ip unknown error"},
    {11012, "ip invalid route"},
    {11013, "ip packets died"},
    {11014, "ip packets died"},
    {11015, "ip error on pinging"},
    {11016, "ip error - check system"},
    {11017, "ip too big"},
    {11018, "ip target unreachable"},
    {11019, "ip address couldn\u00B4t be found"},
    {11020, "ip error"},
    {11021, "ip unknown host-error"},
    {11022, "ip can not be resolved"},
    {11023, "ip address unknown on host"},
    {11050, "ip common error"},
    {11255, "ip wrong"},
};

}  // namespace

std::string IcmpStatusText(std::int32_t status) {
    const char* text = "unknown host error";
    for (const auto& entry : kStatusTexts) {
        if (entry.code == status) {
            text = entry.text;
            break;
        }
    }
    return std::string("[ ") + text + " ] " + std::to_string(status);
}

std::string EchoReport(const std::string& address, std::int32_t status, const EchoReply& reply,
                       const std::string& timeOfDay) {
    const std::string statusText = IcmpStatusText(status);
    return statusText + "\r\n" + timeOfDay + " : " + "Ping IP " + address + " " + statusText +
           " RoundTrip Time " + std::to_string(reply.RoundTripTime) + " ms" + " Packet Size " +
           std::to_string(reply.PacketSize()) + " bytes " + reply.DataText();
}

std::int32_t TCPIP::PingAddress(const std::string& address, const std::string& data,
                                EchoReply& reply, const std::string& logPath) {
    const std::uint32_t target = sockets_.inetAddr(address);
    if (target == 0xFFFFFFFFu) {
        return -1;
    }
    platform::EchoResult result;
    std::string openFailure;
    const bool sent = icmp_.sendEcho(target, data, kEchoTimeoutMs, result, openFailure);
    return TakeReply(sent, address, result, openFailure, reply, logPath);
}

std::int32_t TCPIP::PingAddress6(const std::array<std::uint8_t, 16>& address,
                                 const std::string& text, const std::string& data, EchoReply& reply,
                                 const std::string& logPath) {
    platform::EchoResult result;
    std::string openFailure;
    const bool sent = icmp_.sendEcho6(address, data, kEchoTimeoutMs, result, openFailure);
    return TakeReply(sent, text, result, openFailure, reply, logPath);
}

std::int32_t TCPIP::TakeReply(bool sent, const std::string& address,
                              const platform::EchoResult& result, const std::string& openFailure,
                              EchoReply& reply, const std::string& logPath) {
    if (!sent) {
        // Without an echo handle nothing was sent: say why instead of reporting "ip found".
        reply.Status = static_cast<std::uint32_t>(platform::ip::kGeneralFailure);
        general_.WriteLog(logPath, "IcmpCreateFile",
                          "No echo request sent to " + address + ": " + openFailure);
        return platform::ip::kGeneralFailure;
    }
    reply.Status = static_cast<std::uint32_t>(result.status);
    if (result.address != 0) {
        reply.Address = result.address;
    }
    // Error replies carry the time the platform measured until they came, too.
    reply.RoundTripTime = result.roundTripMs;
    if (result.status == platform::ip::kSuccess) {
        const std::size_t size = std::min(result.data.size(), reply.Data.size());
        reply.DataSize = static_cast<std::uint16_t>(size);
        reply.Reserved = 0;
        reply.Data.fill('\0');
        std::memcpy(reply.Data.data(), result.data.data(), size);
        reply.Ttl = result.ttl;
        reply.Tos = result.tos;
    }
    return result.status;
}

}  // namespace virelo::tcpip
