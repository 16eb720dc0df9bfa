// virelo-check: the checks of the Virelo window from the command line. See --help.
#include <iostream>

#include "cli/Arguments.h"
#include "cli/Checker.h"
#include "cli/Password.h"
#include "cli/Report.h"
#include "platform/CoreDumps.h"
#include "platform/System.h"

namespace virelo::cli {
namespace {

int Usage(const std::string& error) {
    // An argument quoted in the error may hold a password (--password=...).
    std::cerr << "virelo-check: " << Scrub(error, "") << "\nTry 'virelo-check --help' for more.\n";
    return exitcode::kUsage;
}

// Whether a command needs a password: a login with a user name, or a connection string that
// says where the password goes.
bool NeedsPassword(const Request& request) {
    if (request.command == "connect") {
        return request.operands[0].find("{PASSWORD}") != std::string::npos;
    }
    return request.user.has_value() && (request.command != "diagnose" || request.dsn.has_value());
}

std::vector<CheckResult> RunChecks(Checker& checker, const Request& request,
                                   const std::string& password) {
    const std::string& first = request.operands[0];
    if (request.command == "host") {
        return checker.Host(first, request.byAddress);
    }
    if (request.command == "service") {
        return {checker.Service(first, request.udp)};
    }
    if (request.command == "native") {
        return {checker.Native(first, request.host, request.service, request.protocol)};
    }
    if (request.command == "connect") {
        // The password goes in braces, so that ; = and } in it stay part of it.
        std::string braced = "{";
        for (const char c : password) {
            braced += c == '}' ? std::string("}}") : std::string(1, c);
        }
        braced += "}";
        std::string text = first;
        for (auto at = text.find("{PASSWORD}"); at != std::string::npos;
             at = text.find("{PASSWORD}", at + braced.size())) {
            text.replace(at, 10, braced);
        }
        return {checker.Connect(text, password)};
    }
    if (request.command == "odbc") {
        return {checker.Odbc(first, password)};
    }
    if (request.command == "jdbc") {
        return {checker.Jdbc(first, request.operands[1], password)};
    }
    return checker.Diagnose(first, password);
}

// The checks of the request; a check that cannot run at all is reported as a failure of its own.
std::vector<CheckResult> Run(Checker& checker, const Request& request,
                             const std::string& password) {
    try {
        return RunChecks(checker, request, password);
    } catch (const Error& error) {
        CheckResult failed;
        failed.layer = request.command;
        failed.target = request.operands[0];
        failed.message = "the check could not run: " + error.description();
        return {failed};
    }
}

void ScrubAll(std::vector<CheckResult>& results, const std::string& password) {
    for (CheckResult& result : results) {
        result.target = Scrub(result.target, password);
        result.message = Scrub(result.message, password);
        for (std::string& line : result.log) {
            line = Scrub(line, password);
        }
    }
}

int Main(const std::vector<std::string>& arguments) {
    platform::SystemTerminal terminal;
    terminal.keepRunningOnBrokenOutput();
    const Parsed parsed = ParseArguments(arguments);
    if (!parsed.error.empty()) {
        return Usage(parsed.error);
    }
    const Request& request = parsed.request;
    if (request.action != Request::Action::Check) {
        std::cout << (request.action == Request::Action::Help
                          ? HelpText()
                          : std::string("virelo-check ") + VIRELO_VERSION + "\n");
        return std::cout.flush() ? exitcode::kOk : exitcode::kOutput;
    }

    platform::SystemServices system;
    // Only the checks that log in read a password: a host, service or native check never looks
    // at VIRELO_PASSWORD, so a monitoring job's environment cannot make them fail.
    const bool logsIn = request.command != "host" && request.command != "service" &&
                        request.command != "native" &&
                        (request.command != "diagnose" || request.dsn.has_value());
    const PasswordResult password =
        logsIn ? ObtainPassword(request, NeedsPassword(request), system.files, terminal)
               : PasswordResult{};
    if (!password.error.empty()) {
        return Usage(password.error);
    }
    Checker checker({system.sockets, system.icmp, system.files, system.clock, system.processes,
                     system.network, system.registry},
                    request);
    std::vector<CheckResult> results = Run(checker, request, password.password);
    ScrubAll(results, password.password);
    const int exitCode = ExitCodeOf(results);

    if (!(request.quiet && exitCode == exitcode::kOk)) {
        if (request.json) {
            Request shown = request;
            for (std::string& operand : shown.operands) {
                operand = Scrub(operand, password.password);
            }
            PrintJson(std::cout, shown, results);
        } else if (request.quiet) {
            for (const CheckResult& result : results) {
                if (!result.ok) {
                    std::cerr << "virelo-check: " << Summary(result) << '\n';
                    break;
                }
            }
        } else {
            PrintText(std::cout, results);
        }
    }
    if (!std::cout.flush()) {
        std::cerr << "virelo-check: the report could not be written\n";
        return exitcode::kOutput;
    }
    return exitCode;
}

}  // namespace
}  // namespace virelo::cli

int main(int argc, char** argv) {
    // Before any password is read.
    virelo::platform::ForbidCoreDumps();
    return virelo::cli::Main(virelo::platform::StartProgram(argc, argv));
}
