#include "platform/posix/PosixTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>

#include "platform/posix/FileDescriptor.h"

namespace virelo::platform::posix {

bool PosixTerminal::interactive() {
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<std::string> PosixTerminal::readHidden(const std::string& prompt) {
    // The prompt and the answer go through the controlling terminal, never through the
    // program's output, which may be a file or a pipe.
    FileDescriptor tty(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (tty.get() < 0) {
        return std::nullopt;
    }
    termios saved{};
    if (::tcgetattr(tty.get(), &saved) != 0) {
        return std::nullopt;
    }
    termios quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    quiet.c_lflag |= ICANON;
    ::tcsetattr(tty.get(), TCSAFLUSH, &quiet);
    [[maybe_unused]] const ssize_t shown = ::write(tty.get(), prompt.data(), prompt.size());
    std::string line;
    char c = 0;
    bool read = false;
    while (::read(tty.get(), &c, 1) == 1) {
        read = true;
        if (c == '\n') {
            break;
        }
        line += c;
    }
    ::tcsetattr(tty.get(), TCSAFLUSH, &saved);
    [[maybe_unused]] const ssize_t newline = ::write(tty.get(), "\n", 1);
    if (!read) {
        return std::nullopt;
    }
    return line;
}

void PosixTerminal::keepRunningOnBrokenOutput() {
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace virelo::platform::posix
