#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace virelo::cli {

// What the command line asks for.
struct Request {
    enum class Action { Check, Help, Version };
    Action action = Action::Check;
    std::string command;                // host, service, native, odbc, connect, jdbc, diagnose
    std::vector<std::string> operands;  // the command's own arguments
    bool byAddress = false;
    bool udp = false;
    bool json = false;
    bool quiet = false;
    std::optional<std::string> host, service, protocol, user, dsn, passwordFile;
    // The longest a connection attempt may take (a listener, a login, the Java test class).
    std::chrono::milliseconds timeout{10000};
};

// A request, or the reason the command line is wrong.
struct Parsed {
    Request request;
    std::string error;  // empty when the command line is right
};

// Reads the arguments after the program name. Options may stand before or after the command.
Parsed ParseArguments(const std::vector<std::string>& arguments);

// The text of --help, which doubles as the manual.
std::string HelpText();

}  // namespace virelo::cli
