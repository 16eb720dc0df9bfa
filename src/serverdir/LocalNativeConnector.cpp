#include "serverdir/LocalNativeConnector.h"

#include <algorithm>
#include <cctype>

namespace virelo::serverdir {
namespace {

using platform::ConnectStatus;
using platform::ResolveStatus;

constexpr NativeCode kCodes[] = {
    {0, "01V01", "the server's listener accepted a connection; the login was not verified"},
    {-1801, "08001", "no server name was given"},
    {-1802, "HY024", "the protocol is not a server protocol"},
    {-1803, "HYC00", "the protocol's transport does not exist on this system"},
    {-1804, "08001", "no host name was given"},
    {-1805, "08001", "the host name is not known"},
    {-1806, "08001", "the name service could not answer"},
    {-1807, "08001", "no service name or port number was given"},
    {-1808, "08001", "the service is not known"},
    {-1809, "08004", "the host refused the connection: nothing listens on that port"},
    {-1810, "08001", "the host cannot be reached"},
    {-1811, "HYT00", "the listener did not answer in time"},
    {-1812, "08001", "the connection failed"},
};

// A name service rejects longer names; checking here keeps junk away from the name servers.
constexpr std::size_t kMaxHostName = 253;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

enum class Transport { Tcp, Spx, NamedPipe, SharedMemory, Unknown };

// The transport of a server protocol name, in any letter case; an empty name means TCP.
Transport TransportOf(const std::string& protocol) {
    const std::string name = Lower(Trimmed(protocol));
    if (name.empty()) {
        return Transport::Tcp;
    }
    static constexpr std::pair<const char*, Transport> kProtocols[] = {
        {"kasoctcp", Transport::Tcp},         {"kbsoctcp", Transport::Tcp},
        {"kcsoctcp", Transport::Tcp},         {"kbsocspx", Transport::Spx},
        {"kasocspx", Transport::Spx},         {"kcsocspx", Transport::Spx},
        {"kcipcip", Transport::SharedMemory}, {"kbipcnmp", Transport::NamedPipe},
        {"kaipcnmp", Transport::NamedPipe},
    };
    for (const auto& [known, transport] : kProtocols) {
        if (name == known) {
            return transport;
        }
    }
    return Transport::Unknown;
}

const char* TransportName(Transport transport) {
    switch (transport) {
        case Transport::Spx:
            return "SPX";
        case Transport::NamedPipe:
            return "named pipes";
        case Transport::SharedMemory:
            return "shared memory";
        default:
            return "TCP";
    }
}

static_assert(std::size(kCodes) == static_cast<std::size_t>(NativeOutcome::ConnectFailed) + 1,
              "one code per outcome");

}  // namespace

NativeCode CodeOf(NativeOutcome outcome) {
    return kCodes[static_cast<std::size_t>(outcome)];
}

std::optional<std::uint16_t> PortNumber(const std::string& service) {
    std::string text = Trimmed(service);
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return std::nullopt;
    }
    // Leading zeros do not make a port number longer: 08 and 055889 are ports 8 and 55889.
    text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
    if (text.size() > 5) {
        return std::nullopt;
    }
    const int port = std::stoi(text);
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

void LocalNativeConnector::PingServer(const std::string& server, const std::string& host,
                                      const std::string& service, const std::string& protocol,
                                      const std::string& /*user*/, const std::string& /*password*/,
                                      const std::string& /*database*/) {
    detail_.clear();
    outcome_ = Check(server, host, service, protocol);
}

NativeOutcome LocalNativeConnector::Check(const std::string& server, const std::string& host,
                                          const std::string& service, const std::string& protocol) {
    if (Trimmed(server).empty()) {
        return NativeOutcome::NoServer;
    }
    const Transport transport = TransportOf(protocol);
    if (transport == Transport::Unknown) {
        detail_ = "unknown protocol " + protocol;
        return NativeOutcome::UnknownProtocol;
    }
    if (transport != Transport::Tcp) {
        detail_ = protocol + " uses " + TransportName(transport) + ", which this system lacks";
        return NativeOutcome::ProtocolUnavailable;
    }
    const std::string hostName = Trimmed(host);
    if (hostName.empty()) {
        return NativeOutcome::NoHost;
    }
    if (hostName.size() > kMaxHostName || hostName.find(' ') != std::string::npos) {
        detail_ = "not a host name";
        return NativeOutcome::HostNotFound;
    }
    // The look-up counts against the same time limit as the connections: a name service that
    // does not answer cannot hold the ping longer than a listener that does not.
    const auto deadline = std::chrono::steady_clock::now() + timeLimit_;
    const platform::ResolveResult resolved = network_.resolveHost(hostName, timeLimit_);
    if (resolved.status != ResolveStatus::Ok) {
        detail_ = resolved.reason;
        return resolved.status == ResolveStatus::NotFound ? NativeOutcome::HostNotFound
                                                          : NativeOutcome::HostLookupFailed;
    }
    const std::string serviceName = Trimmed(service);
    if (serviceName.empty()) {
        return NativeOutcome::NoService;
    }
    std::optional<std::uint16_t> port = PortNumber(serviceName);
    if (!port && serviceName.find_first_not_of("0123456789-+") != std::string::npos &&
        serviceName.find(' ') == std::string::npos) {
        port = network_.tcpServicePort(serviceName);
    }
    if (!port) {
        detail_ = "service " + serviceName;
        return NativeOutcome::ServiceNotFound;
    }

    // Every address in turn, within what is left of the time limit; the most telling failure
    // (refused over unreachable over the rest) is the one reported.
    NativeOutcome worst = NativeOutcome::ConnectFailed;
    for (const platform::Endpoint& endpoint : resolved.endpoints) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        // An address the limit leaves no time for did not answer in time, and ranks as such: a
        // failure seen before it stays the one told.
        const platform::ConnectResult result =
            left.count() > 0
                ? network_.connectTcp(endpoint, *port, left)
                : platform::ConnectResult{ConnectStatus::TimedOut, "not tried in time"};
        const std::string where = endpoint.text + " port " + std::to_string(*port);
        switch (result.status) {
            case ConnectStatus::Connected:
                detail_ = where;
                return NativeOutcome::ListenerReached;
            case ConnectStatus::Refused:
                worst = NativeOutcome::ListenerRefused;
                break;
            case ConnectStatus::Unreachable:
                if (worst != NativeOutcome::ListenerRefused) {
                    worst = NativeOutcome::HostUnreachable;
                }
                break;
            case ConnectStatus::TimedOut:
                if (worst == NativeOutcome::ConnectFailed) {
                    worst = NativeOutcome::ListenerTimedOut;
                }
                break;
            case ConnectStatus::Failed:
                break;
        }
        detail_ += (detail_.empty() ? "" : "; ") + where + ": " + result.reason;
    }
    if (worst == NativeOutcome::ListenerTimedOut) {
        detail_ += " (" + std::to_string(timeLimit_.count()) + " ms for all addresses)";
    }
    return worst;
}

}  // namespace virelo::serverdir
