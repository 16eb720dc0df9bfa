#include "cli/Checker.h"

#include <chrono>

#include "cli/Classify.h"
#include "cli/Password.h"
#include "complus/ConnectionString.h"
#include "complus/LocalConnectionTester.h"
#include "serverdir/LocalNativeConnector.h"
#include "serverdir/RegAccess.h"
#include "tcpip/EchoReply.h"

namespace virelo::cli {
namespace {

using Clock = std::chrono::steady_clock;
using serverdir::NativeOutcome;

std::int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

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

// The server's entry in the server directory: host, service, protocol; nothing when absent.
std::optional<std::array<std::string, 3>> DirectoryEntry(platform::Registry& registry,
                                                         const std::string& server) {
    using serverdir::ServerTable;
    const ServerTable table = serverdir::RegAccess(registry).GetSqlhostsServers();
    for (int column = 0; column <= table.UpperBound(); ++column) {
        if (!server.empty() && table.at(ServerTable::kName, column) == server) {
            return std::array<std::string, 3>{table.at(ServerTable::kHost, column),
                                              table.at(ServerTable::kService, column),
                                              table.at(ServerTable::kProtocol, column)};
        }
    }
    return std::nullopt;
}

CheckResult NotInDirectory(const std::string& server) {
    CheckResult result;
    result.layer = "directory";
    result.target = server;
    result.message = "the server " + server + " is not in the server directory";
    result.exitCode = exitcode::kOther;
    return result;
}

}  // namespace

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

Checker::Checker(Services services, const Request& request)
    : services_(services),
      request_(request),
      general_(services.files, services.clock, services.processes),
      tcpip_(services.sockets, services.icmp, general_) {
    tcpip_.InitSockets();
}

Checker::~Checker() {
    tcpip_.CleanupSockets();
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

std::vector<CheckResult> Checker::Host(const std::string& target, bool byAddress) {
    std::vector<CheckResult> results;
    auto start = Clock::now();
    std::string log = NewLog();
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
        resolve.message = "the host cannot be resolved (Windows Sockets error " +
                          std::to_string(resolve.code) + ")";
    }
    results.push_back(resolve);
    if (!resolve.ok) {
        return results;
    }
    for (std::int16_t i = 0; i < info.AddrCount; ++i) {
        const std::string& address = (*info.Addresses)[static_cast<std::size_t>(i)];
        start = Clock::now();
        log = NewLog();
        tcpip::EchoReply reply;
        const std::int32_t status = tcpip_.PingAddress(address, "Hello There", reply, log);
        CheckResult echo;
        echo.layer = "echo";
        echo.target = address;
        echo.ok = status == 0;
        echo.code = status;
        echo.exitCode = echo.ok ? exitcode::kOk : exitcode::kEcho;
        echo.message = tcpip::IcmpStatusText(status);
        echo.elapsedMs = MsSince(start);
        echo.log = Lines(tcpip::EchoReport(address, status, reply, services_.clock.timeOfDay()));
        for (std::string& line : TakeLog(log)) {
            // No echo request could be sent at all (no permission to open an ICMP socket): that
            // says nothing about the host, so it is no echo failure, and the reason is told.
            const auto unsent = line.find("No echo request sent to ");
            if (unsent != std::string::npos) {
                echo.exitCode = exitcode::kOther;
                echo.message = "not tested: " + line.substr(unsent);
            }
            echo.log.push_back(std::move(line));
        }
        results.push_back(echo);
    }
    return results;
}

CheckResult Checker::Service(const std::string& target, bool udp) {
    const auto start = Clock::now();
    const std::string log = NewLog();
    const std::string protocol = udp ? "UDP" : "TCP";
    const bool byPort = tcpip::ParsePortNumber(target).has_value();
    const tcpip::ServiceInfo info = byPort ? tcpip_.GetServiceByPort(target, protocol, log)
                                           : tcpip_.GetServiceByName(target, protocol, log);
    CheckResult result;
    result.layer = "service";
    result.target = target + "/" + (udp ? "udp" : "tcp");
    result.ok = !info.ServiceName.empty();
    result.elapsedMs = MsSince(start);
    result.log = TakeLog(log);
    if (result.ok) {
        result.exitCode = exitcode::kOk;
        result.code = std::stoi(info.Port);
        result.message =
            "service " + info.ServiceName + " is port " + info.Port + "/" + info.Protocol;
    } else {
        result.code = services_.sockets.lastError();
        result.exitCode = exitcode::kService;
        result.message = "no such service in the services database";
    }
    return result;
}

CheckResult Checker::Native(const std::string& server, std::optional<std::string> host,
                            std::optional<std::string> service,
                            std::optional<std::string> protocol) {
    const auto start = Clock::now();
    if (!host || !service || !protocol) {
        const auto entry = DirectoryEntry(services_.registry, server);
        if (!entry) {
            return NotInDirectory(server);
        }
        host = host.value_or((*entry)[0]);
        service = service.value_or((*entry)[1]);
        protocol = protocol.value_or((*entry)[2]);
    }
    serverdir::LocalNativeConnector connector(services_.network, request_.timeout);
    connector.PingServer(server, *host, *service, *protocol, request_.user.value_or(""), "", "");
    CheckResult result;
    result.layer = "listener";
    result.target = server + " (" + *host + ", " + *service + ", " + *protocol + ")";
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
    return result;
}

CheckResult Checker::Connect(const std::string& connectionString, const std::string& password) {
    const auto start = Clock::now();
    CheckResult result;
    result.layer = "connect";
    result.target = Scrub(connectionString, password);
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(request_.timeout);
    complus::LocalConnectionTester tester(services_.network, services_.registry, seconds);
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
        result.exitCode = tester.ErrorNumber() == complus::LocalConnectionTester::kProviderNotFound
                              ? exitcode::kDriver
                              : ExitCodeForSqlState(result.state, result.message);
    }
    result.log.push_back(tester.ResultText());
    result.ok = success;
    result.elapsedMs = MsSince(start);
    return result;
}

std::vector<CheckResult> Checker::Diagnose(const std::string& server, const std::string& password) {
    std::vector<CheckResult> results;
    const auto entry = DirectoryEntry(services_.registry, server);
    if (!entry) {
        results.push_back(NotInDirectory(server));
        return results;
    }
    const auto& [host, service, protocol] = *entry;
    // Host look-up, then the echo layer, which passes when any address answers (a server may
    // leave some of its addresses unanswered).
    std::vector<CheckResult> hostChecks = Host(host, false);
    results.push_back(hostChecks.front());
    if (!hostChecks.front().ok) {
        return results;
    }
    CheckResult echo;
    echo.layer = "echo";
    echo.target = host;
    int answered = 0;
    int unsent = 0;
    for (std::size_t i = 1; i < hostChecks.size(); ++i) {
        const CheckResult& one = hostChecks[i];
        answered += one.ok ? 1 : 0;
        unsent += !one.ok && one.exitCode == exitcode::kOther ? 1 : 0;
        if (!one.ok && echo.code == 0) {
            echo.code = one.code;
        }
        echo.elapsedMs += one.elapsedMs;
        echo.log.insert(echo.log.end(), one.log.begin(), one.log.end());
    }
    const int addresses = static_cast<int>(hostChecks.size()) - 1;
    echo.ok = answered > 0;
    echo.exitCode = echo.ok ? exitcode::kOk : exitcode::kEcho;
    echo.message = std::to_string(answered) + " of " + std::to_string(addresses) +
                   " address(es) answered the echo request";
    if (!echo.ok && unsent == addresses) {
        // Not one echo request could be sent: the layer is not tested, and the walk goes on.
        echo.skipped = true;
        echo.message = hostChecks[1].message;
    }
    results.push_back(echo);
    if (!echo.ok && !echo.skipped) {
        return results;
    }
    if (!serverdir::PortNumber(service)) {
        results.push_back(Service(service, false));
        if (!results.back().ok) {
            return results;
        }
    }
    results.push_back(Native(server, host, service, protocol));
    if (results.back().ok && request_.dsn) {
        results.push_back(Odbc(*request_.dsn, password));
    }
    return results;
}

}  // namespace virelo::cli
