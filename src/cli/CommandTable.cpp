// The commands and options of virelo-check, with their help: the one place to add either.
#include "cli/Arguments.h"

namespace virelo::cli {

const std::vector<CommandEntry>& Commands() {
    static const std::vector<CommandEntry> kCommands = {
        {"host",
         1,
         1,
         "NAME | host --by-address ADDRESS",
         {"--by-address"},
         "Looks the host up as the TCP/IP tab does, by name or (--by-address) by its IPv4 address, "
         "then sends one echo request to each of its IPv4 addresses. Exits 11 when an address does "
         "not answer."},
        {"service",
         1,
         1,
         "NAME|PORT [--udp]",
         {"--udp"},
         "Looks a service up by name, or by a port number 0-65535, in the services database (TCP "
         "unless --udp): its port, protocol and aliases."},
        {"native",
         0,
         1,
         "[SERVER] [--host H] [--service S|--port P] [--protocol P]",
         {"--host", "--service", "--port", "--protocol"},
         "The native ping: the protocol, the host (IPv4 and IPv6), the service and a TCP "
         "connection to the server's listener, all within --timeout. Host, service and protocol "
         "come from the server directory's entry for SERVER; --host, --service (or --port) and "
         "--protocol replace them, and with --host and --service no entry is needed (the protocol "
         "is then TCP)."},
        {"odbc",
         1,
         1,
         "DSN [--user U]",
         {"--user", "--password-file"},
         "The ODBC connect-and-report sequence for a data source of the ODBC driver manager, as "
         "the ODBC tab runs it."},
        {"connect",
         1,
         1,
         "STRING [--on [USER@]HOST]",
         {"--password-file", "--on"},
         "The COM+ connection test of a connection string. Write {PASSWORD} where the password "
         "goes. A password written into the string itself is used, with a warning: other users can "
         "read a command line. With --on, the connection tester of another machine runs the test, "
         "reached with ssh (key-based login, no questions): it connects from there, and the "
         "password travels only inside the SSH channel."},
        {"jdbc",
         2,
         2,
         "DRIVER URL [--user U]",
         {"--user", "--password-file"},
         "The JDBC ping through the Java test class (the driver's jar on CLASSPATH). The password "
         "reaches the test class in its environment, never on its command line."},
        {"diagnose",
         0,
         1,
         "[SERVER] [--host H --port P] [--dsn DSN [--user U]]",
         {"--host", "--service", "--port", "--protocol", "--dsn", "--user", "--password-file"},
         "Walks the layers of one server: the host look-up (IPv4 and IPv6), an echo request to "
         "every address, the service (a port number passes as it is), the listener, and with --dsn "
         "the ODBC login. It stops at the first of these that fails and exits with its code, "
         "except the echo: an echo that gets no answer is a warning, not a verdict, since many "
         "servers and firewalls drop echo requests, and the walk goes on. The server comes from "
         "the server directory, or from --host and --port (or --service) alone."},
        {"list",
         1,
         1,
         "servers|dsns|drivers|sources",
         {},
         "Shows what the checks read: servers, the server directory (name, protocol, host, "
         "service, and the file and line of each entry); dsns, the ODBC data sources (name, system "
         "or user, driver, ini file); drivers, the ODBC drivers; sources, the files the server "
         "directory and the data sources are read from."},
        {"report",
         0,
         0,
         "",
         {},
         "Prints the header of a support report: the date and time, host, operating system, "
         "versions, the ODBC driver manager and drivers, the registry view's files and the "
         "variables that steer the checks (with --json, as the document's environment object). "
         "--report FILE writes it with a run's whole output."},
        {"serve-tester",
         0,
         0,
         "",
         {},
         "Serves the connection tester of this machine for one session on standard input and "
         "output, one JSON request and answer a line, until the end of the input: what the window "
         "and connect --on start on this machine through ssh. It opens no port. --timeout is the "
         "login time-out of its connection tests."},
    };
    return kCommands;
}

const std::vector<OptionEntry>& Options() {
    static const std::vector<OptionEntry> kOptions = {
        {"--json", nullptr, nullptr, &Request::json, nullptr,
         "print one JSON document at the end: the command, its arguments, ok, exit_code, "
         "interrupted, and one object per check with layer, target, ok, warning, skipped, "
         "interrupted, code, state, message, elapsed_ms, exit_code and log"},
        {"--plugin", nullptr, nullptr, &Request::plugin, nullptr,
         "print one status line for a monitoring system, VIRELO OK, WARNING, CRITICAL or UNKNOWN, "
         "with the time of each layer, and exit 0, 1, 2 or 3"},
        {"--quiet", "-q", nullptr, &Request::quiet, nullptr,
         "print nothing when every check passes, else only the failed check's summary on standard "
         "error; no warnings either"},
        {"--report", nullptr, "FILE", nullptr, &Request::report,
         "also write a support report to FILE, a new file (mode 0600; an existing file, a link or "
         "a FIFO is refused): the header of virelo-check report, then the run's whole output, "
         "every layer with its log lines (with --json, the document with its environment)"},
        {"--timeout", nullptr, "SECONDS", nullptr, nullptr,
         "the longest a name look-up or a connection attempt may take (default 10, at most 3600; "
         "the Java test class stops after 30 at most; an echo request waits at most 0.5)"},
        {"--by-address", nullptr, nullptr, &Request::byAddress, nullptr,
         "look the host up by its IPv4 address"},
        {"--udp", nullptr, nullptr, &Request::udp, nullptr, "look the service up for UDP"},
        {"--host", nullptr, "H", nullptr, &Request::host,
         "the server's host name or address, instead of the directory's"},
        {"--service", nullptr, "S", nullptr, &Request::service,
         "the server's service name or port number, instead of the directory's"},
        {"--port", nullptr, "P", nullptr, &Request::service, "the same as --service"},
        {"--protocol", nullptr, "P", nullptr, &Request::protocol,
         "the server protocol, instead of the directory's (empty means TCP)"},
        {"--dsn", nullptr, "DSN", nullptr, &Request::dsn,
         "after the listener, log in to this ODBC data source"},
        {"--user", nullptr, "U", nullptr, &Request::user, "the user name of the login"},
        {"--password-file", nullptr, "FILE", nullptr, &Request::passwordFile,
         "read the password from the first line of FILE"},
        {"--on", nullptr, "[USER@]HOST", nullptr, &Request::on,
         "run the connection test on that machine, through ssh (VIRELO_SSH names another ssh "
         "program)"},
        {"--help", "-h", nullptr, nullptr, nullptr,
         "show this text; COMMAND --help shows that command's"},
        {"--version", "-V", nullptr, nullptr, nullptr, "show the version"},
    };
    return kOptions;
}

const CommandEntry* FindCommand(const std::string& name) {
    for (const CommandEntry& command : Commands()) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

}  // namespace virelo::cli
