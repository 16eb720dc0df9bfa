#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CheckResult.h"
#include "general/General.h"
#include "platform/Icmp.h"
#include "platform/Network.h"
#include "platform/Registry.h"
#include "platform/Sockets.h"
#include "tcpip/TCPIP.h"

namespace virelo::cli {

// The services of the workstation that the checks use.
struct Services {
    platform::Sockets& sockets;
    platform::Icmp& icmp;
    platform::Files& files;
    platform::Clock& clock;
    platform::Processes& processes;
    platform::Network& network;
    platform::Registry& registry;
};

// Runs the checks of virelo-check with the modules the window uses. Each check writes its
// diagnostic log into a log file of its own, reads it back into its result and deletes it. A
// check raises a virelo::Error when it cannot run at all (no log file can be chosen, say).
class Checker {
public:
    Checker(Services services, const Request& request);
    ~Checker();
    Checker(const Checker&) = delete;
    Checker& operator=(const Checker&) = delete;

    // The host look-up, then one echo request to every address.
    std::vector<CheckResult> Host(const std::string& target, bool byAddress);
    CheckResult Service(const std::string& target, bool udp);
    // The native ping; host, service and protocol not given come from the server directory.
    CheckResult Native(const std::string& server, std::optional<std::string> host,
                       std::optional<std::string> service, std::optional<std::string> protocol);
    // The COM+ connection test of a connection string (the password already in place).
    CheckResult Connect(const std::string& connectionString, const std::string& password);
    // The ODBC connect-and-report sequence for a data source (user from --user).
    CheckResult Odbc(const std::string& dataSource, const std::string& password);
    // The JDBC ping through the Java test class; the password reaches it in its environment.
    CheckResult Jdbc(const std::string& driverClass, const std::string& url,
                     const std::string& password);
    // The layers of one server of the directory, up to the first that fails; with a data source,
    // the ODBC login last.
    std::vector<CheckResult> Diagnose(const std::string& server, const std::string& password);

private:
    // A fresh log file, reserved; raises the Error of GetLogPath (which names the directory) when
    // none can be chosen.
    std::string NewLog();
    // The lines of a log file, which is then deleted.
    std::vector<std::string> TakeLog(const std::string& path);

    Services services_;
    const Request& request_;
    general::General general_;
    tcpip::TCPIP tcpip_;
};

// The lines of a text, split at CR LF or LF; no empty line for a leading line end.
std::vector<std::string> Lines(const std::string& text);

}  // namespace virelo::cli
