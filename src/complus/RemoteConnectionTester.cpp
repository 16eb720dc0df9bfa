#include "complus/RemoteConnectionTester.h"

#include <nlohmann/json.hpp>

#include "complus/ConnectionString.h"
#include "complus/TesterProtocol.h"
#include "general/Error.h"
#include "general/Mask.h"

namespace virelo::complus {
namespace {

using nlohmann::json;
using platform::PipeStatus;
using Clock = std::chrono::steady_clock;

// ssh's exit code for a failure of its own (no connection, no login), and a shell's for a
// command it cannot find.
constexpr int kSshFailed = 255;
constexpr int kCommandNotFound = 127;

struct SshReason {
    const char* words;  // what ssh writes on its error output
    std::int32_t number;
    const char* reason;
};

constexpr SshReason kSshReasons[] = {
    {"Could not resolve hostname", RemoteConnectionTester::kUnavailable,
     "the host name is not known"},
    {"Connection refused", RemoteConnectionTester::kUnavailable,
     "nothing accepts SSH connections on that host and port"},
    {"timed out", RemoteConnectionTester::kUnavailable, "the host did not answer in time"},
    {"No route to host", RemoteConnectionTester::kUnavailable, "the host cannot be reached"},
    {"Network is unreachable", RemoteConnectionTester::kUnavailable, "the host cannot be reached"},
    {"Permission denied", RemoteConnectionTester::kPermissionDenied,
     "the SSH login was refused; Virelo logs in with a key only (BatchMode), never with a typed "
     "password"},
    {"Host key verification failed", RemoteConnectionTester::kPermissionDenied,
     "the host's key is not known or has changed; connect once with ssh by hand to check and "
     "accept it"},
};

// What the channel wrote on its error output, on one line, without a password.
std::string Words(const std::string& errors, const std::string& password) {
    std::string words;
    std::size_t start = 0;
    while (start < errors.size()) {
        std::size_t end = errors.find('\n', start);
        end = end == std::string::npos ? errors.size() : end;
        std::string line = errors.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        // The words are shown as ssh's already.
        if (line.rfind("ssh: ", 0) == 0) {
            line.erase(0, 5);
        }
        if (!line.empty()) {
            words += (words.empty() ? "" : " / ") + line;
        }
        start = end + 1;
    }
    if (words.size() > 400) {
        words = "..." + words.substr(words.size() - 400);
    }
    return general::MaskPasswords(words, password);
}

// The password of a connection string, so that no error text can show it.
std::string PasswordOf(const std::string& connectionString) {
    std::string password;
    for (const Attribute& attribute : ParseConnectionString(connectionString)) {
        std::string keyword;
        for (const char c : attribute.keyword) {
            if (c != ' ') {
                keyword += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        if (keyword == "PWD" || keyword == "PASSWORD") {
            password = attribute.value;
            if (password.size() >= 2 && password.front() == '{' && password.back() == '}') {
                password = password.substr(1, password.size() - 2);
            }
        }
    }
    return password;
}

json Op(const char* name) {
    return {{"op", name}};
}

// A bound as people say it: whole seconds, or milliseconds.
std::string Spoken(std::chrono::milliseconds bound) {
    return bound.count() % 1000 == 0 ? std::to_string(bound.count() / 1000) + " seconds"
                                     : std::to_string(bound.count()) + " ms";
}

bool IsDestination(const std::string& destination) {
    if (destination.empty() || destination.front() == '-') {
        return false;
    }
    for (const char c : destination) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f') {
            return false;
        }
    }
    return true;
}

}  // namespace

RemoteConnectionTester::RemoteConnectionTester(RemoteTesterSettings settings)
    : settings_(std::move(settings)) {
    if (!IsDestination(settings_.destination)) {
        throw Error(5, "VIRELO",
                    "The component host \"" + settings_.destination +
                        "\" is not a host name with an optional user name ([user@]host)");
    }
}

RemoteConnectionTester::~RemoteConnectionTester() = default;

std::vector<std::string> RemoteConnectionTester::SshCommand() const {
    // "--" ends ssh's options, so that no host name can be taken for one.
    return {settings_.sshProgram,
            "-T",
            "-o",
            "BatchMode=yes",
            "-o",
            "ConnectTimeout=" + std::to_string(settings_.loginTimeout.count()),
            "--",
            settings_.destination,
            "virelo-check",
            "serve-tester",
            "--timeout",
            std::to_string(settings_.loginTimeout.count())};
}

void RemoteConnectionTester::Open() {
    // A password given to virelo-check through its environment stays on this machine.
    platform::PipedStart start = platform::StartPipedProcess(SshCommand(), {"VIRELO_PASSWORD"});
    if (!start.process) {
        throw Error(kCannotCreate, "ssh " + settings_.destination,
                    "The connection tester on " + settings_.destination +
                        " cannot be reached: the program " + settings_.sshProgram +
                        " cannot be started (" + start.reason +
                        "); OpenSSH's client is needed (Debian: openssh-client)");
    }
    channel_ = std::move(start.process);
    opening_ = true;
    const json hello = Exchange(
        {{"op", "hello"}, {"protocol", kTesterProtocol}, {"version", kTesterProtocolVersion}},
        "the greeting", "");
    if (hello.value("protocol", "") != kTesterProtocol || !hello.contains("version")) {
        Fail("the greeting", PipeStatus::Failed, MessageLine(hello), "");
    }
    if (hello["version"] != kTesterProtocolVersion) {
        channel_->finish(Clock::now());
        channel_.reset();
        opening_ = false;
        throw Error(kCannotCreate, "ssh " + settings_.destination,
                    "The connection tester on " + settings_.destination + " speaks version " +
                        hello["version"].dump() + " of the tester protocol, this program version " +
                        std::to_string(kTesterProtocolVersion) +
                        ": install the same release of Virelo on both machines");
    }
    opening_ = false;
}

json RemoteConnectionTester::Exchange(const json& request, const std::string& what,
                                      const std::string& password) {
    const auto deadline = Clock::now() + settings_.Bound();
    PipeStatus status = channel_->write(MessageLine(request) + "\n", deadline);
    std::string line;
    if (status == PipeStatus::Ok) {
        status = channel_->readLine(line, deadline);
    }
    if (status != PipeStatus::Ok) {
        Fail(what, status, "", password);
    }
    json answer = json::parse(line, nullptr, false);
    if (!answer.is_object()) {
        Fail(what, PipeStatus::Failed, line, password);
    }
    return answer;
}

void RemoteConnectionTester::Fail(const std::string& what, PipeStatus status,
                                  const std::string& answer, const std::string& password) {
    std::unique_ptr<platform::PipedProcess> channel = std::move(channel_);
    const bool opening = opening_;
    opening_ = false;
    // A channel that closed gets a moment to end and say why; one that hangs or talks nonsense
    // is ended at once.
    const bool closed = status == PipeStatus::Closed;
    const int code = channel->finish(Clock::now() + std::chrono::seconds(closed ? 2 : 0));
    const std::string words = Words(channel->errorOutput(), password);
    const std::string& host = settings_.destination;

    std::int32_t number = opening ? kCannotCreate : kUnavailable;
    std::string reason;
    if (status == PipeStatus::TimedOut) {
        number = kUnavailable;
        reason = "no answer came within " + Spoken(settings_.Bound()) +
                 "; the channel was closed and the next use opens a new one";
        // A driver may try a silent server more than once, each time for its whole login
        // time-out: the wait may have been the database's, not the channel's.
        if (what == "Connect") {
            reason +=
                ". The tester there may still have been waiting for the database server: "
                "some drivers try a server that does not answer more than once within "
                "their login time-out";
        }
    } else if (!closed) {
        std::string shown = general::MaskPasswords(answer.substr(0, 80), password);
        reason = "the answer is not of the tester protocol (\"" + shown +
                 "\"): something else writes on the channel, such as a shell start-up file "
                 "that prints text, or another program named virelo-check";
    } else if (code == kCommandNotFound) {
        number = kCannotCreate;
        reason = "virelo-check is not installed there, or not on the PATH of SSH sessions";
    } else if (code == kSshFailed) {
        number = kUnavailable;
        reason = "the SSH connection failed";
        for (const SshReason& known : kSshReasons) {
            if (words.find(known.words) != std::string::npos) {
                number = known.number;
                reason = known.reason;
                break;
            }
        }
    } else {
        reason = opening ? "virelo-check ended (exit code " + std::to_string(code) +
                               ") without answering; it may be a release without serve-tester"
                         : "the channel closed (exit code " + std::to_string(code) + ")";
    }
    const std::string lead =
        opening ? "The connection tester on " + host + " cannot be reached"
                : "The channel to the connection tester on " + host + " failed during " + what;
    throw Error(number, "ssh " + host,
                lead + ": " + reason + (words.empty() ? "" : " (ssh: " + words + ")"));
}

json RemoteConnectionTester::Call(const json& request, const std::string& password) {
    if (!channel_) {
        Open();
    }
    const std::string what = request["op"].get<std::string>();
    const json answer = Exchange(request, what, password);
    if (const auto error = answer.find("error"); error != answer.end() && error->is_object()) {
        throw Error(error->value("number", kUnavailable), error->value("source", ""),
                    general::MaskPasswords(error->value("description", ""), password));
    }
    if (!answer.contains("result")) {
        Fail(what, PipeStatus::Failed, MessageLine(answer), password);
    }
    return answer["result"];
}

template <typename T, typename Decode>
T RemoteConnectionTester::Ask(const json& request, Decode decode, const std::string& password) {
    const json result = Call(request, password);
    try {
        return decode(result);
    } catch (const json::exception&) {
        // The channel is alive but answers in another shape: it is ended all the same.
        channel_.reset();
        throw Error(kUnavailable, "ssh " + settings_.destination,
                    "The answer of the connection tester on " + settings_.destination + " to " +
                        request["op"].get<std::string>() + " is not of the tester protocol");
    }
}

std::string RemoteConnectionTester::ResultText() {
    return Ask<std::string>(Op("ResultText"), [](const json& r) { return r.get<std::string>(); });
}
std::vector<Property> RemoteConnectionTester::ConnectionProperties() {
    return Ask<std::vector<Property>>(Op("ConnectionProperties"), PropertiesFrom);
}
std::int32_t RemoteConnectionTester::ErrorNumber() {
    return Ask<std::int32_t>(Op("ErrorNumber"),
                             [](const json& r) { return r.get<std::int32_t>(); });
}
std::string RemoteConnectionTester::ErrorDescription() {
    return Ask<std::string>(Op("ErrorDescription"),
                            [](const json& r) { return r.get<std::string>(); });
}
NameTable RemoteConnectionTester::OdbcDriverList() {
    return Ask<NameTable>(Op("OdbcDriverList"), NameTableFrom);
}
NameTable RemoteConnectionTester::UserDsnList() {
    return Ask<NameTable>(Op("UserDsnList"), NameTableFrom);
}
NameTable RemoteConnectionTester::SystemDsnList() {
    return Ask<NameTable>(Op("SystemDsnList"), NameTableFrom);
}
NameTable RemoteConnectionTester::OleDbProviderList() {
    return Ask<NameTable>(Op("OleDbProviderList"), NameTableFrom);
}
std::vector<ServerItem> RemoteConnectionTester::ServerList() {
    return Ask<std::vector<ServerItem>>(Op("ServerList"), ServerItemsFrom);
}
std::string RemoteConnectionTester::MachineName() {
    return Ask<std::string>(Op("MachineName"), [](const json& r) { return r.get<std::string>(); });
}
ServerEntryCollection RemoteConnectionTester::ServerEntries() {
    return Ask<ServerEntryCollection>(Op("ServerEntries"), ServerEntriesFrom);
}

void RemoteConnectionTester::Connect(const std::string& connectionString, bool& success) {
    success = false;
    success = Ask<bool>(
        {{"op", "Connect"}, {"connectionString", connectionString}},
        [](const json& r) { return r.get<bool>(); }, PasswordOf(connectionString));
}

}  // namespace virelo::complus
