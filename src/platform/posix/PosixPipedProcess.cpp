// A child process on a socket (its input) and two pipes (its output and error output), started
// with posix_spawnp in a process group of its own so that ending it ends what it started too.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/PipedProcess.h"

extern char** environ;

namespace virelo::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kErrorTail = 4096;

int MillisecondsUntil(PipedProcess::Deadline deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 60'000));
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

class PosixPipedProcess : public PipedProcess {
public:
    PosixPipedProcess(pid_t pid, int input, int output, int errors)
        : pid_(pid), input_(input), output_(output), errors_(errors) {}
    ~PosixPipedProcess() override {
        if (pid_ > 0) {
            finish(Clock::now() + std::chrono::seconds(1));
        }
        CloseFd(output_);
        CloseFd(errors_);
    }
    PosixPipedProcess(const PosixPipedProcess&) = delete;
    PosixPipedProcess& operator=(const PosixPipedProcess&) = delete;

    PipeStatus write(std::string_view text, Deadline deadline) override {
        while (!text.empty()) {
            if (input_ < 0) {
                return PipeStatus::Closed;
            }
            // The error output is read while waiting, so that a child blocked on writing it
            // never stops reading its input.
            const PipeStatus waited = wait(input_, POLLOUT, deadline);
            if (waited != PipeStatus::Ok) {
                return waited;
            }
            const ssize_t n = ::send(input_, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n < 0) {
                return errno == EPIPE || errno == ECONNRESET ? PipeStatus::Closed
                                                             : PipeStatus::Failed;
            }
            text.remove_prefix(static_cast<std::size_t>(n));
        }
        return PipeStatus::Ok;
    }

    PipeStatus readLine(std::string& line, Deadline deadline) override {
        for (;;) {
            if (const auto taken = TakeLine(pending_, line)) {
                return *taken;
            }
            if (output_ < 0) {
                return PipeStatus::Closed;
            }
            const PipeStatus waited = wait(output_, POLLIN, deadline);
            if (waited != PipeStatus::Ok) {
                return waited;
            }
            char buffer[65536];
            const ssize_t n = ::read(output_, buffer, sizeof buffer);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n <= 0) {
                CloseFd(output_);
                return n == 0 ? PipeStatus::Closed : PipeStatus::Failed;
            }
            pending_.append(buffer, static_cast<std::size_t>(n));
        }
    }

    int finish(Deadline deadline) override {
        CloseFd(input_);
        if (pid_ <= 0) {
            return exitCode_;
        }
        siginfo_t info{};
        for (;;) {
            info.si_pid = 0;
            if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 &&
                errno != EINTR) {
                break;
            }
            if (info.si_pid == pid_ || Clock::now() >= deadline) {
                break;
            }
            if (errors_ >= 0) {
                wait(-1, 0, std::min(deadline, Clock::now() + std::chrono::milliseconds(20)));
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        // The group leader is not reaped yet, so the group is still its own: whatever it
        // started and left behind goes with it.
        ::kill(-pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        const bool ended = info.si_pid == pid_;
        exitCode_ = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        pid_ = -1;
        drainErrors();
        return exitCode_;
    }

    std::string errorOutput() const override { return errorTail_; }

private:
    // Waits until `fd` is ready for `events` (none when fd is -1) or the deadline passes, reading
    // the error output meanwhile.
    PipeStatus wait(int fd, short events, Deadline deadline) {
        for (;;) {
            pollfd fds[2] = {{fd, events, 0}, {errors_, POLLIN, 0}};
            const int ready = ::poll(fds, 2, MillisecondsUntil(deadline));
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready < 0) {
                return PipeStatus::Failed;
            }
            if (fds[1].revents != 0) {
                drainErrors();
            }
            if (fd >= 0 && fds[0].revents != 0) {
                return PipeStatus::Ok;
            }
            if (ready == 0 || Clock::now() >= deadline) {
                return PipeStatus::TimedOut;
            }
        }
    }

    // Reads what the error output holds now, keeping its end.
    void drainErrors() {
        while (errors_ >= 0) {
            char buffer[4096];
            const ssize_t n = ::read(errors_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno == EAGAIN) {
                return;
            }
            if (n <= 0) {
                CloseFd(errors_);
                return;
            }
            errorTail_.append(buffer, static_cast<std::size_t>(n));
            if (errorTail_.size() > kErrorTail) {
                errorTail_.erase(0, errorTail_.size() - kErrorTail);
            }
        }
    }

    pid_t pid_;
    int input_, output_, errors_;
    std::string pending_;
    std::string errorTail_;
    int exitCode_ = -1;
};

// The caller's environment without the withheld variables.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& withheld) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (std::find(withheld.begin(), withheld.end(), name) == withheld.end()) {
            entries.push_back(text);
        }
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// The descriptors of one start, closed unless handed on.
struct Ends {
    int input[2] = {-1, -1};  // a socket pair: a write to a child that has gone fails, no signal
    int output[2] = {-1, -1};
    int errors[2] = {-1, -1};
    ~Ends() {
        for (int* pair : {input, output, errors}) {
            CloseFd(pair[0]);
            CloseFd(pair[1]);
        }
    }
};

}  // namespace

PipedStart StartPipedProcess(const std::vector<std::string>& argv,
                             const std::vector<std::string>& withheld) {
    if (argv.empty() || argv.front().empty()) {
        return {nullptr, ENOENT, std::strerror(ENOENT)};
    }
    Ends ends;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends.input) != 0 ||
        ::pipe2(ends.output, O_CLOEXEC) != 0 || ::pipe2(ends.errors, O_CLOEXEC | O_NONBLOCK) != 0) {
        return {nullptr, errno, std::strerror(errno)};
    }
    std::vector<std::string> args = argv;
    std::vector<char*> argp = Pointers(args);
    std::vector<std::string> environment = ChildEnvironment(withheld);
    std::vector<char*> envp = Pointers(environment);

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, ends.input[1], STDIN_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, ends.output[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, ends.errors[1], STDERR_FILENO);
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    // A group of its own, and the default action for a broken pipe whatever this program chose.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setpgroup(&attributes, 0);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argp[0], &actions, &attributes, argp.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        return {nullptr, rc, std::strerror(rc)};
    }
    auto process =
        std::make_unique<PosixPipedProcess>(pid, ends.input[0], ends.output[0], ends.errors[0]);
    ends.input[0] = ends.output[0] = ends.errors[0] = -1;
    return {std::move(process), 0, {}};
}

}  // namespace virelo::platform
