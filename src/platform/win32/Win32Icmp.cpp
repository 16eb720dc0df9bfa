#include "platform/win32/Win32Icmp.h"

// The order matters: <winsock2.h> before <windows.h>, which <iphlpapi.h> pulls in, and that
// before <icmpapi.h>, which uses its types.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <iphlpapi.h>

#include <icmpapi.h>

#include <cstring>
#include <vector>

#include "platform/win32/Text.h"

namespace virelo::platform::win32 {
namespace {

// IcmpSendEcho's status numbers lie from IP_STATUS_BASE (11000) up; anything else that the call
// leaves in GetLastError (a bad argument, no memory) is a general failure of the echo.
constexpr DWORD kStatusBase = 11000;
constexpr DWORD kStatusEnd = 12000;

// What the echo functions leave in GetLastError or in a reply, as a status: a number outside
// the IP_* range (a bad argument, no memory) is a general failure of the echo.
std::int32_t EchoStatus(DWORD status) {
    return status == IP_SUCCESS || (status >= kStatusBase && status < kStatusEnd)
               ? static_cast<std::int32_t>(status)
               : ip::kGeneralFailure;
}

// The reply of Icmp6SendEcho2 (ICMPV6_ECHO_REPLY), which mingw-w64's headers lack: the replying
// address in a packed structure of 26 bytes, the status, the round trip, then the echoed data.
#pragma pack(push, 1)
struct Echo6Address {
    USHORT port;
    ULONG flowInfo;
    USHORT address[8];
    ULONG scopeId;
};
#pragma pack(pop)
struct Echo6Reply {
    Echo6Address address;
    ULONG status;
    unsigned int roundTripTime;
};
static_assert(sizeof(Echo6Address) == 26 && sizeof(Echo6Reply) == 36);

class EchoHandle {
public:
    explicit EchoHandle(HANDLE handle) : handle_(handle) {}
    ~EchoHandle() {
        if (valid()) {
            ::IcmpCloseHandle(handle_);
        }
    }
    EchoHandle(const EchoHandle&) = delete;
    EchoHandle& operator=(const EchoHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

bool Win32Icmp::sendEcho(std::uint32_t address, std::string_view data, std::uint32_t timeoutMs,
                         EchoResult& result, std::string& openFailure) {
    EchoHandle echo(::IcmpCreateFile());
    if (!echo.valid()) {
        openFailure = "IcmpCreateFile: " + SystemErrorText(::GetLastError());
        return false;
    }
    // Room for one reply, the echoed data and an ICMP error message, as IcmpSendEcho asks.
    std::vector<unsigned char> reply(sizeof(ICMP_ECHO_REPLY) + data.size() + 8 + 16);
    std::string request(data);
    const DWORD replies =
        ::IcmpSendEcho(echo.get(), address, request.data(), static_cast<WORD>(request.size()),
                       nullptr, reply.data(), static_cast<DWORD>(reply.size()), timeoutMs);
    result = EchoResult{};
    if (replies == 0) {
        result.status = EchoStatus(::GetLastError());
        return true;
    }
    const auto* echoed = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data());
    result.status = static_cast<std::int32_t>(echoed->Status);
    result.address = echoed->Address;
    result.roundTripMs = echoed->RoundTripTime;
    result.ttl = echoed->Options.Ttl;
    result.tos = echoed->Options.Tos;
    if (echoed->Data != nullptr) {
        result.data.assign(static_cast<const char*>(echoed->Data), echoed->DataSize);
    }
    return true;
}

std::int32_t EchoStatus6(unsigned long windowsStatus) {
    switch (windowsStatus) {
        case IP_DEST_PROHIBITED:  // shares 11004 with IPv4's "protocol unreachable"
        case IP_DEST_SCOPE_MISMATCH:
        case IP_DEST_UNREACHABLE:
            return ip::kDestHostUnreachable;
        case IP_TIME_EXCEEDED:
            return ip::kTtlExpiredTransit;
        case IP_BAD_HEADER:
        case IP_UNRECOGNIZED_NEXT_HEADER:
            return ip::kParamProblem;
        case IP_ICMP_ERROR:
            return ip::kGeneralFailure;
        default:
            return EchoStatus(windowsStatus);
    }
}

bool Win32Icmp::sendEcho6(const std::array<std::uint8_t, 16>& address, std::string_view data,
                          std::uint32_t timeoutMs, EchoResult& result, std::string& openFailure) {
    EchoHandle echo(::Icmp6CreateFile());
    if (!echo.valid()) {
        openFailure = "Icmp6CreateFile: " + SystemErrorText(::GetLastError());
        return false;
    }
    sockaddr_in6 source{};  // the unspecified address: Windows picks the source by its routes
    source.sin6_family = AF_INET6;
    sockaddr_in6 target{};
    target.sin6_family = AF_INET6;
    std::memcpy(target.sin6_addr.s6_addr, address.data(), 16);
    std::vector<unsigned char> reply(sizeof(Echo6Reply) + data.size() + 8 + 16);
    std::string request(data);
    const DWORD replies =
        ::Icmp6SendEcho2(echo.get(), nullptr, nullptr, nullptr, &source, &target, request.data(),
                         static_cast<WORD>(request.size()), nullptr, reply.data(),
                         static_cast<DWORD>(reply.size()), timeoutMs);
    result = EchoResult{};
    if (replies == 0) {
        result.status = EchoStatus6(::GetLastError());
        return true;
    }
    Echo6Reply echoed{};
    std::memcpy(&echoed, reply.data(), sizeof echoed);
    result.status = EchoStatus6(echoed.status);
    result.roundTripMs = echoed.roundTripTime;
    if (result.status == ip::kSuccess) {
        result.data.assign(reinterpret_cast<const char*>(reply.data()) + sizeof echoed,
                           data.size());
    }
    return true;
}

}  // namespace virelo::platform::win32
