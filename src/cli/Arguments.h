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
    std::string command;                // host, service, native, ...; for Help, "" or a command
    std::vector<std::string> operands;  // the command's own arguments
    bool byAddress = false;
    bool udp = false;
    bool json = false;
    bool quiet = false;
    bool plugin = false;  // one status line for a monitoring system, and its exit codes
    std::optional<std::string> host, service, protocol, user, dsn, passwordFile;
    // Where a support report of the run goes: the header, then the whole output.
    std::optional<std::string> report;
    // The machine whose connection tester runs the connection test, reached through ssh.
    std::optional<std::string> on;
    // The longest a connection attempt or a name look-up may take.
    std::chrono::milliseconds timeout{10000};
};

// An option of the command line. A flag sets a Boolean member of the request, an option with a
// value a text member; the few that do more (--timeout, --help) are handled by name.
struct OptionEntry {
    const char* name;
    const char* alias;  // a second spelling, or nullptr
    const char* value;  // the value's name in the help, nullptr for a flag
    bool Request::*flag;
    std::optional<std::string> Request::*text;
    const char* help;
};

// A command: its operands, the options it takes besides the general ones, and its help.
struct CommandEntry {
    const char* name;
    std::size_t minOperands, maxOperands;
    const char* synopsis;  // the operands and options, as the help shows them
    std::vector<std::string> options;
    const char* help;
};

// The commands and the options, in the order the help lists them. A command or an option is
// added here, and the help and the parser follow.
const std::vector<CommandEntry>& Commands();
const std::vector<OptionEntry>& Options();
const CommandEntry* FindCommand(const std::string& name);

// A request, or the reason the command line is wrong.
struct Parsed {
    Request request;
    std::string error;  // empty when the command line is right
};

// Reads the arguments after the program name. Options may stand before or after the command.
Parsed ParseArguments(const std::vector<std::string>& arguments);

// The text of --help, which doubles as the manual, and that of COMMAND --help.
std::string HelpText();
std::string CommandHelp(const CommandEntry& command);

}  // namespace virelo::cli
