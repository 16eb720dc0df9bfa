#include "ui/HelpTexts.h"

namespace virelo::ui {
namespace {

constexpr const char* kTcp = R"HELP(TCPIP TAB WINDOW:

Client Information Section:

"Host Name gethostbyname()" - Shows the name of this workstation as the sockets library
reports it with gethostname().

"Fully Qualified Host Name gethostbyname()" - Shows the official, fully qualified name
that the name service returns for this workstation's host name.

"List of Host Aliases gethostbyname()" - Lists the other names the name service knows for
this workstation; the list ends with one empty line.

"List of IP Addresses gethostbyname()" - Lists every IPv4 address of this workstation in
dotted-decimal form, in the order the name service returns them.

Server Information Section:

"Ping Host By Name gethostbyname()" Option Button - Select it to look up the server by its
host name before it is pinged.

"Ping Host By Address gethostbyaddr()" Option Button - Select it to look up the server by
its IP address (for example 10.0.0.1) before it is pinged.

"Clear" Button - Empties the host name you typed, the server's host name and its two
lists; the message window keeps its text.

"TCP Ping" Button - Resolves the server as chosen above and sends one ICMP echo request
to each of its addresses; every step is written to the message window.

"Enter Host Name or IP Address here" Text Box - Type the server's host name or its IP
address here.

"Host Name" - Shows the official host name that the look-up returned for the server.

"List of Host Aliases" - Lists the other names of the server found by the look-up.

"List of IP Addresses" - Lists the server's IPv4 addresses found by the look-up.

Service and Port Information Section:

"Retrieve by Service Name getservbyname()" Option Button - Select it to find a service's
port number from the service name you type.

"Retrieve by Port Number getservbyport()" Option Button - Select it to find the service
that uses the port number you type.

"Enter Service Name or Port # here" Text Box - Type a service name (for example
sqlexec) or a port number (for example 1526).

"Protocol Type" Combo Box - Choose TCP or UDP; the look-up uses TCP when nothing else
is chosen.

"Retrieve" Button - Looks the service up in the services database of this workstation
and shows what it found.

"Clear" Button - Empties the service name or port you typed and the service fields
below; the message window keeps its text.

"Service Name" - Shows the official name of the service that was found.

"List of Service Aliases" - Lists the other names of that service.

"Port Number" - Shows the port number of the service.

"Protocol" - Shows the protocol of the service entry that was found.
)HELP";

constexpr const char* kNative = R"HELP(NATIVE CONNECT TAB WINDOW HELP

User Information:

"User Name" Text Box - Type the user name to connect to the database server with.

"Password" Text Box - Type that user's password; it is never shown or written to a log.

Login Information:

"Orvane Nembrion Server" Combo Box - Choose a database server from the list, which comes
from this workstation's SQLHOSTS entries, or type the name of a new server. This window
does not change or add SQLHOSTS entries.

"Host Name" Text Box - Shows, or lets you type, the host on which the server runs.

"Services" Text Box - Shows, or lets you type, the service name or port number on which
the server listens.

"Protocol" Text Box - Shows, or lets you choose, the protocol the client uses to reach
the server.

"Database" Text Box - Type the name of a database on that server to connect to.
)HELP";

constexpr const char* kCom = R"HELP(COM+ TAB WINDOW HELP

Data Source Information Section:

"COM Object is loaded on:" - Names the machine on which the connection tester runs. The
component VireloOLELib.dll can be registered on another machine and tested remotely
through COM services.

"ODBC System DSN" Option Button and Combo Box - Select it to connect through one of the
system data sources of that machine, chosen in the list.

"ODBC User DSN" Option Button and Combo Box - Select it to connect through one of the
user data sources of that machine, chosen in the list.

"Build a ODBC DSNLESS Connection String" Option Button and Combo Box - Select it to build
an ODBC connection string without a data source from the driver chosen in the list and
the server fields on the right.

"Build a OLE DB Connection String" Option Button and Combo Box - Select it to build an
OLE DB connection string from the provider chosen in the list and the server fields on
the right.

"Create or Modify Connection String" Option Button and Combo Box - Select it to type a
connection string of your own, or to change the one shown, in the box below.

"View Current String" Button - Shows the connection string that the choices above make,
without connecting.

"Server Name" Combo Box - Choose the database server; its SQLHOSTS entry fills the host,
service and protocol fields when you press "Look up".

"Look up" Button - Reads the chosen server's SQLHOSTS entry into the fields below it.

"Host Name" Text Box - The host on which the database server runs.

"Service Name / Port #" - The service name or port number on which the server listens.

"Protocol" Combo Box - The protocol the client uses to reach the server.

"Database Name" Text Box - The database to connect to.

"User Name" Text Box - The user name to connect with.

"Password" Text Box - That user's password; it is never shown or written to a log.

"COM+ Ping" Button - Connects with the current connection string through the connection
tester and lists the properties of the connection, or the error that stopped it.

"Clear" Button - Empties the data source names, the connection string, the server fields,
the user name and the password; the message window keeps its text.
)HELP";

constexpr const char* kOdbc = R"HELP(ODBC TAB WINDOW HELP:

ODBC API Connection Section:

"ODBC System DSN" Option Button and Combo Box - Select it to connect through one of this
workstation's system data sources, chosen in the list.

"ODBC User DSN" Option Button and Combo Box - Select it to connect through one of your own
user data sources, chosen in the list.

"User Name" Text Box - Type the user name to connect with, or leave it empty to use the
one stored in the data source.

"Password" Text Box - Type that user's password; it is never shown or written to a log.

"ODBC Ping" Button - Connects through the ODBC driver manager and writes every call and
its outcome to the message window.

"Clear" Button - Empties the data source names, the user name and the password; the
information fields and the message window keep their text.

Connection Information Section:

"User Name" - Shows the user name the connection was made with.

"Database Name" - Shows the database the connection uses.

"DBMS Name" - Shows the name of the database product that answered.

"Database Version" - Shows the version of that database product.

Driver Information Section:

"Driver Name" - Shows the file name of the ODBC driver.

"Driver Version" - Shows the version of the ODBC driver.

"ODBC Version" - Shows the ODBC version that the driver supports.

"Driver ODBC Version" - Shows the ODBC version of the driver manager.
)HELP";

constexpr const char* kJdbc = R"HELP(JDBC TAB WINDOW HELP

Build Connection URL Section:

"Build Connection URL:" Option Button - Select it to build the connection URL from the
fields below it.

"Driver:" Combo Box - Choose or type the class name of the JDBC driver; the driver must be
on the CLASSPATH.

"Proto:" Combo Box - Choose or type the protocol part of the URL that the driver expects.

"Host:" Text Box - Type the host on which the database server runs.

"Port:" Text Box - Type the port number on which the server listens.

"DBName:" Text Box - Type the name of the database to connect to.

"User:" Text Box - Type the user name to connect with.

"Pass:" Text Box - Type that user's password; it is never shown or written to a log.

"Parameter:" Text Box - Type the name of a connection parameter to add to the URL.

"Value:" Text Box - Type the value of that parameter.

"Set" Button - Adds the parameter with its value to the list, or changes its value when
the list holds it already.

"Delete" Button - Removes the parameter chosen in the list.

Connection URL Section:

"Connection URL:" Option Button - Select it to type a complete connection URL of your own
in the box below.

"View Current URL" Button - Shows the connection URL that the current choices make.

"JDBC Ping" Button - Runs the Java test class with the driver and URL and shows its
step-by-step report.
)HELP";

std::string WithCrLf(const char* text) {
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n') {
            out += '\r';
        }
        out += *c;
    }
    return out;
}

}  // namespace

std::string HelpText(HelpTopic topic) {
    switch (topic) {
        case HelpTopic::Tcp:
            return WithCrLf(kTcp);
        case HelpTopic::Native:
            return WithCrLf(kNative);
        case HelpTopic::Com:
            return WithCrLf(kCom);
        case HelpTopic::Odbc:
            return WithCrLf(kOdbc);
        case HelpTopic::Jdbc:
            return WithCrLf(kJdbc);
    }
    return {};
}

}  // namespace virelo::ui
