#include "cli/Arguments.h"

namespace virelo::cli {
namespace {

// A help text wrapped at blanks into lines of at most `width` characters, every line after the
// first indented by `indent` blanks.
std::string Wrapped(const std::string& text, std::size_t indent, std::size_t width) {
    std::string out;
    std::size_t column = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(" \n", start);
        end = end == std::string::npos ? text.size() : end;
        const std::string word = text.substr(start, end - start);
        if (column > 0 && column + 1 + word.size() > width) {
            out += "\n" + std::string(indent, ' ');
            column = 0;
        } else if (column > 0) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        start = end + 1;
    }
    return out;
}

// "  --name VALUE, -a" and its help, the help starting in column 25 (or on the next line).
std::string OptionLine(const OptionEntry& option) {
    std::string head = std::string("  ") + option.name;
    if (option.value != nullptr) {
        head += std::string(" ") + option.value;
    }
    if (option.alias != nullptr) {
        head += std::string(", ") + option.alias;
    }
    head += head.size() < 24 ? std::string(24 - head.size(), ' ') : "\n" + std::string(24, ' ');
    return head + Wrapped(option.help, 24, 80 - 24) + "\n";
}

// The command and its operands and options; a command that takes none stands alone.
std::string Synopsis(const CommandEntry& command) {
    return std::string(command.name) + (*command.synopsis != '\0' ? " " : "") + command.synopsis;
}

bool IsCommandOption(const OptionEntry& option) {
    for (const CommandEntry& command : Commands()) {
        for (const std::string& name : command.options) {
            if (name == option.name) {
                return true;
            }
        }
    }
    return false;
}

constexpr const char* kExitCodes = R"(Exit codes:
  0   every check passed (an echo warning of diagnose included)
  10  name resolution failed: the host is not known, or the name service
      did not answer in time (also when a driver says so)
  11  an echo request got no answer (host; diagnose only warns)
  12  the service is not known
  13  the server's listener cannot be reached (refused, unreachable, or no
      answer in time)
  14  the ODBC driver, the driver manager or the JDBC driver failed (no such
      data source or driver, a driver that cannot be loaded)
  15  the server rejected the session (user, password or database)
  16  any other failure (a server that is not in the directory, say)
  17  not tested: no echo request may be sent here (no permission), and no
      later layer passed
  64  usage error (unknown command or option, missing or empty argument, bad
      password source)
  74  the report could not be written
  130, 143  interrupted (Ctrl-C, SIGTERM): what was found so far is printed
With --plugin: 0 OK, 1 WARNING (an echo without answer, or a layer not
tested, before layers that passed), 2 CRITICAL (a failed layer), 3 UNKNOWN
(usage error, nothing tested, report not written); an interrupted run
prints UNKNOWN and exits 130 or 143.
)";

}  // namespace

std::string HelpText() {
    std::string text = R"(Usage: virelo-check [OPTIONS] COMMAND ARGUMENTS
       virelo-check COMMAND --help

Checks, layer by layer, why this workstation cannot reach a database server:
the checks of the Virelo window, for a terminal, a script or a monitoring job.

Commands:
)";
    for (const CommandEntry& command : Commands()) {
        text += std::string("  ") + Synopsis(command) + "\n      " +
                Wrapped(command.help, 6, 80 - 6) + "\n";
    }
    text += "\nOptions:\n";
    for (const OptionEntry& option : Options()) {
        text += OptionLine(option);
    }
    text += R"(
Output: each check's lines (those the window's pane would show) and a summary
line, printed as each layer ends; the result word is coloured on a terminal
unless NO_COLOR is set. Ctrl-C or SIGTERM ends a run within a second and
prints what was found so far, the interrupted layer marked. The package
installs a bash completion of commands, options, servers and data sources.

Passwords are never taken from the command line, where other users can read
them: they come from --password-file, else from the environment variable
VIRELO_PASSWORD, else from a prompt without echo when standard input is a
terminal. A password is never printed where it is marked as one (PWD=,
Password=, password:, user:secret@host); the one given is also hidden wherever
else it stands as a word of 8 characters or more, not all of them letters.

)";
    return text + kExitCodes;
}

std::string CommandHelp(const CommandEntry& command) {
    std::string text = "Usage: virelo-check [OPTIONS] " + Synopsis(command) + "\n\n" +
                       Wrapped(command.help, 0, 80) + "\n";
    if (!command.options.empty()) {
        text += "\nOptions of " + std::string(command.name) + ":\n";
        for (const OptionEntry& option : Options()) {
            for (const std::string& name : command.options) {
                if (name == option.name) {
                    text += OptionLine(option);
                }
            }
        }
    }
    text += "\nGeneral options:\n";
    for (const OptionEntry& option : Options()) {
        if (!IsCommandOption(option)) {
            text += OptionLine(option);
        }
    }
    return text + "\n" + kExitCodes;
}

}  // namespace virelo::cli
