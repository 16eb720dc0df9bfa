#include "platform/win32/Win32Network.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/win32/Text.h"

// Windows 8 and later cancel an asynchronous look-up; mingw-w64's headers lack the declaration.
extern "C" DECLSPEC_IMPORT int WSAAPI GetAddrInfoExCancel(LPHANDLE handle);

namespace virelo::platform::win32 {
namespace {

// The one place where the resolver's answers become resolve statuses.
ResolveStatus FromResolverError(int error) {
    switch (error) {
        case WSAHOST_NOT_FOUND:
        case WSANO_DATA:
            return ResolveStatus::NotFound;
        case WSATRY_AGAIN:
            return ResolveStatus::TryAgain;
        case WSAETIMEDOUT:  // the time limit handed to GetAddrInfoExW
            return ResolveStatus::TimedOut;
        default:
            return ResolveStatus::Failed;
    }
}

// The one place where connect's errors become connect statuses.
ConnectResult ConnectFailure(int error) {
    ConnectResult result;
    result.reason = SystemErrorText(static_cast<std::uint32_t>(error));
    switch (error) {
        case WSAECONNREFUSED:
        case WSAECONNRESET:
            result.status = ConnectStatus::Refused;
            break;
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH:
        case WSAEADDRNOTAVAIL:
            result.status = ConnectStatus::Unreachable;
            break;
        case WSAETIMEDOUT:
            result.status = ConnectStatus::TimedOut;
            break;
        default:
            result.status = ConnectStatus::Failed;
            break;
    }
    return result;
}

Endpoint ToEndpoint(int family, const sockaddr* address) {
    Endpoint endpoint;
    char text[INET6_ADDRSTRLEN] = {};
    if (family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        endpoint.ipv6 = true;
        endpoint.address.assign(in6.s6_addr, in6.s6_addr + 16);
        ::inet_ntop(AF_INET6, &in6, text, sizeof text);
    } else {
        const auto& in4 = reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&in4.s_addr);
        endpoint.address.assign(bytes, bytes + 4);
        ::inet_ntop(AF_INET, &in4, text, sizeof text);
    }
    endpoint.text = text;
    return endpoint;
}

// One asynchronous look-up, shared by the caller, who may stop waiting for it, and by its
// completion routine, which Windows calls once the look-up has ended, however late. Whoever lets
// go last frees the answer, so a look-up that outlives its caller leaves nothing behind.
struct Lookup {
    // What Windows is handed; the completion routine finds its look-up through it.
    struct Call {
        OVERLAPPED overlapped;
        Lookup* lookup;
    } call{{}, this};
    std::wstring name;
    ADDRINFOEXW hints{};
    ADDRINFOEXW* answer = nullptr;
    HANDLE cancel = nullptr;
    std::shared_ptr<Lookup> self;  // the completion routine's share while the look-up runs
    std::mutex mutex;
    std::condition_variable ended;
    std::optional<int> error;  // set when the look-up has ended

    ~Lookup() {
        if (answer != nullptr) {
            ::FreeAddrInfoExW(answer);
        }
    }
};

void CALLBACK LookupEnded(DWORD error, DWORD /*bytes*/, LPWSAOVERLAPPED overlapped) {
    Lookup& lookup = *reinterpret_cast<Lookup::Call*>(overlapped)->lookup;
    std::shared_ptr<Lookup> share;  // let go of after the lock, perhaps as the last owner
    const std::lock_guard lock(lookup.mutex);
    share = std::move(lookup.self);
    lookup.error = static_cast<int>(error);
    lookup.ended.notify_all();
}

ResolveResult Resolved(int error, const ADDRINFOEXW* answer) {
    ResolveResult result;
    if (error != 0) {
        result.status = FromResolverError(error);
        result.reason = SystemErrorText(static_cast<std::uint32_t>(error));
        return result;
    }
    // mingw-w64 declares `ai_next` with another spelling of the structure's tag.
    for (const ADDRINFOEXW* at = answer; at != nullptr;
         at = reinterpret_cast<const ADDRINFOEXW*>(at->ai_next)) {
        if (at->ai_family == AF_INET || at->ai_family == AF_INET6) {
            result.endpoints.push_back(ToEndpoint(at->ai_family, at->ai_addr));
        }
    }
    result.status = result.endpoints.empty() ? ResolveStatus::NotFound : ResolveStatus::Ok;
    return result;
}

class Socket {
public:
    explicit Socket(SOCKET s) : socket_(s) {}
    ~Socket() {
        if (socket_ != INVALID_SOCKET) {
            ::closesocket(socket_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const { return socket_; }

private:
    SOCKET socket_;
};

}  // namespace

Win32Network::Win32Network() {
    WSADATA data{};
    session_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

Win32Network::~Win32Network() {
    if (session_) {
        ::WSACleanup();
    }
}

ResolveResult Win32Network::resolveHost(const std::string& host,
                                        std::chrono::milliseconds timeout) {
    auto lookup = std::make_shared<Lookup>();
    lookup->self = lookup;
    lookup->name = Wide(host);
    lookup->hints.ai_family = AF_UNSPEC;
    lookup->hints.ai_socktype = SOCK_STREAM;
    const auto ms = std::max<std::int64_t>(0, timeout.count());
    timeval limit{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
    const int rc = ::GetAddrInfoExW(
        lookup->name.c_str(), nullptr, NS_ALL, nullptr, &lookup->hints, &lookup->answer, &limit,
        &lookup->call.overlapped,
        reinterpret_cast<LPLOOKUPSERVICE_COMPLETION_ROUTINE>(&LookupEnded), &lookup->cancel);
    if (rc != WSA_IO_PENDING) {
        lookup->self.reset();  // ended at once: the completion routine is not called
        return Resolved(rc, lookup->answer);
    }
    std::unique_lock lock(lookup->mutex);
    if (lookup->ended.wait_for(lock, timeout, [&] { return lookup->error.has_value(); })) {
        return Resolved(*lookup->error, lookup->answer);
    }
    lock.unlock();
    // Windows stops the look-up and calls the completion routine. Wine keeps the time limit and
    // the cancellation for later and calls it when its look-up ends of itself.
    ::GetAddrInfoExCancel(&lookup->cancel);
    ResolveResult late;
    late.status = ResolveStatus::TimedOut;
    late.reason = "no answer within " + std::to_string(timeout.count()) + " ms";
    return late;
}

std::optional<std::uint16_t> Win32Network::tcpServicePort(const std::string& name) {
    const servent* found = ::getservbyname(Ansi(name).c_str(), "tcp");
    if (found == nullptr) {
        return std::nullopt;
    }
    return ::ntohs(static_cast<std::uint16_t>(found->s_port));
}

std::string Win32Network::machineName() {
    wchar_t name[256] = {};
    if (::GetHostNameW(name, 256) != 0) {
        return "";
    }
    return Utf8(name);
}

ConnectResult Win32Network::connectTcp(const Endpoint& endpoint, std::uint16_t port,
                                       std::chrono::milliseconds timeout) {
    sockaddr_storage address{};
    int length = 0;
    if (endpoint.ipv6 && endpoint.address.size() == 16) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = ::htons(port);
        std::memcpy(in6->sin6_addr.s6_addr, endpoint.address.data(), 16);
        length = sizeof(sockaddr_in6);
    } else if (!endpoint.ipv6 && endpoint.address.size() == 4) {
        auto* in4 = reinterpret_cast<sockaddr_in*>(&address);
        in4->sin_family = AF_INET;
        in4->sin_port = ::htons(port);
        std::memcpy(&in4->sin_addr.s_addr, endpoint.address.data(), 4);
        length = sizeof(sockaddr_in);
    } else {
        return {ConnectStatus::Failed, "not an IPv4 or IPv6 address"};
    }

    Socket s(::WSASocketW(address.ss_family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                          WSA_FLAG_NO_HANDLE_INHERIT));
    if (s.get() == INVALID_SOCKET) {
        return ConnectFailure(::WSAGetLastError());
    }
    u_long nonBlocking = 1;
    if (::ioctlsocket(s.get(), FIONBIO, &nonBlocking) != 0) {
        return ConnectFailure(::WSAGetLastError());
    }
    if (::connect(s.get(), reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        return {ConnectStatus::Connected, ""};
    }
    if (::WSAGetLastError() != WSAEWOULDBLOCK) {
        return ConnectFailure(::WSAGetLastError());
    }
    // Windows reports a failed connect in the exception set, a made one in the write set.
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s.get(), &writable);
    FD_SET(s.get(), &failed);
    const auto ms = std::max<std::int64_t>(0, timeout.count());
    timeval wait{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
    const int ready = ::select(0, nullptr, &writable, &failed, &wait);
    if (ready == SOCKET_ERROR) {
        return ConnectFailure(::WSAGetLastError());
    }
    if (ready == 0) {
        return {ConnectStatus::TimedOut, "no answer in the time allowed"};
    }
    int error = 0;
    int size = sizeof error;
    if (::getsockopt(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0) {
        return ConnectFailure(::WSAGetLastError());
    }
    return error == 0 ? ConnectResult{ConnectStatus::Connected, ""} : ConnectFailure(error);
}

}  // namespace virelo::platform::win32
