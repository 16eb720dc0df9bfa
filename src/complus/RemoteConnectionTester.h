#pragma once

#include <chrono>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

#include "complus/ConnectionTester.h"
#include "platform/PipedProcess.h"

namespace virelo::complus {

// Where the connection tester runs when it is not this machine, and how it is reached.
struct RemoteTesterSettings {
    // [user@]host, as ssh takes it (ssh's own configuration may give the host another name,
    // port or key).
    std::string destination;
    // The ssh program; VIRELO_SSH may name another (a wrapper with options of its own).
    std::string sshProgram = "ssh";
    // The login time-out of the tester on the other machine, also ssh's ConnectTimeout.
    std::chrono::seconds loginTimeout{15};
    // The longest wait for one answer; by default the login time-out and a margin for the
    // channel, so that a connection attempt that uses up its whole time-out is still answered.
    std::optional<std::chrono::milliseconds> callBound;
    static constexpr std::chrono::seconds kChannelMargin{15};

    std::chrono::milliseconds Bound() const {
        return callBound.value_or(loginTimeout + kChannelMargin);
    }
};

// The connection tester on another machine, reached through OpenSSH: it runs
// `ssh -T -o BatchMode=yes -o ConnectTimeout=N -- [user@]host virelo-check serve-tester
// --timeout N` (N the login time-out in seconds) and
// asks that tester every question over the channel, one line of JSON each way (TesterProtocol.h).
// The channel is opened on first use and kept; every answer is awaited at most callBound.
// A channel that fails (it cannot be opened, it drops, it answers nonsense or too late) raises
// an Error with the reason and is closed; the next use opens a new one. A password travels only
// inside the channel, in the Connect request: never on a command line, in an environment or in
// an error text.
class RemoteConnectionTester : public ConnectionTester {
public:
    static constexpr std::int32_t kCannotCreate = 429;     // the tester there cannot be started
    static constexpr std::int32_t kUnavailable = 462;      // the machine cannot be reached
    static constexpr std::int32_t kPermissionDenied = 70;  // the SSH login was refused

    // Raises an Error (5) when the destination is not a [user@]host.
    explicit RemoteConnectionTester(RemoteTesterSettings settings);
    ~RemoteConnectionTester() override;

    std::string ResultText() override;
    std::vector<Property> ConnectionProperties() override;
    std::int32_t ErrorNumber() override;
    std::string ErrorDescription() override;
    NameTable OdbcDriverList() override;
    NameTable UserDsnList() override;
    NameTable SystemDsnList() override;
    NameTable OleDbProviderList() override;
    std::vector<ServerItem> ServerList() override;
    std::string MachineName() override;
    void Connect(const std::string& connectionString, bool& success) override;
    ServerEntryCollection ServerEntries() override;

    // The argument vector of the ssh child.
    std::vector<std::string> SshCommand() const;

private:
    // Sends one request and returns the answer's result; raises the remote error or a failure
    // of the channel.
    nlohmann::json Call(const nlohmann::json& request, const std::string& password = {});
    nlohmann::json Exchange(const nlohmann::json& request, const std::string& what,
                            const std::string& password);
    void Open();
    // Ends the channel and raises the error that explains why it failed.
    [[noreturn]] void Fail(const std::string& what, platform::PipeStatus status,
                           const std::string& detail, const std::string& password);
    // Call, with the result decoded; an answer of another shape ends the channel and raises.
    template <typename T, typename Decode>
    T Ask(const nlohmann::json& request, Decode decode, const std::string& password = {});

    RemoteTesterSettings settings_;
    std::unique_ptr<platform::PipedProcess> channel_;
    bool opening_ = false;
};

}  // namespace virelo::complus
