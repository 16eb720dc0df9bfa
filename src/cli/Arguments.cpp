#include "cli/Arguments.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "tcpip/ServiceInfo.h"

namespace virelo::cli {
namespace {

std::optional<std::chrono::milliseconds> Seconds(const std::string& text) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) ||
        seconds <= 0 || seconds > 3600) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::ceil(seconds * 1000)));
}

const OptionEntry* FindOption(const std::string& name) {
    for (const OptionEntry& option : Options()) {
        if (name == option.name || (option.alias != nullptr && name == option.alias)) {
            return &option;
        }
    }
    return nullptr;
}

// An option that no command lists applies to every command.
bool Applies(const std::string& option, const CommandEntry& command) {
    const auto listed = [&option](const CommandEntry& each) {
        return std::find(each.options.begin(), each.options.end(), option) != each.options.end();
    };
    return listed(command) || std::none_of(Commands().begin(), Commands().end(), listed);
}

// What is wrong with a command line whose words are all known, or "".
std::string CheckCommand(const Request& request, const std::vector<std::string>& given) {
    const CommandEntry* command = FindCommand(request.command);
    if (command == nullptr) {
        return "unknown command \"" + request.command + "\"";
    }
    const std::size_t count = request.operands.size();
    if (count < command->minOperands || count > command->maxOperands) {
        const std::string expected = command->minOperands == command->maxOperands
                                         ? std::to_string(command->maxOperands)
                                         : std::to_string(command->minOperands) + " or " +
                                               std::to_string(command->maxOperands);
        return request.command + " takes " + expected +
               (command->maxOperands == 1 ? " argument" : " arguments") + ", not " +
               std::to_string(count);
    }
    for (const std::string& option : given) {
        if (!Applies(option, *command)) {
            return option + " does not apply to " + request.command;
        }
    }
    for (const std::string& operand : request.operands) {
        if (operand.empty()) {
            return request.command + ": an argument is empty";
        }
    }
    if (count == 0 && command->maxOperands > 0 && (!request.host || !request.service)) {
        return request.command +
               " needs a SERVER of the server directory, or --host and --service (or --port)";
    }
    if (request.command == "diagnose" && request.user && !request.dsn) {
        return "--user applies to the ODBC login of diagnose, which --dsn asks for";
    }
    if (request.command == "service") {
        // A port is looked up by number only when it is one; the window's log would only say
        // "too large", and the summary something else.
        const auto number = tcpip::ParsePortNumber(request.operands[0]);
        if (number && (*number != std::floor(*number) || *number < 0 || *number > 65535)) {
            return "service: " + request.operands[0] + " is not a port number (0-65535)";
        }
    }
    if (request.command == "list") {
        static const std::string kLists[] = {"servers", "dsns", "drivers", "sources"};
        if (std::find(std::begin(kLists), std::end(kLists), request.operands[0]) ==
            std::end(kLists)) {
            return "list shows servers, dsns, drivers or sources, not \"" + request.operands[0] +
                   "\"";
        }
    }
    if (request.plugin && (request.command == "list" || request.command == "report")) {
        return "--plugin does not apply to " + request.command;
    }
    if (request.report && request.command == "list") {
        return "--report does not apply to list";
    }
    if (request.plugin && (request.json || request.quiet)) {
        return "--plugin prints one status line: it goes with neither --json nor -q";
    }
    return "";
}

}  // namespace

Parsed ParseArguments(const std::vector<std::string>& arguments) {
    Parsed parsed;
    Request& request = parsed.request;
    std::vector<std::string> given;  // options used, to check them against the command
    std::vector<std::string> positional;
    const auto fail = [&parsed](const std::string& reason) {
        parsed.error = reason;
        return parsed;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        std::optional<std::string> attached;
        if (argument.rfind("--", 0) == 0 && argument.find('=') != std::string::npos) {
            attached = argument.substr(argument.find('=') + 1);
            argument.erase(argument.find('='));
        }
        if (argument == "--") {
            positional.insert(positional.end(), arguments.begin() + static_cast<long>(i) + 1,
                              arguments.end());
            break;
        }
        const OptionEntry* option = FindOption(argument);
        if (option == nullptr) {
            if (argument == "--password" || argument == "-p") {
                return fail(
                    "a password is never given on the command line, where other users can "
                    "read it: use --password-file, VIRELO_PASSWORD or the prompt");
            }
            if ((argument.size() > 1 && argument[0] == '-') || attached) {
                return fail("unknown option " + argument);
            }
            positional.push_back(arguments[i]);
            continue;
        }
        const std::string name = option->name;
        if (option->value == nullptr) {
            if (attached) {
                return fail(name + " takes no value");
            }
            if (name == "--help") {
                request.action = Request::Action::Help;
            } else if (name == "--version" && request.action != Request::Action::Help) {
                request.action = Request::Action::Version;
            } else if (option->flag != nullptr) {
                request.*(option->flag) = true;
            }
            given.push_back(name);
            continue;
        }
        std::optional<std::string> value = attached;
        if (!value && i + 1 < arguments.size()) {
            value = arguments[++i];
        }
        if (name == "--timeout") {
            if (!value) {
                return fail("--timeout needs a number of seconds");
            }
            const auto timeout = Seconds(*value);
            if (!timeout) {
                return fail("--timeout takes a number of seconds above 0 and at most 3600, not \"" +
                            *value + "\"");
            }
            request.timeout = *timeout;
        } else if (!value || (value->empty() && name != "--protocol")) {
            return fail(name + " needs a value");
        } else {
            request.*(option->text) = *value;
        }
        given.push_back(name);
    }
    if (request.action != Request::Action::Check) {
        // COMMAND --help shows that command's help; a word that is no command, the general one.
        if (!positional.empty() && FindCommand(positional.front()) != nullptr) {
            request.command = positional.front();
        }
        return parsed;
    }
    if (positional.empty()) {
        return fail("no command given");
    }
    request.command = positional.front();
    request.operands.assign(positional.begin() + 1, positional.end());
    return fail(CheckCommand(request, given));
}

}  // namespace virelo::cli
