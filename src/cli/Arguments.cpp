#include "cli/Arguments.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace virelo::cli {
namespace {

struct CommandShape {
    std::size_t operands;
    std::vector<std::string> options;  // the value options and flags it accepts
};

const std::map<std::string, CommandShape>& Commands() {
    static const std::map<std::string, CommandShape> kCommands = {
        {"host", {1, {"--by-address"}}},
        {"service", {1, {"--udp"}}},
        {"native", {1, {"--host", "--service", "--protocol"}}},
        {"odbc", {1, {"--user", "--password-file"}}},
        {"connect", {1, {"--password-file"}}},
        {"jdbc", {2, {"--user", "--password-file"}}},
        {"diagnose", {1, {"--dsn", "--user", "--password-file"}}},
    };
    return kCommands;
}

std::optional<std::chrono::milliseconds> Seconds(const std::string& text) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) ||
        seconds <= 0 || seconds > 3600) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::ceil(seconds * 1000)));
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
        const auto value = [&]() -> std::optional<std::string> {
            if (attached) {
                return attached;
            }
            if (i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };
        if (argument == "--") {
            positional.insert(positional.end(), arguments.begin() + static_cast<long>(i) + 1,
                              arguments.end());
            break;
        }
        if (argument == "-h" || argument == "--help") {
            request.action = Request::Action::Help;
            return parsed;
        }
        if (argument == "-V" || argument == "--version") {
            request.action = Request::Action::Version;
            return parsed;
        }
        const bool flag = argument == "-q" || argument == "--quiet" || argument == "--json" ||
                          argument == "--by-address" || argument == "--udp";
        if (flag && attached) {
            return fail(argument + " takes no value");
        }
        if (argument == "-q" || argument == "--quiet") {
            request.quiet = true;
        } else if (argument == "--json") {
            request.json = true;
        } else if (argument == "--by-address" || argument == "--udp") {
            (argument == "--udp" ? request.udp : request.byAddress) = true;
            given.push_back(argument);
        } else if (argument == "--timeout") {
            const auto text = value();
            if (!text) {
                return fail("--timeout needs a number of seconds");
            }
            const auto timeout = Seconds(*text);
            if (!timeout) {
                return fail("--timeout takes a number of seconds above 0 and at most 3600, not \"" +
                            *text + "\"");
            }
            request.timeout = *timeout;
        } else if (argument == "--host" || argument == "--service" || argument == "--protocol" ||
                   argument == "--user" || argument == "--dsn" || argument == "--password-file") {
            const auto text = value();
            if (!text || text->empty()) {
                return fail(argument + " needs a value");
            }
            std::optional<std::string>& slot = argument == "--host"       ? request.host
                                               : argument == "--service"  ? request.service
                                               : argument == "--protocol" ? request.protocol
                                               : argument == "--user"     ? request.user
                                               : argument == "--dsn"      ? request.dsn
                                                                          : request.passwordFile;
            slot = *text;
            given.push_back(argument);
        } else if (argument == "--password" || argument == "-p") {
            return fail(
                "a password is never given on the command line, where other users can "
                "read it: use --password-file, VIRELO_PASSWORD or the prompt");
        } else if (argument.size() > 1 && argument[0] == '-' && !attached) {
            return fail("unknown option " + argument);
        } else if (attached) {
            return fail("unknown option " + argument);
        } else {
            positional.push_back(arguments[i]);
        }
    }
    if (positional.empty()) {
        return fail("no command given");
    }
    request.command = positional.front();
    request.operands.assign(positional.begin() + 1, positional.end());
    const auto shape = Commands().find(request.command);
    if (shape == Commands().end()) {
        return fail("unknown command \"" + request.command + "\"");
    }
    if (request.operands.size() != shape->second.operands) {
        return fail(request.command + " takes " + std::to_string(shape->second.operands) +
                    (shape->second.operands == 1 ? " argument" : " arguments") + ", not " +
                    std::to_string(request.operands.size()));
    }
    for (const std::string& option : given) {
        const auto& allowed = shape->second.options;
        if (std::find(allowed.begin(), allowed.end(), option) == allowed.end()) {
            return fail(option + " does not apply to " + request.command);
        }
    }
    if (request.command == "diagnose" && request.user && !request.dsn) {
        return fail("--user applies to the ODBC login of diagnose, which --dsn asks for");
    }
    for (const std::string& operand : request.operands) {
        if (operand.empty()) {
            return fail(request.command + ": an argument is empty");
        }
    }
    return parsed;
}

}  // namespace virelo::cli
