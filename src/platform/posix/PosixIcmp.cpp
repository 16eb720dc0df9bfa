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

constexpr std::uint8_t kEchoReply = 0;
constexpr std::uint8_t kDestUnreachable = 3;
constexpr std::uint8_t kSourceQuench = 4;
constexpr std::uint8_t kEchoRequest = 8;
constexpr std::uint8_t kTimeExceeded = 11;
constexpr std::uint8_t kParameterProblem = 12;
constexpr std::size_t kIcmpHeader = 8;

// The first choice needs no privilege where the system allows it; the raw socket is the
// fallback. Each refusal is kept with its reason, so the user is told what to change.
int OpenEchoSocket(EchoSockets kinds, bool& raw, std::string& failure) {
    std::string datagramError = "not tried";
    if (kinds != EchoSockets::RawOnly) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd >= 0) {
            raw = false;
            return fd;
        }
        datagramError = std::strerror(errno);
    }
    std::string rawError = "not tried";
    if (kinds != EchoSockets::DatagramOnly) {
        const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd >= 0) {
            raw = true;
            return fd;
        }
        rawError = std::strerror(errno);
    }
    failure = "ICMP datagram socket: " + datagramError +
              " (hint: this user's group is not in net.ipv4.ping_group_range); ICMP raw socket: " +
              rawError + " (hint: the program needs CAP_NET_RAW or root)";
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
        case kTimeExceeded:
            return code == 1 ? ip::kTtlExpiredReassem : ip::kTtlExpiredTransit;
        case kParameterProblem:
            return ip::kParamProblem;
        case kSourceQuench:
            return ip::kSourceQuench;
        case kDestUnreachable:
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
    std::uint32_t address;
    std::uint16_t id;
    std::uint16_t sequence;
    bool raw;
};

// Does the quoted request inside an ICMP error message (IP header, then our ICMP header) belong
// to this request?
bool QuotesRequest(const std::uint8_t* quoted, std::size_t length, const Request& request) {
    if (length < sizeof(iphdr)) {
        return false;
    }
    const std::size_t ihl = static_cast<std::size_t>(quoted[0] & 0x0F) * 4;
    if (length < ihl + kIcmpHeader || quoted[ihl] != kEchoRequest) {
        return false;
    }
    return Read16(quoted + ihl + 6) == request.sequence &&
           (!request.raw || Read16(quoted + ihl + 4) == request.id);
}

// Reads one packet; true when it answers our request (result filled), false for anything else.
bool ReadReply(int fd, const Request& request, Clock::time_point sent, EchoResult& result) {
    std::vector<std::uint8_t> buffer(65536);
    sockaddr_in from{};
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
    if (request.raw) {  // a raw socket hands over the IP header too
        offset = static_cast<std::size_t>(buffer[0] & 0x0F) * 4;
        tos = buffer[1];
        ttl = buffer[8];
    }
    if (length < offset + kIcmpHeader) {
        return false;
    }
    const std::uint8_t* icmp = buffer.data() + offset;
    const std::size_t icmpLength = length - offset;
    if (icmp[0] == kEchoReply) {
        // A datagram socket's identifier is rewritten by the kernel: match on the sequence.
        if (Read16(icmp + 6) != request.sequence || from.sin_addr.s_addr != request.address ||
            (request.raw && Read16(icmp + 4) != request.id)) {
            return false;
        }
        result.status = ip::kSuccess;
        result.data.assign(reinterpret_cast<const char*>(icmp + kIcmpHeader),
                           icmpLength - kIcmpHeader);
    } else if (icmp[0] == kDestUnreachable || icmp[0] == kTimeExceeded ||
               icmp[0] == kParameterProblem || icmp[0] == kSourceQuench) {
        if (!QuotesRequest(icmp + kIcmpHeader, icmpLength - kIcmpHeader, request)) {
            return false;
        }
        result.status = StatusOf(icmp[0], icmp[1]);
    } else {
        return false;  // our own request read back on loopback, or a stray packet
    }
    result.address = from.sin_addr.s_addr;
    result.ttl = ttl;
    result.tos = tos;
    result.roundTripMs = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count());
    return true;
}

// A datagram socket receives ICMP errors on its error queue (IP_RECVERR).
bool ReadError(int fd, const Request& request, Clock::time_point sent, EchoResult& result) {
    std::uint8_t quoted[576];
    char control[512];
    sockaddr_in target{};
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
    if (quoted[0] != kEchoRequest || Read16(quoted + 6) != request.sequence) {
        return false;
    }
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_IP || c->cmsg_type != IP_RECVERR) {
            continue;
        }
        const auto* error = reinterpret_cast<const sock_extended_err*>(CMSG_DATA(c));
        if (error->ee_origin != SO_EE_ORIGIN_ICMP) {
            result.status = StatusOfSendError(static_cast<int>(error->ee_errno));
        } else {
            result.status = StatusOf(error->ee_type, error->ee_code);
            const auto* offender = reinterpret_cast<const sockaddr_in*>(SO_EE_OFFENDER(error));
            result.address = offender->sin_addr.s_addr;
        }
        result.roundTripMs = static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count());
        return true;
    }
    return false;
}

}  // namespace

bool PosixIcmp::sendEcho(std::uint32_t address, std::string_view data, std::uint32_t timeoutMs,
                         EchoResult& result, std::string& openFailure) {
    bool raw = false;
    FileDescriptor socket(OpenEchoSocket(kinds_, raw, openFailure));
    if (socket.get() < 0) {
        return false;
    }
    const int on = 1;
    if (!raw) {
        ::setsockopt(socket.get(), SOL_IP, IP_RECVERR, &on, sizeof on);
    }

    const Request request{address, static_cast<std::uint16_t>(::getpid() & 0xFFFF), ++sequence_,
                          raw};
    std::vector<std::uint8_t> packet(kIcmpHeader + data.size());
    packet[0] = kEchoRequest;
    packet[4] = static_cast<std::uint8_t>(request.id >> 8);
    packet[5] = static_cast<std::uint8_t>(request.id);
    packet[6] = static_cast<std::uint8_t>(request.sequence >> 8);
    packet[7] = static_cast<std::uint8_t>(request.sequence);
    std::copy(data.begin(), data.end(), packet.begin() + kIcmpHeader);
    const std::uint16_t sum = Checksum(packet.data(), packet.size());
    packet[2] = static_cast<std::uint8_t>(sum >> 8);
    packet[3] = static_cast<std::uint8_t>(sum);

    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = address;
    const Clock::time_point sent = Clock::now();
    if (::sendto(socket.get(), packet.data(), packet.size(), 0,
                 reinterpret_cast<const sockaddr*>(&target), sizeof target) < 0) {
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

}  // namespace virelo::platform::posix
