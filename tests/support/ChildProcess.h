#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/TempDir.h"

extern char** environ;

namespace virelo::test {

// Runs a program with an argument vector (no shell), an environment changed by the test, and its
// output captured in files; waits for it to end.
struct ChildResult {
    int exitCode = -1;  // -1 when it did not end normally
    std::string out, err;
};

// The argument vector of env(1), which removes and sets the variables (its options come before
// its assignments) and then starts the program found on PATH.
inline std::vector<std::string> EnvCommand(
    const std::vector<std::string>& argv,
    const std::map<std::string, std::optional<std::string>>& env) {
    std::vector<std::string> args = {"env"}, assignments;
    for (const auto& [name, value] : env) {
        (value ? assignments : args).push_back(value ? name + "=" + *value : "--unset=" + name);
    }
    args.insert(args.end(), assignments.begin(), assignments.end());
    args.insert(args.end(), argv.begin(), argv.end());
    return args;
}

inline std::vector<char*> Pointers(std::vector<std::string>& args) {
    std::vector<char*> argp;
    for (auto& arg : args) {
        argp.push_back(arg.data());
    }
    argp.push_back(nullptr);
    return argp;
}

inline ChildResult RunChild(const std::vector<std::string>& argv,
                            const std::map<std::string, std::optional<std::string>>& env = {},
                            bool closeStdout = false) {
    static TempDir outputs;
    std::vector<std::string> args = EnvCommand(argv, env);
    std::vector<char*> argp = Pointers(args);

    const std::string outPath = outputs.file("out"), errPath = outputs.file("err");
    constexpr int kNewFile = O_WRONLY | O_CREAT | O_TRUNC;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (closeStdout) {
        posix_spawn_file_actions_addclose(&actions, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), kNewFile, 0600);
    }
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), kNewFile, 0600);
    pid_t pid = 0;
    ChildResult result;
    if (posix_spawnp(&pid, "env", &actions, nullptr, argp.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = closeStdout ? "" : outputs.read("out");
    result.err = outputs.read("err");
    return result;
}

// A child whose standard output the test reads while it runs (standard error is discarded).
class LiveChild {
public:
    LiveChild(const std::vector<std::string>& argv,
              const std::map<std::string, std::optional<std::string>>& env) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) {
            return;
        }
        std::vector<std::string> args = EnvCommand(argv, env);
        std::vector<char*> argp = Pointers(args);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&pid_, "env", &actions, nullptr, argp.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(ends[1]);
        out_ = ends[0];
    }
    ~LiveChild() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }
    LiveChild(const LiveChild&) = delete;
    LiveChild& operator=(const LiveChild&) = delete;

    // Reads the output until it holds `text` (true) or ends (false).
    bool readUntil(const std::string& text) {
        while (seen.find(text) == std::string::npos) {
            if (!readMore()) {
                return false;
            }
        }
        return true;
    }
    bool running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
    void signal(int number) const { kill(pid_, number); }
    // Reads the rest of the output and waits for the end: the exit code, -1 without one.
    int finish() {
        while (readMore()) {
        }
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string seen;  // the output read so far

private:
    bool readMore() {
        char buffer[4096];
        const ssize_t n = read(out_, buffer, sizeof buffer);
        if (n > 0) {
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        return n > 0;
    }

    pid_t pid_ = -1;
    int out_ = -1;
};

}  // namespace virelo::test
