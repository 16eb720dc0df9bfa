#include "platform/win32/Win32Terminal.h"

#include <windows.h>

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

}  // namespace virelo::platform::win32
