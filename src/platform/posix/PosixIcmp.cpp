#include "platform/posix/PosixIcmp.h"
#include "platform/posix/FileDescriptor.h"

#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace virelo::platform::posix {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kIcmpHeader = 8;

// What differs between ICMP over IPv4 and ICMPv6: the socket, the message types, where errors
// come from, and whether a raw socket hands over the IP header (only IPv4 does).
struct Family {
    int domain;
    int protocol;
    std::uint8_t echoRequest;
    std::uint8_t echoReply;
    int errorLevel;
    int errorType;
    std::uint8_t errorOrigin;
    bool v6;
};

constexpr Family kIpv4{AF_INET, IPPROTO_ICMP, 8, 0, SOL_IP, IP_RECVERR, SO_EE_ORIGIN_ICMP, false};
constexpr Family kIpv6{AF_INET6,     IPPROTO_ICMPV6,     128, 129, SOL_IPV6,
                       IPV6_RECVERR, SO_EE_ORIGIN_ICMP6, true};

// The first choice needs no privilege where the system allows it; the raw socket is the
// fallback. Each refusal is kept with its reason, so the user is told what to change.
int OpenEchoSocket(const Family& family, EchoSockets kinds, bool& raw, std::string& failure) {
    const char* name = family.v6 ? "ICMPv6" : "ICMP";
    std::string datagramError = "not tried";
    if (kinds != EchoSockets::RawOnly) {
        const int fd = ::socket(family.domain, SOCK_DGRAM | SOCK_CLOEXEC, family.protocol);
        if (fd >= 0) {
            raw = false;
            return fd;
        }
        datagramError = std::strerror(errno);
    }
    std::string rawError = "not tried";
    if (kinds != EchoSockets::DatagramOnly) {
        const int fd = ::socket(family.domain, SOCK_RAW | SOCK_CLOEXEC, family.protocol);
        if (fd >= 0) {
            raw = true;
            return fd;
        }
        rawError = std::strerror(errno);
    }
    failure = std::string(name) + " datagram socket: " + datagramError +
              " (hint: this user's group is not in net.ipv4.ping_group_range); " + name +
              " raw socket: " + rawError + " (hint: the program needs CAP_NET_RAW or root)";
    return -1;
}

std::uint16_t Checksum(const std::uint8_t* bytes, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        sum += static_cast<std::uint32_t>(bytes[i] << 8 | bytes[i + 1]);
    }
    if (length % 2 == 1) {
        sum += static_cast<std::uint32_t>(bytes[length - 1] << 8);
    }
    while (sum >> 16) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(~sum);
}

std::uint16_t Read16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

// The one place where ICMP error messages become IP_* status numbers.
std::int32_t StatusOf(std::uint8_t type, std::uint8_t code) {
    switch (type) {
        case 11:  // time exceeded
            return code == 1 ? ip::kTtlExpiredReassem : ip::kTtlExpiredTransit;
        case 12:
            return ip::kParamProblem;
        case 4:
            return ip::kSourceQuench;
        case 3:  // destination unreachable
            break;
        default:
            return ip::kGeneralFailure;
    }
    switch (code) {
        case 0:
        case 6:
        case 9:
        case 11:
            return ip::kDestNetUnreachable;
        case 2:
            return ip::kDestProtUnreachable;
        case 3:
            return ip::kDestPortUnreachable;
        case 4:
            return ip::kPacketTooBig;
        case 5:
            return ip::kBadRoute;  // source route failed
        default:  // host unreachable, unknown, or administratively prohibited (codes 10, 13)
            return ip::kDestHostUnreachable;
    }
}

// ICMPv6 error messages, as the status of their IPv4 counterparts.
std::int32_t StatusOf6(std::uint8_t type, std::uint8_t code) {
    switch (type) {
        case 1:  // destination unreachable
            return code == 0   ? ip::kDestNetUnreachable
                   : code == 4 ? ip::kDestPortUnreachable
                               : ip::kDestHostUnreachable;  // prohibited, address, policy, reject
        case 2:
            return ip::kPacketTooBig;
        case 3:  // time exceeded
            return code == 1 ? ip::kTtlExpiredReassem : ip::kTtlExpiredTransit;
        case 4:
            return ip::kParamProblem;
        default:
            return ip::kGeneralFailure;
    }
}

bool IsErrorMessage(const Family& family, std::uint8_t type) {
    return family.v6 ? (type >= 1 && type <= 4)
                     : (type == 3 || type == 4 || type == 11 || type == 12);
}

std::int32_t StatusOfSendError(int err) {
    switch (err) {
        case ENETUNREACH:
            return ip::kDestNetUnreachable;
        case EHOSTUNREACH:
        // A route that prohibits the destination (EACCES), or a local filter (EPERM): the status
        // of the "administratively prohibited" message the same route sends to others.
        case EACCES:
        case EPERM:
            return ip::kDestHostUnreachable;
        case EMSGSIZE:
            return ip::kPacketTooBig;
        default:
            return ip::kGeneralFailure;
    }
}

struct Request {
    const Family& family;
    sockaddr_storage target;
    socklen_t targetLength;
    std::uint16_t id;
    std::uint16_t sequence;
    bool raw;
};

bool SameAddress(const sockaddr_storage& from, const Request& request) {
    if (request.family.v6) {
        return std::memcmp(&reinterpret_cast<const sockaddr_in6&>(from).sin6_addr,
                           &reinterpret_cast<const sockaddr_in6&>(request.target).sin6_addr,
                           sizeof(in6_addr)) == 0;
    }
    return reinterpret_cast<const sockaddr_in&>(from).sin_addr.s_addr ==
           reinterpret_cast<const sockaddr_in&>(request.target).sin_addr.s_addr;
}

// Does the quoted request inside an ICMP error message (IP header, then our ICMP header) belong
// to this request?
bool QuotesRequest(const std::uint8_t* quoted, std::size_t length, const Request& request) {
    if (length < (request.family.v6 ? 40 : sizeof(iphdr))) {
        return false;
    }
    const std::size_t ihl = request.family.v6 ? 40 : static_cast<std::size_t>(quoted[0] & 0x0F) * 4;
    if (length < ihl + kIcmpHeader || quoted[ihl] != request.family.echoRequest) {
        return false;
    }
    return Read16(quoted + ihl + 6) == request.sequence &&
           (!request.raw || Read16(quoted + ihl + 4) == request.id);
}

std::uint32_t MsSince(Clock::time_point sent) {
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count());
}

// Reads one packet; true when it answers our request (result filled), false for anything else.
bool ReadReply(int fd, const Request& request, Clock::time_point sent, EchoResult& result) {
    std::vector<std::uint8_t> buffer(65536);
    sockaddr_storage from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n = ::recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n <= 0) {
        return false;
    }
    const auto length = static_cast<std::size_t>(n);
    std::size_t offset = 0;
    std::uint8_t ttl = 0;
    std::uint8_t tos = 0;
    if (request.raw && !request.family.v6) {  // a raw IPv4 socket hands over the IP header too
        offset = static_cast<std::size_t>(buffer[0] & 0x0F) * 4;
        tos = buffer[1];
        ttl = buffer[8];
    }
    if (length < offset + kIcmpHeader) {
        return false;
    }
    const std::uint8_t* icmp = buffer.data() + offset;
    const std::size_t icmpLength = length - offset;
    if (icmp[0] == request.family.echoReply) {
        // A datagram socket's identifier is rewritten by the kernel: match on the sequence.
        if (Read16(icmp + 6) != request.sequence || !SameAddress(from, request) ||
            (request.raw && Read16(icmp + 4) != request.id)) {
            return false;
        }
        result.status = ip::kSuccess;
        result.data.assign(reinterpret_cast<const char*>(icmp + kIcmpHeader),
                           icmpLength - kIcmpHeader);
    } else if (IsErrorMessage(request.family, icmp[0])) {
        if (!QuotesRequest(icmp + kIcmpHeader, icmpLength - kIcmpHeader, request)) {
            return false;
        }
        result.status =
            request.family.v6 ? StatusOf6(icmp[0], icmp[1]) : StatusOf(icmp[0], icmp[1]);
    } else {
        return false;  // our own request read back on loopback, or a stray packet
    }
    if (!request.family.v6) {
        result.address = reinterpret_cast<const sockaddr_in&>(from).sin_addr.s_addr;
    }
    result.ttl = ttl;
    result.tos = tos;
    result.roundTripMs = MsSince(sent);
    return true;
}

// A datagram socket receives ICMP errors on its error queue (IP_RECVERR, IPV6_RECVERR).
bool ReadError(int fd, const Request& request, Clock::time_point sent, EchoResult& result) {
    std::uint8_t quoted[576];
    char control[512];
    sockaddr_storage target{};
    iovec io{quoted, sizeof quoted};
    msghdr message{};
    message.msg_name = &target;
    message.msg_namelen = sizeof target;
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
    if (n < static_cast<ssize_t>(kIcmpHeader)) {
        return false;
    }
    // The error queue gives back our own ICMP header (no IP header): check the sequence.
    if (quoted[0] != request.family.echoRequest || Read16(quoted + 6) != request.sequence) {
        return false;
    }
    const Family& family = request.family;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != family.errorLevel || c->cmsg_type != family.errorType) {
            continue;
        }
        const auto* error = reinterpret_cast<const sock_extended_err*>(CMSG_DATA(c));
        if (error->ee_origin != family.errorOrigin) {
            result.status = StatusOfSendError(static_cast<int>(error->ee_errno));
        } else if (family.v6) {
            result.status = StatusOf6(error->ee_type, error->ee_code);
        } else {
            result.status = StatusOf(error->ee_type, error->ee_code);
            const auto* offender = reinterpret_cast<const sockaddr_in*>(SO_EE_OFFENDER(error));
            result.address = offender->sin_addr.s_addr;
        }
        result.roundTripMs = MsSince(sent);
        return true;
    }
    return false;
}

// Sends one echo request and waits for its answer: the common part of both families.
bool SendAndWait(const Family& family, EchoSockets kinds, const sockaddr_storage& target,
                 socklen_t targetLength, std::uint16_t sequence, std::string_view data,
                 std::uint32_t timeoutMs, EchoResult& result, std::string& openFailure) {
    bool raw = false;
    FileDescriptor socket(OpenEchoSocket(family, kinds, raw, openFailure));
    if (socket.get() < 0) {
        return false;
    }
    const int on = 1;
    if (!raw) {
        ::setsockopt(socket.get(), family.errorLevel, family.errorType, &on, sizeof on);
    }

    const Request request{family,       target,
                          targetLength, static_cast<std::uint16_t>(::getpid() & 0xFFFF),
                          sequence,     raw};
    std::vector<std::uint8_t> packet(kIcmpHeader + data.size());
    packet[0] = family.echoRequest;
    packet[4] = static_cast<std::uint8_t>(request.id >> 8);
    packet[5] = static_cast<std::uint8_t>(request.id);
    packet[6] = static_cast<std::uint8_t>(request.sequence >> 8);
    packet[7] = static_cast<std::uint8_t>(request.sequence);
    std::copy(data.begin(), data.end(), packet.begin() + kIcmpHeader);
    if (!family.v6) {  // the kernel sums ICMPv6 messages itself, over the pseudo-header
        const std::uint16_t sum = Checksum(packet.data(), packet.size());
        packet[2] = static_cast<std::uint8_t>(sum >> 8);
        packet[3] = static_cast<std::uint8_t>(sum);
    }

    const Clock::time_point sent = Clock::now();
    if (::sendto(socket.get(), packet.data(), packet.size(), 0,
                 reinterpret_cast<const sockaddr*>(&target), targetLength) < 0) {
        result.status = StatusOfSendError(errno);
        return true;
    }

    const Clock::time_point deadline = sent + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            break;
        }
        pollfd waiting{socket.get(), POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            result.status = ip::kGeneralFailure;
            return true;
        }
        if (ready <= 0) {
            continue;
        }
        if ((waiting.revents & POLLERR) && ReadError(socket.get(), request, sent, result)) {
            return true;
        }
        if ((waiting.revents & POLLIN) && ReadReply(socket.get(), request, sent, result)) {
            return true;
        }
    }
    result.status = ip::kReqTimedOut;
    return true;
}

}  // namespace

bool PosixIcmp::sendEcho(std::uint32_t address, std::string_view data, std::uint32_t timeoutMs,
                         EchoResult& result, std::string& openFailure) {
    sockaddr_storage target{};
    auto& in4 = reinterpret_cast<sockaddr_in&>(target);
    in4.sin_family = AF_INET;
    in4.sin_addr.s_addr = address;
    return SendAndWait(kIpv4, kinds_, target, sizeof(sockaddr_in), ++sequence_, data, timeoutMs,
                       result, openFailure);
}

bool PosixIcmp::sendEcho6(const std::array<std::uint8_t, 16>& address, std::string_view data,
                          std::uint32_t timeoutMs, EchoResult& result, std::string& openFailure) {
    sockaddr_storage target{};
    auto& in6 = reinterpret_cast<sockaddr_in6&>(target);
    in6.sin6_family = AF_INET6;
    std::memcpy(in6.sin6_addr.s6_addr, address.data(), 16);
    return SendAndWait(kIpv6, kinds_, target, sizeof(sockaddr_in6), ++sequence_, data, timeoutMs,
                       result, openFailure);
}

}  // namespace virelo::platform::posix
