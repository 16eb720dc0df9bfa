// virelo-check: the checks of the Virelo window from the command line. See --help.
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <memory>

#include "cli/Arguments.h"
#include "cli/Checker.h"
#include "cli/ListCommands.h"
#include "cli/Password.h"
#include "cli/Report.h"
#include "cli/Reporter.h"
#include "cli/SupportReport.h"
#include "complus/LocalConnectionTester.h"
#include "complus/TesterProtocol.h"
#include "platform/CoreDumps.h"
#include "platform/System.h"

namespace virelo::cli {
namespace {

// Ends a run before any check: one UNKNOWN line for a monitoring system, else the reason on
// standard error.
int Refuse(const std::string& shown, bool plugin, const char* after, int exitCode) {
    if (plugin) {
        const PluginStatus status = PluginUsageError(shown);
        std::cout << status.line << std::endl;
        return status.exitCode;
    }
    std::cerr << "virelo-check: " << shown << after;
    return exitCode;
}

// The exit code of a run whose output is complete when standard output took it all, and says
// so when it did not.
int Written(bool written, int exitCode = exitcode::kOk) {
    if (written) {
        return exitCode;
    }
    std::cerr << "virelo-check: the report could not be written\n";
    return exitcode::kOutput;
}

int Usage(const std::string& error, bool plugin) {
    // An argument quoted in the error may hold a password (--password=...).
    return Refuse(Scrub(error, ""), plugin, "\nTry 'virelo-check --help' for more.\n",
                  exitcode::kUsage);
}

// Whether a command needs a password: a login with a user name, or a connection string that
// says where the password goes.
bool NeedsPassword(const Request& request) {
    if (request.command == "connect") {
        return request.operands[0].find("{PASSWORD}") != std::string::npos;
    }
    return request.user.has_value() && (request.command != "diagnose" || request.dsn.has_value());
}

// A connection string or URL on the command line that holds a password itself: other users can
// read it in the process list, which the user is told.
bool ShowsPassword(const Request& request) {
    if (request.command != "connect" && request.command != "jdbc") {
        return false;
    }
    std::string text = request.operands.back();
    for (auto at = text.find("{PASSWORD}"); at != std::string::npos; at = text.find("{PASSWORD}")) {
        text.replace(at, 10, "########");
    }
    return Scrub(text, "") != text;
}

std::string Braced(const std::string& password) {
    std::string braced = "{";
    for (const char c : password) {
        braced += c == '}' ? std::string("}}") : std::string(1, c);
    }
    return braced + "}";
}

using Runner = std::function<void(Checker&, const Request&, const std::string& password)>;

// What each command runs; its operands and options are in the command table (CommandTable.cpp).
const std::map<std::string, Runner>& Runners() {
    static const std::map<std::string, Runner> kRunners = {
        {"host", [](Checker& c, const Request& r,
                    const std::string&) { c.Host(r.operands[0], r.byAddress); }},
        {"service",
         [](Checker& c, const Request& r, const std::string&) { c.Service(r.operands[0], r.udp); }},
        {"native",
         [](Checker& c, const Request& r, const std::string&) {
             const auto server = r.operands.empty() ? std::nullopt : std::optional(r.operands[0]);
             if (const auto target = c.TargetOf(server)) {
                 c.Native(*target);
             }
         }},
        {"connect",
         [](Checker& c, const Request& r, const std::string& password) {
             // The password goes in braces, so that ; = and } in it stay part of it.
             const std::string braced = Braced(password);
             std::string text = r.operands[0];
             for (auto at = text.find("{PASSWORD}"); at != std::string::npos;
                  at = text.find("{PASSWORD}", at + braced.size())) {
                 text.replace(at, 10, braced);
             }
             c.Connect(text, password);
         }},
        {"odbc", [](Checker& c, const Request& r,
                    const std::string& password) { c.Odbc(r.operands[0], password); }},
        {"jdbc",
         [](Checker& c, const Request& r, const std::string& password) {
             c.Jdbc(r.operands[0], r.operands[1], password);
         }},
        {"diagnose",
         [](Checker& c, const Request&, const std::string& password) { c.Diagnose(password); }},
    };
    return kRunners;
}

int Main(const std::vector<std::string>& arguments) {
    platform::SystemTerminal terminal;
    terminal.keepRunningOnBrokenOutput();
    const bool plugin =
        std::find(arguments.begin(), arguments.end(), "--plugin") != arguments.end();
    const Parsed parsed = ParseArguments(arguments);
    if (!parsed.error.empty()) {
        return Usage(parsed.error, plugin);
    }
    const Request& request = parsed.request;
    if (request.action != Request::Action::Check) {
        const CommandEntry* command = FindCommand(request.command);
        std::cout << (request.action == Request::Action::Version
                          ? std::string("virelo-check ") + VIRELO_VERSION + "\n"
                      : command != nullptr ? CommandHelp(*command)
                                           : HelpText());
        return Written(static_cast<bool>(std::cout.flush()));
    }

    // Name look-ups wait for the name service at most as long as a connection attempt may take.
    platform::SystemServices system({request.timeout, request.quiet});
    if (request.command == "list") {
        const int exitCode = PrintList(std::cout, request, system.registry,
                                       system.registryOrigins(), system.network);
        return Written(exitCode != exitcode::kOutput, exitCode);
    }
    if (request.command == "serve-tester") {
        complus::LocalConnectionTester tester(
            system.network, system.registry,
            std::chrono::ceil<std::chrono::seconds>(request.timeout));
        complus::ServeTester(tester, std::cin, std::cout);
        return exitcode::kOk;
    }
    // The support report's file is taken before anything runs, so that a name that cannot be
    // used costs no check; its header is made as the run begins.
    std::optional<report::Header> header;
    if (request.report || request.command == "report") {
        if (request.report) {
            const platform::FileStatus reserved = system.files.reserve(*request.report);
            if (!reserved.ok()) {
                // A report file that cannot be created ends the run before any check.
                return Refuse("the report cannot be written: " + reserved.reason, plugin, "\n",
                              exitcode::kOutput);
            }
        }
        header = report::GatherHeader({system.files, system.processes, system.registryOrigins(),
                                       std::string("virelo-check ") + VIRELO_VERSION, "",
                                       request.command == "jdbc"});
    }
    if (request.command == "report") {
        const std::string text = HeaderOutput(request, *header);
        std::cout << text;
        const bool written =
            !request.report || WriteReportFile(system.files, *request.report, text, std::cerr);
        return written ? Written(static_cast<bool>(std::cout.flush())) : exitcode::kOutput;
    }
    if (ShowsPassword(request) && !request.quiet) {
        std::cerr << "virelo-check: warning: the password in the " << request.command
                  << " argument can be read by other users of this machine while the check "
                     "runs; write {PASSWORD} in its place and give it through --password-file "
                     "or VIRELO_PASSWORD\n";
    }
    // Only the checks that log in read a password: a host, service or native check never looks
    // at VIRELO_PASSWORD, so a monitoring job's environment cannot make them fail.
    const bool logsIn = request.command != "host" && request.command != "service" &&
                        request.command != "native" &&
                        (request.command != "diagnose" || request.dsn.has_value());
    const PasswordResult password =
        logsIn ? ObtainPassword(request, NeedsPassword(request), system.files, terminal)
               : PasswordResult{};
    if (!password.error.empty()) {
        return Usage(password.error, plugin);
    }
    const auto noColour = system.files.environment("NO_COLOR");
    const bool colour = terminal.outputIsTerminal() && !(noColour && !noColour->empty());
    // Shared with the thread that reports an interruption, which may outlast this function.
    const auto reporter =
        std::make_shared<Reporter>(std::cout, std::cerr, request, password.password, colour);
    if (request.report) {
        reporter->writeReportTo(system.files, *request.report, std::move(*header));
    }
    terminal.onInterrupt([reporter](const platform::Interruption& interruption) {
        const int exitCode = reporter->interrupt(interruption);
        if (exitCode >= 0) {
            std::_Exit(exitCode);
        }
    });
    {
        Checker checker({system.sockets, system.icmp, system.files, system.clock, system.processes,
                         system.network, system.registry, system.registryOrigins()},
                        request, *reporter);
        try {
            Runners().at(request.command)(checker, request, password.password);
        } catch (const Error& error) {
            // A check that cannot run at all is reported as a failure of its own.
            CheckResult failed;
            failed.layer = request.command;
            failed.target =
                request.operands.empty() ? request.host.value_or("") : request.operands[0];
            failed.message = "the check could not run: " + error.description();
            reporter->finished(failed);
        }
    }
    return reporter->finish();
}

}  // namespace
}  // namespace virelo::cli

int main(int argc, char** argv) {
    // Before any password is read.
    virelo::platform::ForbidCoreDumps();
    return virelo::cli::Main(virelo::platform::StartProgram(argc, argv));
}
