#include "cli/Checker.h"

#include <algorithm>

#include "cli/Classify.h"
#include "cli/DataSourceHost.h"
#include "cli/Password.h"
#include "complus/ComponentHost.h"
#include "complus/ConnectionString.h"
#include "complus/LocalConnectionTester.h"
#include "serverdir/LocalNativeConnector.h"
#include "tcpip/EchoReply.h"

namespace virelo::cli {
namespace {

using Clock = std::chrono::steady_clock;
using serverdir::NativeOutcome;

int ExitCodeOf(NativeOutcome outcome) {
    switch (outcome) {
        case NativeOutcome::ListenerReached:
            return exitcode::kOk;
        case NativeOutcome::NoHost:
        case NativeOutcome::HostNotFound:
        case NativeOutcome::HostLookupFailed:
            return exitcode::kNameResolution;
        case NativeOutcome::NoService:
        case NativeOutcome::ServiceNotFound:
            return exitcode::kService;
        case NativeOutcome::ListenerRefused:
        case NativeOutcome::HostUnreachable:
        case NativeOutcome::ListenerTimedOut:
        case NativeOutcome::ConnectFailed:
            return exitcode::kListener;
        default:
            return exitcode::kOther;
    }
}

// What a failed host look-up of the TCP/IP tab means, in the resolver's terms on this system;
// the log keeps the Windows Sockets number that the window shows.
std::string HostLookupFailure(std::int32_t error, bool byAddress, bool outOfTime,
                              std::chrono::milliseconds limit) {
    switch (error) {
        case platform::wsa::kHostNotFound:
            return byAddress ? "no host name is known for this address (HOST_NOT_FOUND)"
                             : "the host name is not known (HOST_NOT_FOUND)";
        case platform::wsa::kTryAgain:
            return outOfTime ? "the name service gave no answer within " +
                                   std::to_string(limit.count()) + " ms (TRY_AGAIN)"
                             : "the name service could not answer (TRY_AGAIN)";
        case platform::wsa::kNoRecovery:
            return "the name service failed (NO_RECOVERY)";
        case platform::wsa::kNoData:
            return "the name is known but has no IPv4 address (NO_DATA)";
        default:
            return "the look-up failed (Windows Sockets error " + std::to_string(error) + ")";
    }
}

}  // namespace

std::int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!(start == 0 && line.empty() && end < text.size())) {
            lines.push_back(line);
        }
        start = end + 1;
    }
    return lines;
}

Checker::Checker(Services services, const Request& request, Progress& progress)
    : services_(services),
      request_(request),
      progress_(progress),
      general_(services.files, services.clock, services.processes),
      tcpip_(services.sockets, services.icmp, general_) {
    tcpip_.InitSockets();
}

Checker::~Checker() {
    tcpip_.CleanupSockets();
}

CheckResult Checker::Publish(CheckResult result) {
    progress_.finished(result);
    return result;
}

std::string Checker::NewLog() {
    return general_.GetLogPath();
}

std::vector<std::string> Checker::TakeLog(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    std::vector<std::string> lines;
    try {
        lines = Lines(general_.ReadTextFile(path));
        general_.DeleteLogFile(path);
    } catch (const Error& error) {
        // A step that logged nothing left no file behind; any other failure is said.
        if (error.number() != errors::kFileNotFound) {
            lines.push_back("(the log file could not be read: " + error.description() + ")");
        }
    }
    return lines;
}

void Checker::Host(const std::string& target, bool byAddress) {
    progress_.started("resolve", target);
    const auto start = Clock::now();
    const std::string log = NewLog();
    const tcpip::HostInfo info =
        byAddress ? tcpip_.GetHostByAddrInfo(target, log) : tcpip_.GetHostByNameInfo(target, log);
    CheckResult resolve;
    resolve.layer = "resolve";
    resolve.target = target;
    resolve.ok = info.Addresses.has_value();
    resolve.elapsedMs = MsSince(start);
    resolve.log = TakeLog(log);
    if (resolve.ok) {
        resolve.exitCode = exitcode::kOk;
        resolve.message = "known as " + info.HostName + " with " + std::to_string(info.AddrCount) +
                          " address(es)";
    } else {
        resolve.code = services_.sockets.lastError();
        resolve.exitCode = exitcode::kNameResolution;
        resolve.message =
            HostLookupFailure(static_cast<std::int32_t>(resolve.code), byAddress,
                              resolve.elapsedMs >= request_.timeout.count(), request_.timeout);
    }
    Publish(resolve);
    for (std::int16_t i = 0; resolve.ok && i < info.AddrCount; ++i) {
        platform::Endpoint address;
        address.text = (*info.Addresses)[static_cast<std::size_t>(i)];
        progress_.started("echo", address.text);
        Publish(Echo(address));
    }
}

CheckResult Checker::Echo(const platform::Endpoint& address) {
    const auto start = Clock::now();
    const std::string log = NewLog();
    tcpip::EchoReply reply;
    std::int32_t status = 0;
    if (address.ipv6 && address.address.size() == 16) {
        std::array<std::uint8_t, 16> bytes{};
        std::copy(address.address.begin(), address.address.end(), bytes.begin());
        status = tcpip_.PingAddress6(bytes, address.text, "Hello There", reply, log);
    } else {
        status = tcpip_.PingAddress(address.text, "Hello There", reply, log);
    }
    CheckResult echo;
    echo.layer = "echo";
    echo.target = address.text;
    echo.ok = status == 0;
    echo.code = status;
    echo.exitCode = echo.ok ? exitcode::kOk : exitcode::kEcho;
    echo.message = tcpip::IcmpStatusText(status);
    echo.elapsedMs = MsSince(start);
    echo.log = Lines(tcpip::EchoReport(address.text, status, reply, services_.clock.timeOfDay()));
    for (std::string& line : TakeLog(log)) {
        // No echo request could be sent at all (no permission to open an ICMP socket): that
        // says nothing about the host, so the layer is not tested, and the reason is told.
        const auto unsent = line.find("No echo request sent to ");
        if (unsent != std::string::npos) {
            echo.skipped = true;
            echo.exitCode = exitcode::kNotTested;
            echo.message = "not tested: " + line.substr(unsent);
        }
        echo.log.push_back(std::move(line));
    }
    return echo;
}

CheckResult Checker::Service(const std::string& target, bool udp) {
    const std::string shown = target + "/" + (udp ? "udp" : "tcp");
    progress_.started("service", shown);
    const auto start = Clock::now();
    const std::string log = NewLog();
    const std::string protocol = udp ? "UDP" : "TCP";
    const bool byPort = tcpip::ParsePortNumber(target).has_value();
    const tcpip::ServiceInfo info = byPort ? tcpip_.GetServiceByPort(target, protocol, log)
                                           : tcpip_.GetServiceByName(target, protocol, log);
    CheckResult result;
    result.layer = "service";
    result.target = shown;
    result.ok = !info.ServiceName.empty();
    result.elapsedMs = MsSince(start);
    result.log = TakeLog(log);
    if (result.ok) {
        result.exitCode = exitcode::kOk;
        result.code = std::stoi(info.Port);
        std::string aliases;
        for (std::int16_t i = 0; info.Aliases && i < info.AliasCount; ++i) {
            aliases += (aliases.empty() ? "" : " ") + (*info.Aliases)[static_cast<std::size_t>(i)];
        }
        result.message = "service " + info.ServiceName + " is port " + info.Port + "/" +
                         info.Protocol +
                         (aliases.empty() ? ", no aliases" : ", aliases " + aliases);
    } else {
        result.code = services_.sockets.lastError();
        result.exitCode = exitcode::kService;
        result.message = "no such service in the services database";
    }
    return Publish(result);
}

CheckResult Checker::Native(const ServerTarget& target) {
    CheckResult result;
    result.layer = "listener";
    result.target = target.server + " (" + target.host + ", " + target.service + ", " +
                    (target.protocol.empty() ? "TCP" : target.protocol) + ")";
    progress_.started(result.layer, result.target);
    const auto start = Clock::now();
    serverdir::LocalNativeConnector connector(services_.network, request_.timeout);
    connector.PingServer(target.server, target.host, target.service, target.protocol,
                         request_.user.value_or(""), "", "");
    result.code = connector.SqlCode();
    result.state = connector.SqlState();
    result.exitCode = ExitCodeOf(connector.Outcome());
    result.ok = result.exitCode == exitcode::kOk;
    result.message = serverdir::CodeOf(connector.Outcome()).meaning;
    if (!connector.Detail().empty()) {
        result.message += " (" + connector.Detail() + ")";
    }
    result.elapsedMs = MsSince(start);
    result.log = {"SQLSTATE = " + result.state, "SQLCODE = " + std::to_string(result.code)};
    return Publish(result);
}

CheckResult Checker::Connect(const std::string& connectionString, const std::string& password) {
    CheckResult result;
    result.layer = "connect";
    result.target = Scrub(connectionString, password);
    // On another machine, the driver looks the host up there.
    if (auto failed = request_.on
                          ? std::nullopt
                          : GuardNameLookup(ConnectionStringHost(connectionString, services_))) {
        return *failed;
    }
    progress_.started(result.layer, result.target);
    const auto start = Clock::now();
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(request_.timeout);
    std::unique_ptr<complus::ConnectionTester> chosen;
    if (request_.on) {
        complus::RemoteTesterSettings remote =
            *complus::ChosenRemoteTester(request_.on, services_.files);
        remote.loginTimeout = seconds;
        chosen = std::make_unique<complus::RemoteConnectionTester>(remote);
    } else {
        chosen = std::make_unique<complus::LocalConnectionTester>(services_.network,
                                                                  services_.registry, seconds);
    }
    complus::ConnectionTester& tester = *chosen;
    bool success = false;
    result.log.push_back("ATTEMPTING TO MAKE A CONNECTION");
    tester.Connect(connectionString, success);
    if (success) {
        result.log.push_back("CONNECTION WAS SUCCESSFUL");
        result.log.push_back("Properties After a Connection");
        for (const complus::Property& property : tester.ConnectionProperties()) {
            result.log.push_back(property.Name + "=" + complus::PropertyText(property.Value));
        }
        result.exitCode = exitcode::kOk;
        result.message = "connected";
    } else {
        result.log.push_back("CONNECTION FAILED");
        result.log.push_back(std::to_string(tester.ErrorNumber()));
        // The description holds one diagnostic record per line: a log line each, and one line
        // of words for the summary, the records parted by semicolons so that a password mask
        // in one record ends there and never swallows the next.
        const std::string description = tester.ErrorDescription();
        for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 2) {
            end = description.find("\r\n", at);
            result.log.push_back(description.substr(at, end - at));
            result.message += (at == 0 ? "" : "; ") + result.log.back();
        }
        result.code = tester.ErrorNumber();
        result.state = FirstSqlState(description);
        result.exitCode = result.code == complus::LocalConnectionTester::kProviderNotFound
                              ? exitcode::kDriver
                              : ExitCodeForSqlState(result.state, result.message);
    }
    result.log.push_back(tester.ResultText());
    result.ok = success;
    result.elapsedMs = MsSince(start);
    return Publish(result);
}

}  // namespace virelo::cli
