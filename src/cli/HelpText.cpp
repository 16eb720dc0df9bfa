#include "cli/Arguments.h"

namespace virelo::cli {

std::string HelpText() {
    return R"(Usage: virelo-check [OPTIONS] COMMAND ARGUMENTS

Checks, layer by layer, why this workstation cannot reach a database server: the same checks as
the Virelo window, for a terminal, a script or a monitoring job.

Commands:
  host NAME                 look the host up by name, then send an echo request to each address
  host --by-address ADDR    the same, looking the host up by its IPv4 address
  service NAME|PORT [--udp] look a service up by name or by port number (TCP unless --udp)
  native SERVER [--host H] [--service S] [--protocol P]
                            the native ping: protocol, host, service and the server's listener;
                            what is not given comes from the server directory
  odbc DSN [--user U]       the ODBC connect-and-report sequence for a data source
  connect STRING            the COM+ connection test of a connection string; write {PASSWORD}
                            where the password goes
  jdbc DRIVER URL [--user U]
                            the JDBC ping through the Java test class
  diagnose SERVER [--dsn DSN] [--user U]
                            walks the layers for a server of the directory: host look-up, echo,
                            service, listener, then (with --dsn) the ODBC login; stops at the
                            first layer that fails and names it

Options:
  --json                    print one JSON document: one object per check with layer, target,
                            ok, code, state, message, elapsed_ms and the log lines
  -q, --quiet               print nothing when every check passes
  --timeout SECONDS         the longest a connection attempt may take (default 10; an echo
                            request always waits at most 0.5 s)
  --password-file FILE      read the password from the first line of FILE
  -h, --help                show this text
  -V, --version             show the version

Passwords are never taken from the command line, where other users can read them: they come
from --password-file, else from the environment variable VIRELO_PASSWORD, else from a prompt
without echo when standard input is a terminal. No password is ever printed.

Exit codes:
  0   every check passed
  10  name resolution failed (the host is not known)
  11  an echo request got no answer
  12  the service is not known
  13  the server's listener cannot be reached (refused, unreachable, no answer in time)
  14  the ODBC driver or the driver manager failed (no such data source or driver)
  15  the server rejected the login
  16  any other failure
  64  usage error (unknown command or option, missing or empty argument, bad password source)
  74  the report could not be written
)";
}

}  // namespace virelo::cli
