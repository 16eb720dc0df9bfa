#include "platform/posix/PosixProcesses.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/CommandLine.h"
#include "platform/posix/FileDescriptor.h"

extern char** environ;

namespace virelo::platform::posix {
namespace {

// The caller's environment with the changes set on top: a changed variable replaces the
// inherited one of the same name.
std::vector<std::string> ChildEnvironment(const Environment& changes) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        const std::size_t nameLength =
            equals == nullptr ? std::strlen(*entry) : static_cast<std::size_t>(equals - *entry);
        bool replaced = false;
        for (const auto& [name, value] : changes) {
            replaced = replaced || (name.size() == nameLength &&
                                    std::strncmp(*entry, name.c_str(), nameLength) == 0);
        }
        if (!replaced) {
            entries.emplace_back(*entry);
        }
    }
    for (const auto& [name, value] : changes) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

void Reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Reads the child's output until it closes its end or the deadline passes; false on time-out.
bool Collect(int fd, std::chrono::steady_clock::time_point deadline, std::size_t limit,
             std::string& output) {
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd watched{fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            return false;
        }
        if (ready < 0) {
            return true;  // nothing more can be read; the child is waited for all the same
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return true;
        }
        // What goes beyond the limit is read and dropped, so the child never blocks on a full pipe.
        output.append(buffer, std::min(static_cast<std::size_t>(n), limit - output.size()));
    }
}

}  // namespace

CapturedRun PosixProcesses::runCapturing(const std::string& commandLine,
                                         std::chrono::milliseconds timeout, std::size_t limit) {
    CapturedRun run;
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty() || args.front().empty()) {
        run.failure = "no program named";
        return run;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        run.failure = std::strerror(errno);
        return run;
    }
    const FileDescriptor reading(ends[0]);
    std::vector<char*> argv = Pointers(args);
    std::vector<std::string> environment = ChildEnvironment({});
    std::vector<char*> envp = Pointers(environment);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (rc != 0) {
        run.failure = std::strerror(rc);
        return run;
    }
    run.started = true;
    if (!Collect(reading.get(), std::chrono::steady_clock::now() + timeout, limit, run.output)) {
        run.timedOut = true;
        ::kill(pid, SIGKILL);
    }
    Reap(pid);
    return run;
}

std::int32_t PosixProcesses::runAndWait(const std::string& commandLine, const Environment& changes,
                                        ChildOutput output) {
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty() || args.front().empty()) {
        return ENOENT;
    }
    std::vector<char*> argv = Pointers(args);
    std::vector<std::string> environment = ChildEnvironment(changes);
    std::vector<char*> envp = Pointers(environment);

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (output == ChildOutput::Discard) {
        ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return rc;
    }
    Reap(pid);
    return 0;
}

}  // namespace virelo::platform::posix
