#include "cli/Arguments.h"

namespace virelo::cli {

std::string HelpText() {
    return R"(Usage: virelo-check [OPTIONS] COMMAND ARGUMENTS

Checks, layer by layer, why this workstation cannot reach a database server:
the checks of the Virelo window, for a terminal, a script or a monitoring job.

Commands:
  host NAME              look the host up by name, then send an echo request
                         to each of its addresses
  host --by-address ADDR the same, looking the host up by its IPv4 address
  service NAME|PORT [--udp]
                         look a service up by name or by port number in the
                         services database (TCP unless --udp)
  native SERVER [--host H] [--service S] [--protocol P]
                         the native ping: protocol, host, service and the
                         server's listener; what is not given comes from the
                         server directory
  odbc DSN [--user U]    the ODBC connect-and-report sequence for a data source
  connect STRING         the COM+ connection test of a connection string;
                         write {PASSWORD} where the password goes
  jdbc DRIVER URL [--user U]
                         the JDBC ping through the Java test class (the
                         driver's jar on CLASSPATH)
  diagnose SERVER [--dsn DSN [--user U]]
                         walk the layers for a server of the directory: host
                         look-up, echo, service, listener, then (with --dsn)
                         the ODBC login; stop at the first layer that fails

Options:
  --json                 print one JSON document: one object per check with
                         layer, target, ok, skipped, code, state, message,
                         elapsed_ms, exit_code and the log lines
  -q, --quiet            print nothing when every check passes, else only the
                         failed check's summary, on standard error
  --timeout SECONDS      the longest a connection attempt may take (default
                         10, at most 3600; the Java test class stops after 30
                         at most; an echo request waits at most 0.5)
  --password-file FILE   read the password from the first line of FILE
  -h, --help             show this text
  -V, --version          show the version

Passwords are never taken from the command line, where other users can read
them: they come from --password-file, else from the environment variable
VIRELO_PASSWORD, else from a prompt without echo when standard input is a
terminal. No password is ever printed.

Exit codes:
  0   every check passed
  10  name resolution failed (the host is not known)
  11  an echo request got no answer
  12  the service is not known
  13  the server's listener cannot be reached (refused, unreachable, or no
      answer in time)
  14  the ODBC driver, the driver manager or the JDBC driver failed (no such
      data source or driver, a driver that cannot be loaded)
  15  the server rejected the session (user, password or database)
  16  any other failure (an echo request that may not be sent is one)
  64  usage error (unknown command or option, missing or empty argument, bad
      password source)
  74  the report could not be written
)";
}

}  // namespace virelo::cli
