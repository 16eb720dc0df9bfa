#include "platform/win32/Win32Processes.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "platform/CommandLine.h"
#include "platform/PipedProcess.h"
#include "platform/win32/Text.h"

namespace virelo::platform::win32 {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i])) {
            return false;
        }
    }
    return true;
}

// The caller's environment block with the changes set on top: a changed variable replaces the
// inherited one of the same name, whatever its letter case (Windows names are not
// case-sensitive). The block is a list of NUL-ended entries ended by one more NUL.
std::wstring ChildEnvironment(const Environment& changes) {
    std::vector<std::pair<std::wstring, std::wstring>> wide;
    for (const auto& [name, value] : changes) {
        wide.emplace_back(Wide(name), Wide(value));
    }
    std::wstring block;
    wchar_t* inherited = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = inherited; entry != nullptr && *entry != L'\0';
         entry += std::wcslen(entry) + 1) {
        const std::wstring_view text(entry);
        // Entries such as "=C:=C:\work" keep the current directory of each drive; their name
        // starts after the first character.
        const std::size_t equals = text.find(L'=', 1);
        const std::wstring_view name = text.substr(0, equals);
        bool replaced = false;
        for (const auto& change : wide) {
            replaced = replaced || SameName(name, change.first);
        }
        if (!replaced) {
            block.append(text).push_back(L'\0');
        }
    }
    if (inherited != nullptr) {
        ::FreeEnvironmentStringsW(inherited);
    }
    for (const auto& [name, value] : wide) {
        block.append(name).append(L"=").append(value).push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

}  // namespace

std::int32_t Win32Processes::runAndWait(const std::string& commandLine, const Environment& changes,
                                        ChildOutput output) {
    // CreateProcessW may write into the command line it is given.
    std::wstring line = Wide(commandLine);
    if (line.find_first_not_of(L" \t") == std::wstring::npos) {
        return ERROR_FILE_NOT_FOUND;
    }
    std::wstring environment = ChildEnvironment(changes);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    HANDLE discard = INVALID_HANDLE_VALUE;
    if (output == ChildOutput::Discard) {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        discard = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inheritable, OPEN_EXISTING, 0, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = discard;
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                          NORMAL_PRIORITY_CLASS | CREATE_UNICODE_ENVIRONMENT,
                                          environment.data(), nullptr, &startup, &process);
    const DWORD error = started ? ERROR_SUCCESS : ::GetLastError();
    if (discard != INVALID_HANDLE_VALUE) {
        ::CloseHandle(discard);
    }
    if (!started) {
        return static_cast<std::int32_t>(error);
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    return 0;
}

CapturedRun Win32Processes::runCapturing(const std::string& commandLine,
                                         std::chrono::milliseconds timeout, std::size_t limit) {
    CapturedRun run;
    const std::vector<std::string> argv = SplitCommandLine(commandLine);
    if (argv.empty() || argv.front().empty()) {
        run.failure = "no program named";
        return run;
    }
    PipedStart start = StartPipedProcess(argv, {});
    if (!start.process) {
        run.failure = start.reason;
        return run;
    }
    run.started = true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string line;
    PipeStatus status = PipeStatus::Ok;
    while (run.output.size() < limit &&
           (status = start.process->readLine(line, deadline)) == PipeStatus::Ok) {
        run.output += line + "\n";
    }
    run.timedOut = status == PipeStatus::TimedOut;
    start.process->finish(run.timedOut ? std::chrono::steady_clock::now() : deadline);
    // The error output follows the standard output (a pipe of its own keeps it).
    run.output += start.process->errorOutput();
    run.output.resize(std::min(run.output.size(), limit));
    return run;
}

}  // namespace virelo::platform::win32
