#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace virelo::test {

// A TCP listener on a loopback address and a port the system chose, for tests of connections that
// never leave the machine. With `saturated` the listener's queue is filled by one connection that
// is never accepted, so further connection attempts get no answer at all.
class TcpListener {
public:
    explicit TcpListener(const std::string& address = "127.0.0.1", bool saturated = false) {
        const bool v6 = address.find(':') != std::string::npos;
        fd_ = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_storage storage{};
        socklen_t length = 0;
        if (v6) {
            auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
            in6->sin6_family = AF_INET6;
            ::inet_pton(AF_INET6, address.c_str(), &in6->sin6_addr);
            length = sizeof *in6;
        } else {
            auto* in4 = reinterpret_cast<sockaddr_in*>(&storage);
            in4->sin_family = AF_INET;
            ::inet_pton(AF_INET, address.c_str(), &in4->sin_addr);
            length = sizeof *in4;
        }
        auto* any = reinterpret_cast<sockaddr*>(&storage);
        if (fd_ < 0 || ::bind(fd_, any, length) != 0 || ::listen(fd_, saturated ? 0 : 8) != 0 ||
            ::getsockname(fd_, any, &length) != 0) {
            throw std::runtime_error("cannot listen on " + address + ": " + std::strerror(errno));
        }
        port = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(any)->sin6_port
                        : reinterpret_cast<sockaddr_in*>(any)->sin_port);
        if (saturated) {
            const int filler = ::socket(any->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (filler < 0 || ::connect(filler, any, length) != 0) {
                throw std::runtime_error("cannot fill the listener's queue");
            }
            fillers_.push_back(filler);
        }
    }
    ~TcpListener() {
        for (int fd : fillers_) {
            ::close(fd);
        }
        ::close(fd_);
    }
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // A port on which nothing listens (it was free a moment ago).
    static int ClosedPort() {
        TcpListener probe;
        return probe.port;
    }

    int port = 0;

private:
    int fd_ = -1;
    std::vector<int> fillers_;
};

}  // namespace virelo::test
