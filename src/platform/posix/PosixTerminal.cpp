#include "platform/posix/PosixTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iterator>
#include <thread>

#include "platform/posix/FileDescriptor.h"

namespace virelo::platform::posix {
namespace {

// The terminal whose echo is off while a password is typed, and its settings before and during.
// The signal handlers below need them, so they live here, for that one read only.
int gTerminal = -1;
termios gSaved{};
termios gQuiet{};

// A signal that ends the program while echo is off: echo comes back first, then the signal does
// what it would have done.
void RestoreAndRaise(int signal) {
    ::tcsetattr(gTerminal, TCSAFLUSH, &gSaved);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Ctrl-Z while echo is off: echo comes back for the shell, and goes off again when the program
// is continued, before anything more is typed.
void StopWithEcho(int /*signal*/) {
    ::tcsetattr(gTerminal, TCSAFLUSH, &gSaved);
    std::signal(SIGTSTP, SIG_DFL);
    std::raise(SIGTSTP);  // stops here until continued
    std::signal(SIGTSTP, StopWithEcho);
    ::tcsetattr(gTerminal, TCSAFLUSH, &gQuiet);
}

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Installs the handlers for the length of one hidden read, and puts the old ones back after it.
class EchoGuard {
public:
    EchoGuard() {
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            Install(kEndingSignals[i], RestoreAndRaise, old_[i]);
        }
        Install(SIGTSTP, StopWithEcho, oldStop_);
    }
    ~EchoGuard() {
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            ::sigaction(kEndingSignals[i], &old_[i], nullptr);
        }
        ::sigaction(SIGTSTP, &oldStop_, nullptr);
    }
    EchoGuard(const EchoGuard&) = delete;
    EchoGuard& operator=(const EchoGuard&) = delete;

private:
    static void Install(int signal, void (*handler)(int), struct sigaction& old) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_NODEFER;  // the handler raises its own signal again
        ::sigaction(signal, &action, &old);
    }

    struct sigaction old_[std::size(kEndingSignals)]{};
    struct sigaction oldStop_ {};
};

}  // namespace

bool PosixTerminal::interactive() {
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<std::string> PosixTerminal::readHidden(const std::string& prompt) {
    // The prompt and the answer go through the controlling terminal, never through the
    // program's output, which may be a file or a pipe.
    FileDescriptor tty(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (tty.get() < 0 || ::tcgetattr(tty.get(), &gSaved) != 0) {
        return std::nullopt;
    }
    gTerminal = tty.get();
    gQuiet = gSaved;
    gQuiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    gQuiet.c_lflag |= ICANON;
    std::string line;
    bool read = false;
    {
        const EchoGuard guard;
        ::tcsetattr(tty.get(), TCSAFLUSH, &gQuiet);
        [[maybe_unused]] const ssize_t shown = ::write(tty.get(), prompt.data(), prompt.size());
        char c = 0;
        for (;;) {
            const ssize_t n = ::read(tty.get(), &c, 1);
            if (n < 0 && errno == EINTR) {
                continue;  // continued after Ctrl-Z
            }
            if (n != 1) {
                break;
            }
            read = true;
            if (c == '\n') {
                break;
            }
            line += c;
        }
        ::tcsetattr(tty.get(), TCSAFLUSH, &gSaved);
    }
    gTerminal = -1;
    [[maybe_unused]] const ssize_t newline = ::write(tty.get(), "\n", 1);
    if (!read) {
        return std::nullopt;
    }
    return line;
}

void PosixTerminal::keepRunningOnBrokenOutput() {
    std::signal(SIGPIPE, SIG_IGN);
}

bool PosixTerminal::outputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

namespace {

// The write end of the pipe that carries interruptions to the watcher thread.
int gInterruptPipe = -1;

void NoteInterruption(int signal) {
    const int saved = errno;
    const auto number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(gInterruptPipe, &number, 1);
    errno = saved;
}

}  // namespace

void PosixTerminal::onInterrupt(std::function<void(const Interruption&)> handler) {
    int ends[2] = {-1, -1};
    if (gInterruptPipe >= 0 || ::pipe2(ends, O_CLOEXEC) != 0) {
        return;  // already watched, or no pipe: the signals keep ending the program at once
    }
    gInterruptPipe = ends[1];
    // The watcher waits for the first signal for as long as the program runs; it ends with it.
    std::thread([handler = std::move(handler), readEnd = ends[0]] {
        unsigned char number = 0;
        ssize_t n = 0;
        while ((n = ::read(readEnd, &number, 1)) < 0 && errno == EINTR) {
        }
        if (n == 1) {
            handler(number == SIGTERM ? Interruption{143, "SIGTERM"} : Interruption{130, "SIGINT"});
        }
    }).detach();
    struct sigaction action {};
    action.sa_handler = NoteInterruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

}  // namespace virelo::platform::posix
