#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

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

inline ChildResult RunChild(const std::vector<std::string>& argv,
                            const std::map<std::string, std::optional<std::string>>& env = {},
                            bool closeStdout = false) {
    static TempDir outputs;
    // env(1) removes and sets the variables (its options come before its assignments), then
    // starts the program found on PATH.
    std::vector<std::string> args = {"env"}, assignments;
    for (const auto& [name, value] : env) {
        (value ? assignments : args).push_back(value ? name + "=" + *value : "--unset=" + name);
    }
    args.insert(args.end(), assignments.begin(), assignments.end());
    args.insert(args.end(), argv.begin(), argv.end());
    std::vector<char*> argp;
    for (auto& arg : args) {
        argp.push_back(arg.data());
    }
    argp.push_back(nullptr);

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

}  // namespace virelo::test
