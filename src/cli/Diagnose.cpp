// The walk of diagnose through the layers of one server, and the look-ups that stand in front of
// the layers that a driver resolves by itself.
#include "cli/Checker.h"
#include "cli/DataSourceHost.h"
#include "serverdir/LocalNativeConnector.h"
#include "serverdir/RegAccess.h"

namespace virelo::cli {
namespace {

using Clock = std::chrono::steady_clock;
using serverdir::ServerTable;

CheckResult DirectoryFailure(const std::string& server, const std::string& message) {
    CheckResult result;
    result.layer = "directory";
    result.target = server;
    result.message = message;
    result.exitCode = exitcode::kOther;
    return result;
}

// The resolver's outcome as a check: every address it gave, or why it gave none.
CheckResult ResolveCheck(const std::string& host, const platform::ResolveResult& resolved,
                         std::int64_t elapsedMs) {
    CheckResult result;
    result.layer = "resolve";
    result.target = host;
    result.elapsedMs = elapsedMs;
    result.ok = resolved.status == platform::ResolveStatus::Ok;
    if (!result.ok) {
        result.exitCode = exitcode::kNameResolution;
        result.message = (resolved.status == platform::ResolveStatus::NotFound
                              ? "the host name is not known ("
                              : "the name service could not answer (") +
                         resolved.reason + ")";
        result.log = {"getaddrinfo " + host + ": " + resolved.reason};
        return result;
    }
    std::string addresses;
    for (const platform::Endpoint& endpoint : resolved.endpoints) {
        addresses += (addresses.empty() ? "" : ", ") + endpoint.text;
    }
    result.exitCode = exitcode::kOk;
    result.message = std::to_string(resolved.endpoints.size()) + " address(es): " + addresses;
    result.log = {"getaddrinfo " + host + ": " + addresses};
    return result;
}

}  // namespace

std::optional<ServerTarget> Checker::TargetOf(const std::optional<std::string>& server) {
    ServerTarget target;
    target.server = server.value_or(request_.host.value_or(""));
    bool inDirectory = false;
    if (server) {
        const ServerTable table = serverdir::RegAccess(services_.registry).GetSqlhostsServers();
        for (int column = 0; column <= table.UpperBound() && !inDirectory; ++column) {
            if (table.at(ServerTable::kName, column) == *server) {
                inDirectory = true;
                target.host = table.at(ServerTable::kHost, column);
                target.service = table.at(ServerTable::kService, column);
                target.protocol = table.at(ServerTable::kProtocol, column);
            }
        }
        if (!inDirectory && !(request_.host && request_.service)) {
            progress_.finished(DirectoryFailure(
                *server, "the server " + *server +
                             " is not in the server directory (--host and --service check a "
                             "server without an entry)"));
            return std::nullopt;
        }
    }
    target.host = request_.host.value_or(target.host);
    target.service = request_.service.value_or(target.service);
    target.protocol = request_.protocol.value_or(target.protocol);
    // A value the entry lacks reads as the registry's "Not Found": name it, and the entry's line.
    std::string missing;
    for (const auto& [name, value] : {std::pair{"HOST", target.host},
                                      {"SERVICE", target.service},
                                      {"PROTOCOL", target.protocol}}) {
        if (inDirectory && value == serverdir::kNotFound) {
            missing += std::string(missing.empty() ? "no " : " and no ") + name;
        }
    }
    if (!missing.empty()) {
        const std::string where =
            services_.origins == nullptr
                ? ""
                : services_.origins->origin(
                      platform::reg::kLocalMachine,
                      std::string(serverdir::kSqlhostsKey) + "\\" + target.server);
        progress_.finished(DirectoryFailure(
            target.server, "the entry " + target.server + " has " + missing + " value" +
                               (missing.find(" and ") != std::string::npos ? "s" : "") +
                               (where.empty() ? "" : " (" + where + ")")));
        return std::nullopt;
    }
    return target;
}

void Checker::Diagnose(const std::string& password) {
    const std::optional<std::string> server =
        request_.operands.empty() ? std::nullopt : std::optional(request_.operands[0]);
    const std::optional<ServerTarget> target = TargetOf(server);
    if (!target) {
        return;
    }
    // The look-up: every address, IPv4 and IPv6, as the native connection resolves them.
    progress_.started("resolve", target->host);
    auto start = Clock::now();
    const platform::ResolveResult resolved =
        services_.network.resolveHost(tcpip::Trim(target->host), request_.timeout);
    if (!Publish(ResolveCheck(target->host, resolved, MsSince(start))).ok) {
        return;
    }
    // The echo: passed when any address answers. No answer at all is a warning only, since
    // many servers and firewalls drop echo requests; the later layers decide.
    CheckResult echo;
    echo.layer = "echo";
    echo.target = target->host;
    progress_.started(echo.layer, echo.target);
    std::size_t answered = 0;
    std::size_t unsent = 0;
    for (const platform::Endpoint& endpoint : resolved.endpoints) {
        const CheckResult one = Echo(endpoint);
        answered += one.ok ? 1 : 0;
        unsent += one.skipped ? 1 : 0;
        if (!one.ok && echo.code == 0) {
            echo.code = one.code;
        }
        echo.elapsedMs += one.elapsedMs;
        echo.log.insert(echo.log.end(), one.log.begin(), one.log.end());
        if (one.skipped) {
            echo.message = one.message;
        }
    }
    const std::size_t addresses = resolved.endpoints.size();
    echo.ok = answered > 0;
    echo.exitCode = echo.ok ? exitcode::kOk : exitcode::kEcho;
    if (!echo.ok && unsent == addresses) {
        echo.skipped = true;  // not one echo request could be sent: the layer is not tested
        echo.exitCode = exitcode::kNotTested;
    } else {
        echo.warning = !echo.ok;
        echo.message = std::to_string(answered) + " of " + std::to_string(addresses) +
                       " address(es) answered the echo request" +
                       (echo.ok ? "" : " (many servers and firewalls drop echo requests)");
    }
    Publish(echo);
    // The service: a port number passes as it is; a name must be in the services database.
    if (const auto port = serverdir::PortNumber(target->service)) {
        CheckResult service;
        service.layer = "service";
        service.target = target->service + "/tcp";
        service.ok = true;
        service.exitCode = exitcode::kOk;
        service.code = *port;
        service.message = "port " + std::to_string(*port) + ", a port number (1-65535)";
        progress_.started(service.layer, service.target);
        Publish(service);
    } else if (!Service(target->service, false).ok) {
        return;
    }
    if (Native(*target).ok && request_.dsn) {
        Odbc(*request_.dsn, password);
    }
}

std::optional<CheckResult> Checker::GuardNameLookup(const std::string& host) {
    if (host.empty()) {
        return std::nullopt;
    }
    progress_.started("resolve", host);
    const auto start = Clock::now();
    const platform::ResolveResult resolved = services_.network.resolveHost(host, request_.timeout);
    // Only a look-up that ran out of time stops the check: any other answer is the driver's to
    // give, in its own words.
    if (resolved.status != platform::ResolveStatus::TimedOut) {
        return std::nullopt;
    }
    return Publish(ResolveCheck(host, resolved, MsSince(start)));
}

}  // namespace virelo::cli
