#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/ChildProcess.h"
#include "support/TcpListener.h"
#include "support/TempDir.h"

namespace virelo::test {

// An OpenSSH server of the test's own on a free loopback port, as another machine named
// "apphost": a throwaway host key, a user key made for the test as the only authorized key, a
// configuration in a temporary directory, and a private mount and host-name namespace (a private
// /run for sshd's privilege separation directory, and the host name apphost), so nothing outside
// the directory changes. Sessions get PATH with the test's bin directory first, and the test's
// unixODBC files. sshd's privilege separation needs real users, so this runs as root only; a
// test without it skips with the reason.
class SshServer {
public:
    static constexpr const char* kHost = "apphost";

    // `remoteVireloCheck`: the virelo-check that sessions find on their PATH.
    explicit SshServer(const std::string& remoteVireloCheck) {
        if (::geteuid() != 0) {
            skipReason = "sshd needs root: its privilege separation needs real users";
            return;
        }
        if (!std::filesystem::exists("/usr/sbin/sshd")) {
            skipReason = "openssh-server is not installed (scripts/deps.sh installs it)";
            return;
        }
        for (const char* key : {"host_key", "user_key", "other_key"}) {
            RunChild({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", dir.file(key)});
        }
        dir.write("authorized_keys", dir.read("user_key.pub"));
        port = TcpListener::ClosedPort();
        std::filesystem::create_directory(dir.file("bin"));
        // The remote virelo-check records how it was started, then runs the real one.
        Script("bin/virelo-check", "printf '%s\\n' \"$0\" \"$@\" > " + dir.file("remote.argv") +
                                       "\nenv > " + dir.file("remote.env") + "\nexec " +
                                       remoteVireloCheck + " \"$@\"\n");
        dir.write("sshd_config",
                  "ListenAddress 127.0.0.1\nPort " + std::to_string(port) + "\nHostKey " +
                      dir.file("host_key") + "\nAuthorizedKeysFile " + dir.file("authorized_keys") +
                      "\nPasswordAuthentication no\nKbdInteractiveAuthentication no\nUsePAM no\n"
                      "StrictModes no\nPermitRootLogin prohibit-password\nPidFile " +
                      dir.file("sshd.pid") + "\nSetEnv PATH=" + dir.file("bin") +
                      ":/usr/bin:/bin ODBCSYSINI=" + Env("ODBCSYSINI") +
                      " ODBCINI=" + dir.file("remote-odbc.ini") + "\n");
        // The client's side: this server under the name apphost, with the user key; with a key
        // the server does not know under the name stranger; a port where nothing listens under
        // the name closedport.
        const std::string common = "  HostName 127.0.0.1\n  Port " + std::to_string(port) +
                                   "\n  User root\n  IdentitiesOnly yes\n"
                                   "  StrictHostKeyChecking no\n  UserKnownHostsFile /dev/null\n"
                                   "  GlobalKnownHostsFile /dev/null\n  LogLevel ERROR\n";
        dir.write("ssh_config", "Host apphost\n  IdentityFile " + dir.file("user_key") + "\n" +
                                    common + "Host stranger\n  IdentityFile " +
                                    dir.file("other_key") + "\n" + common +
                                    "Host closedport\n  HostName 127.0.0.1\n  Port " +
                                    std::to_string(TcpListener::ClosedPort()) + "\n");
        // The program named by VIRELO_SSH: ssh with this configuration, recording how it was run.
        ssh = Script("ssh", "printf '%s\\n' \"$@\" > " + dir.file("ssh.argv") + "\nenv > " +
                                dir.file("ssh.env") + "\nexec ssh -F " + dir.file("ssh_config") +
                                " \"$@\"\n");
        Start();
    }
    ~SshServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    SshServer(const SshServer&) = delete;
    SshServer& operator=(const SshServer&) = delete;

    // Why the server is not running although it could: a failure, never a reason to skip.
    std::string failure;
    // Everything either side recorded or logged: both command lines and environments, and the
    // server's log.
    std::string traces() const {
        std::string all;
        for (const char* name : {"ssh.argv", "ssh.env", "remote.argv", "remote.env", "sshd.log"}) {
            all += "--- " + std::string(name) + "\n" + dir.read(name);
        }
        return all;
    }

    std::string skipReason;
    TempDir dir;
    std::string ssh;  // for VIRELO_SSH
    int port = 0;

private:
    static std::string Env(const char* name) {
        const char* value = std::getenv(name);
        return value == nullptr ? "" : value;
    }
    std::string Script(const char* name, const std::string& body) const {
        dir.write(name, "#!/bin/sh\n" + body);
        ::chmod(dir.file(name).c_str(), 0700);
        return dir.file(name);
    }
    // sshd in the foreground in its namespaces, with a clean environment (no preloaded resolver);
    // unshare and sh exec into it, so the child's pid is sshd's.
    void Start() {
        const std::string inside =
            "mount -t tmpfs tmpfs /run && mkdir -m 755 /run/sshd && "
            "hostname " +
            std::string(kHost) + " && exec /usr/sbin/sshd -D -f " + dir.file("sshd_config") +
            " -E " + dir.file("sshd.log");
        std::vector<std::string> args = {"env",     "-i",  "PATH=/usr/sbin:/usr/bin:/sbin:/bin",
                                         "unshare", "-mu", "--propagation",
                                         "private", "sh",  "-c",
                                         inside};
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, "env", nullptr, nullptr, argv.data(), environ) != 0) {
            failure = "sshd could not be started";
            return;
        }
        for (int i = 0; i < 250 && !Listening(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!Listening()) {
            failure = "sshd did not start listening: " + dir.read("sshd.log");
        }
    }
    bool Listening() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return ok;
    }

    pid_t pid_ = -1;
};

}  // namespace virelo::test
