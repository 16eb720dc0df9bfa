#include "platform/posix/PosixProcesses.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "platform/CommandLine.h"

extern char** environ;

namespace virelo::platform::posix {

std::int32_t PosixProcesses::runAndWait(const std::string& commandLine) {
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty() || args.front().empty()) {
        return ENOENT;
    }
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (rc != 0) {
        return rc;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return 0;
}

}  // namespace virelo::platform::posix
