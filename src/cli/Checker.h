#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CheckResult.h"
#include "general/General.h"
#include "platform/Icmp.h"
#include "platform/Network.h"
#include "platform/Registry.h"
#include "platform/RegistryOrigins.h"
#include "platform/Sockets.h"
#include "tcpip/TCPIP.h"

namespace virelo::cli {

// The services of the workstation that the checks use. `origins` tells where the server
// directory and the data sources are read from, where the system can say (else nullptr).
struct Services {
    platform::Sockets& sockets;
    platform::Icmp& icmp;
    platform::Files& files;
    platform::Clock& clock;
    platform::Processes& processes;
    platform::Network& network;
    platform::Registry& registry;
    platform::RegistryOrigins* origins;
};

// A server to check: its name and the host, service and protocol of its directory entry, each
// replaced by what the command line gives.
struct ServerTarget {
    std::string server, host, service, protocol;
};

// Runs the checks of virelo-check with the modules the window uses, and hands each check to the
// progress as it starts and ends. Each check writes its diagnostic log into a log file of its
// own, reads it back into its result and deletes it. A check raises a virelo::Error when it
// cannot run at all (no log file can be chosen, say).
class Checker {
public:
    Checker(Services services, const Request& request, Progress& progress);
    ~Checker();
    Checker(const Checker&) = delete;
    Checker& operator=(const Checker&) = delete;

    // The host look-up of the TCP/IP tab (IPv4), then one echo request to every address.
    void Host(const std::string& target, bool byAddress);
    CheckResult Service(const std::string& target, bool udp);
    // The native ping of a server (see TargetOf).
    CheckResult Native(const ServerTarget& target);
    // The COM+ connection test of a connection string (the password already in place).
    CheckResult Connect(const std::string& connectionString, const std::string& password);
    // The ODBC connect-and-report sequence for a data source (user from --user).
    CheckResult Odbc(const std::string& dataSource, const std::string& password);
    // The JDBC ping through the Java test class; the password reaches it in its environment.
    CheckResult Jdbc(const std::string& driverClass, const std::string& url,
                     const std::string& password);
    // The layers of one server: look-up, echo (a warning only), service, listener, and with a
    // data source the ODBC login; up to the first that fails.
    void Diagnose(const std::string& password);
    // The server of native and diagnose: the directory's entry for the server named, with what
    // the command line gives in its place; without an entry, the command line's host and service
    // over TCP. Nothing, with the failure published, when neither will do.
    std::optional<ServerTarget> TargetOf(const std::optional<std::string>& server);

private:
    // Hands a finished check to the progress and returns it.
    CheckResult Publish(CheckResult result);
    // A fresh log file, reserved; raises the Error of GetLogPath (which names the directory) when
    // none can be chosen.
    std::string NewLog();
    // The lines of a log file, which is then deleted.
    std::vector<std::string> TakeLog(const std::string& path);
    // One echo request to an address (IPv4 or IPv6), as a check of its own, not published.
    CheckResult Echo(const platform::Endpoint& address);
    // Looks up the host a driver is about to look up, within the time allowed: a name service
    // that does not answer would otherwise hold the driver, which cannot be stopped, for as long
    // as the system resolver waits. The failure, published, when the look-up ran out of time.
    std::optional<CheckResult> GuardNameLookup(const std::string& host);

    Services services_;
    const Request& request_;
    Progress& progress_;
    general::General general_;
    tcpip::TCPIP tcpip_;
};

// The lines of a text, split at CR LF or LF; no empty line for a leading line end.
std::vector<std::string> Lines(const std::string& text);

// The milliseconds since `start`.
std::int64_t MsSince(std::chrono::steady_clock::time_point start);

}  // namespace virelo::cli
