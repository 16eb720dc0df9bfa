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

// Runs one reentrant look-up of the C library (a *_r call), growing the scratch buffer while it
// asks for more. Returns the filled record, or nullptr when nothing was found.
template <typename Record, typename Call>
const Record* ReentrantLookup(Record& storage, std::vector<char>& buffer, Call call) {
    buffer.resize(1024);
    for (;;) {
        Record* result = nullptr;
        const int rc = call(&storage, buffer.data(), buffer.size(), &result);
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return rc == 0 ? result : nullptr;
    }
}

template <typename Call>
std::optional<HostEntry> LookUpHost(Call call, std::int32_t& lastError) {
    hostent storage{};
    std::vector<char> buffer;
    int herr = 0;
    const hostent* found = ReentrantLookup(
        storage, buffer, [&](hostent* h, char* buf, std::size_t len, hostent** result) {
            return call(h, buf, len, result, &herr);
        });
    if (found == nullptr) {
        lastError = WsaFromHerrno(herr);
        return std::nullopt;
    }
    return CopyEntry(*found);
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
    // Windows Sockets answers an empty name with the local host's entry; the C library would
    // fail instead.
    std::string asked = name;
    if (asked.empty() && hostName(asked) != 0) {
        return std::nullopt;
    }
    return lookups_.run(
        [asked] {
            std::int32_t error = 0;
            auto entry = LookUpHost(
                [&](hostent* h, char* buf, std::size_t len, hostent** result, int* herr) {
                    return gethostbyname_r(asked.c_str(), h, buf, len, result, herr);
                },
                error);
            return Found{std::move(entry), error};
        },
        lastError_);
}

std::optional<HostEntry> PosixSockets::hostByAddr(std::uint32_t addressNetworkOrder) {
    if (!inSession()) {
        return std::nullopt;
    }
    in_addr address{};
    address.s_addr = addressNetworkOrder;
    return lookups_.run(
        [address] {
            std::int32_t error = 0;
            auto entry = LookUpHost(
                [&](hostent* h, char* buf, std::size_t len, hostent** result, int* herr) {
                    return gethostbyaddr_r(&address, sizeof address, AF_INET, h, buf, len, result,
                                           herr);
                },
                error);
            return Found{std::move(entry), error};
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

template <typename Call>
std::optional<ServiceEntry> LookUpService(Call call, std::int32_t& lastError) {
    servent storage{};
    std::vector<char> buffer;
    const servent* found = ReentrantLookup(storage, buffer, call);
    if (found == nullptr) {
        lastError = wsa::kNoData;  // what Windows Sockets reports for an unknown service
        return std::nullopt;
    }
    ServiceEntry entry;
    entry.name = found->s_name != nullptr ? found->s_name : "";
    for (char** alias = found->s_aliases; alias != nullptr && *alias != nullptr; ++alias) {
        entry.aliases.emplace_back(*alias);
    }
    entry.portNetworkOrder = static_cast<std::uint16_t>(found->s_port);
    entry.protocol = found->s_proto != nullptr ? found->s_proto : "";
    return entry;
}

}  // namespace

std::optional<ServiceEntry> PosixSockets::serviceByName(const std::string& name,
                                                        const std::string& protocol) {
    if (!inSession()) {
        return std::nullopt;
    }
    const std::string proto = LowerCase(protocol);
    return LookUpService(
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
    return LookUpService(
        [&](servent* s, char* buf, std::size_t len, servent** result) {
            return getservbyport_r(portNetworkOrder, proto.empty() ? nullptr : proto.c_str(), s,
                                   buf, len, result);
        },
        lastError_);
}

}  // namespace virelo::platform::posix
