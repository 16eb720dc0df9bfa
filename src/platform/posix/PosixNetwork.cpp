#include "platform/posix/PosixNetwork.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/posix/FileDescriptor.h"

namespace virelo::platform::posix {
namespace {

// The one place where getaddrinfo's answers become resolve statuses.
ResolveStatus FromGaiError(int rc) {
    switch (rc) {
        case EAI_NONAME:
        case EAI_NODATA:
        case EAI_ADDRFAMILY:
            return ResolveStatus::NotFound;
        case EAI_AGAIN:
            return ResolveStatus::TryAgain;
        default:
            return ResolveStatus::Failed;
    }
}

// The resolver's words for a failure, led by the name the C library gives it, so a user can
// look it up: "EAI_NONAME: Name or service not known".
std::string GaiReason(int rc, int savedErrno) {
    static constexpr std::pair<int, const char*> kNames[] = {
        {EAI_NONAME, "EAI_NONAME"},
        {EAI_NODATA, "EAI_NODATA"},
        {EAI_ADDRFAMILY, "EAI_ADDRFAMILY"},
        {EAI_AGAIN, "EAI_AGAIN"},
        {EAI_FAIL, "EAI_FAIL"},
        {EAI_MEMORY, "EAI_MEMORY"},
        {EAI_SYSTEM, "EAI_SYSTEM"},
        {EAI_FAMILY, "EAI_FAMILY"},
        {EAI_SERVICE, "EAI_SERVICE"},
        {EAI_BADFLAGS, "EAI_BADFLAGS"},
    };
    std::string name = "error " + std::to_string(rc);
    for (const auto& [code, text] : kNames) {
        if (code == rc) {
            name = text;
        }
    }
    return name + ": " + (rc == EAI_SYSTEM ? std::strerror(savedErrno) : ::gai_strerror(rc));
}

// The one place where connect's errors become connect statuses.
ConnectResult ConnectFailure(int err) {
    ConnectResult result;
    result.reason = std::strerror(err);
    switch (err) {
        case ECONNREFUSED:
        case ECONNRESET:
            result.status = ConnectStatus::Refused;
            break;
        case ENETUNREACH:
        case EHOSTUNREACH:
        case EADDRNOTAVAIL:
            result.status = ConnectStatus::Unreachable;
            break;
        case ETIMEDOUT:
            result.status = ConnectStatus::TimedOut;
            break;
        default:
            result.status = ConnectStatus::Failed;
            break;
    }
    return result;
}

Endpoint ToEndpoint(const addrinfo& info) {
    Endpoint endpoint;
    char text[INET6_ADDRSTRLEN] = {};
    if (info.ai_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6*>(info.ai_addr)->sin6_addr;
        endpoint.ipv6 = true;
        endpoint.address.assign(in6.s6_addr, in6.s6_addr + 16);
        ::inet_ntop(AF_INET6, &in6, text, sizeof text);
    } else {
        const auto& in4 = reinterpret_cast<const sockaddr_in*>(info.ai_addr)->sin_addr;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&in4.s_addr);
        endpoint.address.assign(bytes, bytes + 4);
        ::inet_ntop(AF_INET, &in4, text, sizeof text);
    }
    endpoint.text = text;
    return endpoint;
}

}  // namespace

namespace {

ResolveResult ResolveNow(const std::string& host) {
    ResolveResult result;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &list);
    if (rc != 0) {
        result.status = FromGaiError(rc);
        result.reason = GaiReason(rc, errno);
        return result;
    }
    for (const addrinfo* at = list; at != nullptr; at = at->ai_next) {
        if (at->ai_family == AF_INET || at->ai_family == AF_INET6) {
            result.endpoints.push_back(ToEndpoint(*at));
        }
    }
    ::freeaddrinfo(list);
    result.status = result.endpoints.empty() ? ResolveStatus::NotFound : ResolveStatus::Ok;
    return result;
}

}  // namespace

ResolveResult PosixNetwork::resolveHost(const std::string& host,
                                        std::chrono::milliseconds timeout) {
    if (auto result = lookups_.run([host] { return ResolveNow(host); }, timeout)) {
        return std::move(*result);
    }
    ResolveResult late;
    late.status = ResolveStatus::TimedOut;
    late.reason = "no answer within " + std::to_string(timeout.count()) + " ms";
    return late;
}

std::optional<std::uint16_t> PosixNetwork::tcpServicePort(const std::string& name) {
    servent storage{};
    servent* found = nullptr;
    std::vector<char> buffer(4096);
    while (::getservbyname_r(name.c_str(), "tcp", &storage, buffer.data(), buffer.size(), &found) ==
               ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr) {
        return std::nullopt;
    }
    return ntohs(static_cast<std::uint16_t>(found->s_port));
}

std::string PosixNetwork::machineName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return "";
    }
    return name;
}

ConnectResult PosixNetwork::connectTcp(const Endpoint& endpoint, std::uint16_t port,
                                       std::chrono::milliseconds timeout) {
    sockaddr_storage address{};
    socklen_t length = 0;
    if (endpoint.ipv6 && endpoint.address.size() == 16) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        std::memcpy(in6->sin6_addr.s6_addr, endpoint.address.data(), 16);
        length = sizeof(sockaddr_in6);
    } else if (!endpoint.ipv6 && endpoint.address.size() == 4) {
        auto* in4 = reinterpret_cast<sockaddr_in*>(&address);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(port);
        std::memcpy(&in4->sin_addr.s_addr, endpoint.address.data(), 4);
        length = sizeof(sockaddr_in);
    } else {
        return {ConnectStatus::Failed, "not an IPv4 or IPv6 address"};
    }

    FileDescriptor fd(::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.get() < 0) {
        return ConnectFailure(errno);
    }
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        return {ConnectStatus::Connected, ""};
    }
    if (errno != EINPROGRESS) {
        return ConnectFailure(errno);
    }
    pollfd waiting{fd.get(), POLLOUT, 0};
    int ready = 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        ready = ::poll(&waiting, 1, static_cast<int>(std::max<std::int64_t>(0, left.count())));
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) {
        return ConnectFailure(errno);
    }
    if (ready == 0) {
        return {ConnectStatus::TimedOut, "no answer in the time allowed"};
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
        return ConnectFailure(errno);
    }
    return error == 0 ? ConnectResult{ConnectStatus::Connected, ""} : ConnectFailure(error);
}

}  // namespace virelo::platform::posix
