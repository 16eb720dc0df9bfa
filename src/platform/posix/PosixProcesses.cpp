#include "platform/posix/PosixProcesses.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/CommandLine.h"

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

}  // namespace

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
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return 0;
}

}  // namespace virelo::platform::posix
