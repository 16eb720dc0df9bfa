#include "platform/win32/Win32Terminal.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/Text.h"

namespace virelo::platform::win32 {
namespace {

// The console input and the mode it had before the echo went off. Ctrl+C and Ctrl+Break are
// handled on a thread of their own, which needs them to give the echo back before the program
// ends.
HANDLE gInput = INVALID_HANDLE_VALUE;
DWORD gSavedMode = 0;

BOOL WINAPI RestoreEcho(DWORD /*event*/) {
    ::SetConsoleMode(gInput, gSavedMode);
    return FALSE;  // the next handler (the default one) ends the program
}

class ConsoleHandle {
public:
    explicit ConsoleHandle(const wchar_t* name)
        : handle_(::CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr)) {}
    ~ConsoleHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
    }
    ConsoleHandle(const ConsoleHandle&) = delete;
    ConsoleHandle& operator=(const ConsoleHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

void Write(HANDLE console, std::wstring_view text) {
    DWORD written = 0;
    ::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

bool Win32Terminal::interactive() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

std::optional<std::string> Win32Terminal::readHidden(const std::string& prompt) {
    const ConsoleHandle input(L"CONIN$");
    const ConsoleHandle output(L"CONOUT$");
    DWORD saved = 0;
    if (input.get() == INVALID_HANDLE_VALUE || !::GetConsoleMode(input.get(), &saved)) {
        return std::nullopt;
    }
    gInput = input.get();
    gSavedMode = saved;
    ::SetConsoleCtrlHandler(RestoreEcho, TRUE);
    ::SetConsoleMode(input.get(), (saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) |
                                      ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    Write(output.get(), Wide(prompt));
    std::wstring line;
    bool read = false;
    for (;;) {
        wchar_t c = 0;
        DWORD n = 0;
        if (!::ReadConsoleW(input.get(), &c, 1, &n, nullptr) || n != 1) {
            break;
        }
        read = true;
        if (c == L'\n') {
            break;
        }
        if (c != L'\r') {
            line += c;
        }
    }
    ::SetConsoleMode(input.get(), saved);
    ::SetConsoleCtrlHandler(RestoreEcho, FALSE);
    gInput = INVALID_HANDLE_VALUE;
    Write(output.get(), L"\r\n");
    if (!read) {
        return std::nullopt;
    }
    return Utf8(line);
}

Win32Terminal::~Win32Terminal() {
    if (colouredOutput_ != nullptr) {
        ::SetConsoleMode(colouredOutput_, savedOutputMode_);
    }
}

bool Win32Terminal::outputIsTerminal() {
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    // A file or a pipe is no character device; a character device that is no console (NUL, a
    // serial port) has no console mode.
    if (output == nullptr || output == INVALID_HANDLE_VALUE ||
        ::GetFileType(output) != FILE_TYPE_CHAR || !::GetConsoleMode(output, &mode)) {
        return false;
    }
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) {
        return true;
    }
    if (!::SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
        return false;
    }
    colouredOutput_ = output;
    savedOutputMode_ = mode;
    return true;
}

namespace {

// The handler of the first interruption, called once; the console's control handler is a plain
// function, which can reach it only here.
std::function<void(const Interruption&)> gOnInterrupt;
std::atomic_flag gInterrupted = ATOMIC_FLAG_INIT;

BOOL WINAPI NoteInterruption(DWORD event) {
    Interruption interruption;
    switch (event) {
        case CTRL_C_EVENT:
            interruption = {130, "CTRL_C_EVENT"};
            break;
        case CTRL_BREAK_EVENT:
            interruption = {130, "CTRL_BREAK_EVENT"};
            break;
        case CTRL_CLOSE_EVENT:
            interruption = {143, "CTRL_CLOSE_EVENT"};
            break;
        case CTRL_LOGOFF_EVENT:
            interruption = {143, "CTRL_LOGOFF_EVENT"};
            break;
        case CTRL_SHUTDOWN_EVENT:
            interruption = {143, "CTRL_SHUTDOWN_EVENT"};
            break;
        default:
            return FALSE;  // not ours: the next handler decides
    }
    // Later interruptions are taken and dropped while the first one ends the program. (After a
    // close, log-off or shut-down Windows ends the program once this returns, in any case.)
    if (!gInterrupted.test_and_set()) {
        gOnInterrupt(interruption);
    }
    return TRUE;
}

}  // namespace

void Win32Terminal::onInterrupt(std::function<void(const Interruption&)> handler) {
    if (gOnInterrupt) {
        return;  // already watched
    }
    gOnInterrupt = std::move(handler);
    // A program started in a process group of its own keeps ignoring Ctrl-C, as Windows meant;
    // Ctrl-Break still reaches it.
    ::SetConsoleCtrlHandler(NoteInterruption, TRUE);
}

}  // namespace virelo::platform::win32
