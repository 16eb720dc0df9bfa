#pragma once

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace virelo::test {

// A TCP listener on a loopback address and a port the system chose, for tests of connections that
// never leave the machine. With `saturated` the listener's queue is filled by one connection that
// is never accepted, so further connection attempts get no answer at all.
class TcpListener {
public:
    explicit TcpListener(const std::string& address = "127.0.0.1", bool saturated = false) {
        // A numeric address only: the look-up never asks a name service.
        addrinfo hints{AI_NUMERICHOST, 0, SOCK_STREAM, 0, 0, nullptr, nullptr, nullptr};
        addrinfo* found = nullptr;
        if (::getaddrinfo(address.c_str(), "0", &hints, &found) != 0) {
            throw std::runtime_error("not a numeric address: " + address);
        }
        const std::unique_ptr<addrinfo, void (*)(addrinfo*)> owner(found, ::freeaddrinfo);
        sockaddr* any = found->ai_addr;
        socklen_t length = found->ai_addrlen;
        fd_ = ::socket(any->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0 || ::bind(fd_, any, length) != 0 || ::listen(fd_, saturated ? 0 : 8) != 0 ||
            ::getsockname(fd_, any, &length) != 0) {
            throw std::runtime_error("cannot listen on " + address + ": " + std::strerror(errno));
        }
        port = ntohs(any->sa_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(any)->sin6_port
                                                : reinterpret_cast<sockaddr_in*>(any)->sin_port);
        filler_ = saturated ? ::socket(any->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0) : -1;
        if (saturated && (filler_ < 0 || ::connect(filler_, any, length) != 0)) {
            throw std::runtime_error("cannot fill the listener's queue");
        }
    }
    ~TcpListener() {
        ::close(filler_);
        ::close(fd_);
    }
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // A port on which nothing listens (it was free a moment ago).
    static int ClosedPort() { return TcpListener().port; }

    int port = 0;

private:
    int fd_ = -1;
    int filler_ = -1;
};

}  // namespace virelo::test
