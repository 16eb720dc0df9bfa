#include "platform/win32/Win32Icmp.h"

// The order matters: <winsock2.h> before <windows.h>, which <iphlpapi.h> pulls in, and that
// before <icmpapi.h>, which uses its types.
#include <winsock2.h>

#include <iphlpapi.h>

#include <icmpapi.h>

#include <vector>

#include "platform/win32/Text.h"

namespace virelo::platform::win32 {
namespace {

// IcmpSendEcho's status numbers lie from IP_STATUS_BASE (11000) up; anything else that the call
// leaves in GetLastError (a bad argument, no memory) is a general failure of the echo.
constexpr DWORD kStatusBase = 11000;
constexpr DWORD kStatusEnd = 12000;

class EchoHandle {
public:
    EchoHandle() : handle_(::IcmpCreateFile()) {}
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
    EchoHandle echo;
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
        const DWORD error = ::GetLastError();
        result.status = error >= kStatusBase && error < kStatusEnd
                            ? static_cast<std::int32_t>(error)
                            : ip::kGeneralFailure;
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

}  // namespace virelo::platform::win32
