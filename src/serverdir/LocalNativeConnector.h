#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Network.h"
#include "serverdir/NativeConnector.h"

namespace virelo::serverdir {

// The outcomes of a native ping, each with its own SQL code and SQLSTATE. The layers are checked
// in this order and the first that fails is reported.
enum class NativeOutcome {
    ListenerReached,      // 0      01V01  the listener accepted a TCP connection; no login
    NoServer,             // -1801  08001  no server name given
    UnknownProtocol,      // -1802  HY024  not one of the nine server protocols
    ProtocolUnavailable,  // -1803  HYC00  SPX, named pipes or shared memory: not on this system
    NoHost,               // -1804  08001  no host name given
    HostNotFound,         // -1805  08001  the name service does not know the host
    HostLookupFailed,     // -1806  08001  the name service could not answer
    NoService,            // -1807  08001  no service name or port given
    ServiceNotFound,      // -1808  08001  neither a port 1-65535 nor a TCP service by that name
    ListenerRefused,      // -1809  08004  the host refused: nothing listens on that port
    HostUnreachable,      // -1810  08001  no route to any address of the host
    ListenerTimedOut,     // -1811  HYT00  no answer within the time allowed
    ConnectFailed,        // -1812  08001  the connection failed for another reason
};

struct NativeCode {
    std::int32_t sqlCode;
    const char* sqlState;
    const char* meaning;
};

// The SQL code, SQLSTATE and a short meaning of an outcome.
NativeCode CodeOf(NativeOutcome outcome);

// The native-connect component of this system. The database product's own client library and
// wire protocol are not available here, so it verifies what a client can verify without them,
// layer by layer, and stops at the first that fails: the server name, the protocol and its
// transport, the host, the service, and a TCP connection to the server's listener (every address
// in turn, within one time limit for all). Reaching the listener is reported with SQL code 0 and
// a warning SQLSTATE, since the login itself is not verified. User, password and database are
// accepted and never used or kept.
class LocalNativeConnector : public NativeConnector {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeLimit{5000};

    explicit LocalNativeConnector(platform::Network& network,
                                  std::chrono::milliseconds timeLimit = kDefaultTimeLimit)
        : network_(network), timeLimit_(timeLimit) {}

    void PingServer(const std::string& server, const std::string& host, const std::string& service,
                    const std::string& protocol, const std::string& user,
                    const std::string& password, const std::string& database) override;
    std::int32_t SqlCode() override { return CodeOf(outcome_).sqlCode; }
    std::string SqlState() override { return CodeOf(outcome_).sqlState; }

    // What the last ping found, in words: the layer that failed and the system's reason, or the
    // address whose listener answered. Never holds the user, password or database.
    const std::string& Detail() const { return detail_; }
    NativeOutcome Outcome() const { return outcome_; }
    // The time all addresses of a host share.
    std::chrono::milliseconds TimeLimit() const { return timeLimit_; }

private:
    NativeOutcome Check(const std::string& server, const std::string& host,
                        const std::string& service, const std::string& protocol);

    platform::Network& network_;
    std::chrono::milliseconds timeLimit_;
    NativeOutcome outcome_ = NativeOutcome::NoServer;
    std::string detail_;
};

// The port of a service text: a whole number 1 to 65535 (blanks around it allowed), else nothing.
std::optional<std::uint16_t> PortNumber(const std::string& service);

}  // namespace virelo::serverdir
