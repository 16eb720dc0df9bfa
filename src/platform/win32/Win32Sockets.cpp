#include "platform/win32/Win32Sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/Text.h"

namespace virelo::platform::win32 {
namespace {

// The look-ups hand back the library's own per-thread memory: everything is copied out at once.
HostEntry CopyEntry(const hostent& h) {
    HostEntry entry;
    entry.name = h.h_name != nullptr ? Utf8FromAnsi(h.h_name) : "";
    for (char** alias = h.h_aliases; alias != nullptr && *alias != nullptr; ++alias) {
        entry.aliases.push_back(Utf8FromAnsi(*alias));
    }
    const auto length = static_cast<std::size_t>(h.h_length > 0 ? h.h_length : 0);
    for (char** addr = h.h_addr_list; addr != nullptr && *addr != nullptr; ++addr) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(*addr);
        entry.addresses.emplace_back(bytes, bytes + length);
    }
    return entry;
}

ServiceEntry CopyEntry(const servent& s) {
    ServiceEntry entry;
    entry.name = s.s_name != nullptr ? Utf8FromAnsi(s.s_name) : "";
    for (char** alias = s.s_aliases; alias != nullptr && *alias != nullptr; ++alias) {
        entry.aliases.push_back(Utf8FromAnsi(*alias));
    }
    entry.portNetworkOrder = static_cast<std::uint16_t>(s.s_port);
    entry.protocol = s.s_proto != nullptr ? Utf8FromAnsi(s.s_proto) : "";
    return entry;
}

// Runs one of the look-ups that fill the library's per-thread entry, and copies the entry out on
// the same thread. WSAGetLastError is kept per thread too, so it is taken there as well.
template <typename Call>
std::pair<std::optional<HostEntry>, std::int32_t> LookUpHost(Call call) {
    const hostent* found = call();
    if (found == nullptr) {
        return {std::nullopt, ::WSAGetLastError()};
    }
    return {CopyEntry(*found), 0};
}

}  // namespace

void Win32Sockets::noteFailure() {
    lastError_ = ::WSAGetLastError();
}

std::int32_t Win32Sockets::startup(std::uint16_t version) {
    WSADATA data{};
    return ::WSAStartup(version, &data);
}

std::int32_t Win32Sockets::cleanup() {
    const int rc = ::WSACleanup();
    if (rc != 0) {
        noteFailure();
    }
    return rc;
}

std::int32_t Win32Sockets::hostName(std::string& name) {
    name.clear();
    wchar_t buffer[256] = {};
    if (::GetHostNameW(buffer, 256) != 0) {
        noteFailure();
        return -1;
    }
    name = Utf8(buffer);
    return 0;
}

std::optional<HostEntry> Win32Sockets::hostByName(const std::string& name) {
    return lookups_.run(
        [asked = Ansi(name)] { return LookUpHost([&] { return ::gethostbyname(asked.c_str()); }); },
        lastError_);
}

std::optional<HostEntry> Win32Sockets::hostByAddr(std::uint32_t addressNetworkOrder) {
    return lookups_.run(
        [addressNetworkOrder] {
            return LookUpHost([&] {
                return ::gethostbyaddr(reinterpret_cast<const char*>(&addressNetworkOrder), 4,
                                       AF_INET);
            });
        },
        lastError_);
}

std::uint32_t Win32Sockets::inetAddr(const std::string& text) {
    return ::inet_addr(text.c_str());
}

std::optional<ServiceEntry> Win32Sockets::serviceByName(const std::string& name,
                                                        const std::string& protocol) {
    const std::string proto = Ansi(protocol);
    const servent* found =
        ::getservbyname(Ansi(name).c_str(), proto.empty() ? nullptr : proto.c_str());
    if (found == nullptr) {
        noteFailure();
        return std::nullopt;
    }
    return CopyEntry(*found);
}

std::optional<ServiceEntry> Win32Sockets::serviceByPort(std::uint16_t portNetworkOrder,
                                                        const std::string& protocol) {
    const std::string proto = Ansi(protocol);
    const servent* found =
        ::getservbyport(portNetworkOrder, proto.empty() ? nullptr : proto.c_str());
    if (found == nullptr) {
        noteFailure();
        return std::nullopt;
    }
    return CopyEntry(*found);
}

}  // namespace virelo::platform::win32
