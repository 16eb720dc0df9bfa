#include <bit>
#include <charconv>
#include <cmath>

#include "tcpip/ServiceInfo.h"
#include "tcpip/TCPIP.h"

namespace virelo::tcpip {
namespace {

std::uint16_t SwapBytes(std::uint16_t value) {
    return static_cast<std::uint16_t>(value << 8 | value >> 8);
}

// htons / ntohs on the little-endian machines this program runs on, written out so the module
// needs no system header.
std::uint16_t NetworkOrder(std::uint16_t value) {
    return std::endian::native == std::endian::little ? SwapBytes(value) : value;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Decimal number syntax: [sign] (digits [. [digits]] | . digits) [(e|E) [sign] digits].
bool IsDecimalNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i, ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i, ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        std::size_t exponent = 0;
        while (i < text.size() && IsDigit(text[i])) {
            ++i, ++exponent;
        }
        if (exponent == 0) {
            return false;
        }
    }
    return i == text.size();
}

}  // namespace

std::int32_t UnsignedPort(std::int16_t value) {
    return value < 0 ? value + 65536 : value;
}

std::string PortToText(std::uint16_t portNetworkOrder) {
    const auto host = static_cast<std::int16_t>(NetworkOrder(portNetworkOrder));
    return std::to_string(UnsignedPort(host));
}

std::optional<double> ParsePortNumber(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const auto last = text.find_last_not_of(" \t");
    std::string_view number(text.data() + first, last - first + 1);
    if (!IsDecimalNumber(number)) {
        return std::nullopt;
    }
    const bool negative = number.front() == '-';
    if (number.front() == '+' || number.front() == '-') {
        number.remove_prefix(1);
    }
    double value = 0;
    // from_chars reads the same in every locale; out-of-range values come back as infinity.
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        value = HUGE_VAL;
    } else if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

ServiceInfo TCPIP::GetServiceByName(const std::string& name, const std::string& protocol,
                                    const std::string& logPath) {
    return DecodeService(sockets_.serviceByName(name, protocol), "getservbyname", logPath);
}

ServiceInfo TCPIP::GetServiceByPort(const std::string& port, const std::string& protocol,
                                    const std::string& logPath) {
    // std::nearbyint rounds halves to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(ParsePortNumber(port).value_or(HUGE_VAL));
    if (!std::isfinite(rounded) || rounded > 65535) {
        general_.WriteLog(logPath, "getservbyport", "Port # is to Large!");
        return {};
    }
    double low = std::fmod(rounded, 65536.0);
    if (low < 0) {
        low += 65536.0;
    }
    const auto port16 = static_cast<std::uint16_t>(low);
    return DecodeService(sockets_.serviceByPort(NetworkOrder(port16), protocol), "getservbyport",
                         logPath);
}

ServiceInfo TCPIP::DecodeService(const std::optional<platform::ServiceEntry>& entry,
                                 const std::string& source, const std::string& logPath) {
    if (!entry) {
        general_.WriteLog(logPath, source, std::to_string(sockets_.lastError()));
        general_.WriteLog(logPath, source, "No Services Found!");
        return {};
    }
    if (entry->name.empty()) {
        general_.WriteLog(logPath, source, "Service Name is blank!");
        return {};
    }
    general_.WriteLog(logPath, source, "Service Name retrieved Sucessfully!");
    ServiceInfo info;
    info.ServiceName = entry->name;
    info.Aliases.emplace();
    for (const auto& alias : entry->aliases) {
        info.Aliases->push_back(Trim(alias));
    }
    info.Aliases->emplace_back();
    info.AliasCount = static_cast<std::int16_t>(entry->aliases.size());
    general_.WriteLog(
        logPath, source,
        info.AliasCount == 0 ? "This Service has no Aliases" : "Service Aliases retrieved");
    info.Port = PortToText(entry->portNetworkOrder);
    info.Protocol = entry->protocol;
    return info;
}

}  // namespace virelo::tcpip
