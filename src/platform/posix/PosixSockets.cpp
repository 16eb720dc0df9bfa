#include "platform/posix/PosixSockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace virelo::platform::posix {
namespace {

// The one place where resolver failures become Windows Sockets numbers. A resolver that fails
// without saying why (h_errno 0, as some NSS modules do) is reported as "host not found".
std::int32_t WsaFromHerrno(int herr) {
    switch (herr) {
        case TRY_AGAIN:
            return wsa::kTryAgain;
        case NO_RECOVERY:
            return wsa::kNoRecovery;
        case NO_DATA:
            return wsa::kNoData;
        case HOST_NOT_FOUND:
        default:
            return wsa::kHostNotFound;
    }
}

HostEntry CopyEntry(const hostent& h) {
    HostEntry entry;
    entry.name = h.h_name != nullptr ? h.h_name : "";
    for (char** alias = h.h_aliases; alias != nullptr && *alias != nullptr; ++alias) {
        entry.aliases.emplace_back(*alias);
    }
    const auto length = static_cast<std::size_t>(h.h_length > 0 ? h.h_length : 0);
    for (char** addr = h.h_addr_list; addr != nullptr && *addr != nullptr; ++addr) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(*addr);
        entry.addresses.emplace_back(bytes, bytes + length);
    }
    return entry;
}

// Runs one reentrant look-up, growing the scratch buffer while the C library asks for more.
template <typename Lookup>
std::optional<HostEntry> Resolve(Lookup lookup, std::int32_t& lastError) {
    std::vector<char> buffer(1024);
    for (;;) {
        hostent storage{};
        hostent* result = nullptr;
        int herr = 0;
        const int rc = lookup(&storage, buffer.data(), buffer.size(), &result, &herr);
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != 0 || result == nullptr) {
            lastError = WsaFromHerrno(herr);
            return std::nullopt;
        }
        return CopyEntry(*result);
    }
}

}  // namespace

bool PosixSockets::inSession() {
    if (sessions_ > 0) {
        return true;
    }
    lastError_ = wsa::kNotInitialised;
    return false;
}

std::int32_t PosixSockets::startup(std::uint16_t version) {
    // Version 1.1 and later are served; a major version of 0 is not a Windows Sockets version.
    if ((version & 0xFF) == 0) {
        return 10092;
    }
    ++sessions_;
    return 0;
}

std::int32_t PosixSockets::cleanup() {
    if (!inSession()) {
        return -1;
    }
    --sessions_;
    return 0;
}

std::int32_t PosixSockets::hostName(std::string& name) {
    name.clear();
    if (!inSession()) {
        return -1;
    }
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer) != 0) {
        lastError_ = wsa::kFault;
        return -1;
    }
    name.assign(buffer, strnlen(buffer, sizeof buffer));
    return 0;
}

std::optional<HostEntry> PosixSockets::hostByName(const std::string& name) {
    if (!inSession()) {
        return std::nullopt;
    }
    return Resolve(
        [&](hostent* h, char* buf, std::size_t len, hostent** result, int* herr) {
            return gethostbyname_r(name.c_str(), h, buf, len, result, herr);
        },
        lastError_);
}

std::optional<HostEntry> PosixSockets::hostByAddr(std::uint32_t addressNetworkOrder) {
    if (!inSession()) {
        return std::nullopt;
    }
    in_addr address{};
    address.s_addr = addressNetworkOrder;
    return Resolve(
        [&](hostent* h, char* buf, std::size_t len, hostent** result, int* herr) {
            return gethostbyaddr_r(&address, sizeof address, AF_INET, h, buf, len, result, herr);
        },
        lastError_);
}

std::uint32_t PosixSockets::inetAddr(const std::string& text) {
    return inet_addr(text.c_str());
}

namespace {

// The services database lists protocols in lower case and the C library compares them exactly;
// Windows does not mind the case, and users type "TCP".
std::string LowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

template <typename Lookup>
std::optional<ServiceEntry> ResolveService(Lookup lookup, std::int32_t& lastError) {
    std::vector<char> buffer(1024);
    for (;;) {
        servent storage{};
        servent* result = nullptr;
        const int rc = lookup(&storage, buffer.data(), buffer.size(), &result);
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != 0 || result == nullptr) {
            lastError = wsa::kNoData;  // what Windows Sockets reports for an unknown service
            return std::nullopt;
        }
        ServiceEntry entry;
        entry.name = result->s_name != nullptr ? result->s_name : "";
        for (char** alias = result->s_aliases; alias != nullptr && *alias != nullptr; ++alias) {
            entry.aliases.emplace_back(*alias);
        }
        entry.portNetworkOrder = static_cast<std::uint16_t>(result->s_port);
        entry.protocol = result->s_proto != nullptr ? result->s_proto : "";
        return entry;
    }
}

}  // namespace

std::optional<ServiceEntry> PosixSockets::serviceByName(const std::string& name,
                                                        const std::string& protocol) {
    if (!inSession()) {
        return std::nullopt;
    }
    const std::string proto = LowerCase(protocol);
    return ResolveService(
        [&](servent* s, char* buf, std::size_t len, servent** result) {
            return getservbyname_r(name.c_str(), proto.empty() ? nullptr : proto.c_str(), s, buf,
                                   len, result);
        },
        lastError_);
}

std::optional<ServiceEntry> PosixSockets::serviceByPort(std::uint16_t portNetworkOrder,
                                                        const std::string& protocol) {
    if (!inSession()) {
        return std::nullopt;
    }
    const std::string proto = LowerCase(protocol);
    return ResolveService(
        [&](servent* s, char* buf, std::size_t len, servent** result) {
            return getservbyport_r(portNetworkOrder, proto.empty() ? nullptr : proto.c_str(), s,
                                   buf, len, result);
        },
        lastError_);
}

}  // namespace virelo::platform::posix
