// A child process on three anonymous pipes, started with CreateProcessW in a job object of its
// own so that ending it ends what it started too. Anonymous pipes cannot be waited on with a time
// limit, so reads look at what a pipe holds (PeekNamedPipe) before they read, and the input
// pipe's buffer is large enough to take any request whole.
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <thread>

#include "platform/CommandLine.h"
#include "platform/PipedProcess.h"
#include "platform/win32/Text.h"

namespace virelo::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kErrorTail = 4096;
constexpr DWORD kInputBuffer = 1u << 20;

void CloseOwned(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
    }
    handle = nullptr;
}

DWORD MillisecondsUntil(PipedProcess::Deadline deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<DWORD>(std::min<long long>(left, 60'000));
}

class Win32PipedProcess : public PipedProcess {
public:
    Win32PipedProcess(HANDLE job, HANDLE process, HANDLE input, HANDLE output, HANDLE errors)
        : job_(job), process_(process), input_(input), output_(output), errors_(errors) {}
    ~Win32PipedProcess() override {
        if (process_ != nullptr) {
            finish(Clock::now() + std::chrono::seconds(1));
        }
        for (HANDLE* handle : {&job_, &input_, &output_, &errors_}) {
            CloseOwned(*handle);
        }
    }
    Win32PipedProcess(const Win32PipedProcess&) = delete;
    Win32PipedProcess& operator=(const Win32PipedProcess&) = delete;

    PipeStatus write(std::string_view text, Deadline /*deadline*/) override {
        while (!text.empty()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 65536));
            if (input_ == nullptr || !::WriteFile(input_, text.data(), chunk, &written, nullptr)) {
                const DWORD error = input_ == nullptr ? ERROR_BROKEN_PIPE : ::GetLastError();
                return error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA ? PipeStatus::Closed
                                                                            : PipeStatus::Failed;
            }
            text.remove_prefix(written);
        }
        return PipeStatus::Ok;
    }

    PipeStatus readLine(std::string& line, Deadline deadline) override {
        for (;;) {
            if (const auto taken = TakeLine(pending_, line)) {
                return *taken;
            }
            drainErrors();
            const PipeStatus read = readAvailable(output_, pending_);
            if (read == PipeStatus::Ok) {
                continue;
            }
            if (read != PipeStatus::TimedOut) {
                return read;
            }
            if (Clock::now() >= deadline) {
                return PipeStatus::TimedOut;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    int finish(Deadline deadline) override {
        CloseOwned(input_);
        if (process_ == nullptr) {
            return exitCode_;
        }
        DWORD waited = WAIT_TIMEOUT;
        do {
            drainErrors();
            waited =
                ::WaitForSingleObject(process_, std::min<DWORD>(MillisecondsUntil(deadline), 20));
        } while (waited == WAIT_TIMEOUT && Clock::now() < deadline);
        // Whatever it started and left behind goes with it.
        if (job_ == nullptr || !::TerminateJobObject(job_, 1)) {
            ::TerminateProcess(process_, 1);
        }
        ::WaitForSingleObject(process_, INFINITE);
        DWORD code = 0;
        exitCode_ = waited == WAIT_OBJECT_0 && ::GetExitCodeProcess(process_, &code)
                        ? static_cast<int>(code)
                        : -1;
        CloseOwned(process_);
        drainErrors();
        return exitCode_;
    }

    std::string errorOutput() const override { return errorTail_; }

private:
    // Reads what a pipe holds now: Ok when something was read, TimedOut when it holds nothing yet.
    static PipeStatus readAvailable(HANDLE& pipe, std::string& into) {
        DWORD available = 0;
        if (pipe == nullptr) {
            return PipeStatus::Closed;
        }
        if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            const DWORD error = ::GetLastError();
            CloseOwned(pipe);
            return error == ERROR_BROKEN_PIPE ? PipeStatus::Closed : PipeStatus::Failed;
        }
        if (available == 0) {
            return PipeStatus::TimedOut;
        }
        char buffer[65536];
        DWORD n = 0;
        if (!::ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &n, nullptr)) {
            CloseOwned(pipe);
            return PipeStatus::Closed;
        }
        into.append(buffer, n);
        return PipeStatus::Ok;
    }

    void drainErrors() {
        while (readAvailable(errors_, errorTail_) == PipeStatus::Ok) {
            if (errorTail_.size() > kErrorTail) {
                errorTail_.erase(0, errorTail_.size() - kErrorTail);
            }
        }
    }

    HANDLE job_, process_, input_, output_, errors_;
    std::string pending_;
    std::string errorTail_;
    int exitCode_ = -1;
};

bool SameName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

// The caller's environment block without the withheld variables (names in any letter case).
std::wstring ChildEnvironment(const std::vector<std::string>& withheld) {
    std::wstring block;
    wchar_t* inherited = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = inherited; entry != nullptr && *entry != L'\0';
         entry += std::wcslen(entry) + 1) {
        const std::wstring_view text(entry);
        const std::wstring_view name = text.substr(0, text.find(L'=', 1));
        const bool held = std::any_of(withheld.begin(), withheld.end(), [&](const std::string& w) {
            return SameName(name, win32::Wide(w));
        });
        if (!held) {
            block.append(text).push_back(L'\0');
        }
    }
    if (inherited != nullptr) {
        ::FreeEnvironmentStringsW(inherited);
    }
    block.push_back(L'\0');
    return block;
}

PipedStart Failure(DWORD error) {
    return {nullptr, static_cast<std::int32_t>(error), win32::SystemErrorText(error)};
}

}  // namespace

PipedStart StartPipedProcess(const std::vector<std::string>& argv,
                             const std::vector<std::string>& withheld) {
    if (argv.empty() || argv.front().empty()) {
        return Failure(ERROR_FILE_NOT_FOUND);
    }
    std::string line = "\"" + argv.front() + "\"";
    for (std::size_t i = 1; i < argv.size(); ++i) {
        line += " " + QuoteArgument(argv[i]);
    }
    std::wstring wideLine = win32::Wide(line);
    std::wstring environment = ChildEnvironment(withheld);

    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE in[2] = {}, out[2] = {}, err[2] = {};
    const auto closeAll = [&] {
        for (HANDLE* handle : {&in[0], &in[1], &out[0], &out[1], &err[0], &err[1]}) {
            CloseOwned(*handle);
        }
    };
    // The child inherits its own ends only.
    if (!::CreatePipe(&in[0], &in[1], &inheritable, kInputBuffer) ||
        !::CreatePipe(&out[0], &out[1], &inheritable, 0) ||
        !::CreatePipe(&err[0], &err[1], &inheritable, 0) ||
        !::SetHandleInformation(in[1], HANDLE_FLAG_INHERIT, 0) ||
        !::SetHandleInformation(out[0], HANDLE_FLAG_INHERIT, 0) ||
        !::SetHandleInformation(err[0], HANDLE_FLAG_INHERIT, 0)) {
        const DWORD error = ::GetLastError();
        closeAll();
        return Failure(error);
    }
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job != nullptr) {
        ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in[0];
    startup.hStdOutput = out[1];
    startup.hStdError = err[1];
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW,
                          environment.data(), nullptr, &startup, &process)) {
        const DWORD error = ::GetLastError();
        closeAll();
        CloseOwned(job);
        return Failure(error);
    }
    if (job != nullptr) {
        ::AssignProcessToJobObject(job, process.hProcess);
    }
    ::ResumeThread(process.hThread);
    ::CloseHandle(process.hThread);
    auto child = std::make_unique<Win32PipedProcess>(job, process.hProcess, in[1], out[0], err[0]);
    in[1] = out[0] = err[0] = nullptr;
    closeAll();
    return {std::move(child), 0, {}};
}

}  // namespace virelo::platform
