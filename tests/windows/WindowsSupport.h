#pragma once

// What the Windows tests share: a program run with its output captured, a loopback listener, a
// private directory, an environment variable set for one test, and the switch that allows a
// test to write the registry or to send to addresses outside loopback.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "general/General.h"
#include "platform/Clock.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Processes.h"

namespace virelo::test {

// A private directory under the temporary directory, removed with its content at the end.
class TempDir {
public:
    TempDir() {
        static int made = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("virelo-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                 std::to_string(++made));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    // Paths in UTF-8, as the program keeps them.
    std::string path() const { return platform::win32::Utf8(path_.wstring()); }
    std::string file(const std::string& name) const { return path() + "\\" + name; }

private:
    std::filesystem::path path_;
};

// Runs a command line (no shell) and waits for it: its exit code and what it wrote on standard
// output and standard error, together. While it runs, `meanwhile` is shown its output so far,
// every tenth of a second, until it returns true.
struct Ran {
    int exitCode = -1;
    std::string out;
};

inline Ran RunCaptured(const std::string& commandLine,
                       const std::function<bool(const std::string&)>& meanwhile = {}) {
    const TempDir dir;
    const std::filesystem::path file(dir.file("out.txt"));
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE out = ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                     CREATE_NEW, 0, nullptr);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = start.hStdError = out;
    PROCESS_INFORMATION child{};
    std::wstring line = platform::win32::Wide(commandLine);
    const auto shown = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    Ran ran;
    if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                         &child)) {
        while (meanwhile && ::WaitForSingleObject(child.hProcess, 100) == WAIT_TIMEOUT &&
               !meanwhile(shown())) {
        }
        DWORD exitCode = 0;
        ::WaitForSingleObject(child.hProcess, INFINITE);
        ::GetExitCodeProcess(child.hProcess, &exitCode);
        ran.exitCode = static_cast<int>(exitCode);
        ::CloseHandle(child.hThread);
        ::CloseHandle(child.hProcess);
    }
    ::CloseHandle(out);
    ran.out = shown();
    return ran;
}

// Sets an environment variable for the length of a test; it is unset afterwards.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::string& value)
        : name_(platform::win32::Wide(name)) {
        ::SetEnvironmentVariableW(name_.c_str(), platform::win32::Wide(value).c_str());
    }
    ~ScopedEnv() { ::SetEnvironmentVariableW(name_.c_str(), nullptr); }

private:
    std::wstring name_;
};

// A TCP listener on 127.0.0.1 with a port of its own: connections complete in its backlog
// without being accepted. Closing it leaves a port that refuses. A `silent` one has its short
// backlog filled by connections of its own, so that a new one gets no answer at all (where the
// system drops a connection beyond the backlog, as Linux does, rather than refusing it).
class Listener {
public:
    explicit Listener(bool silent = false) {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(socket_, silent ? 1 : 8) == 0 &&
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ::ntohs(address.sin_port);
        }
        // Linux, under Wine, queues two connections on a backlog of one and drops the next.
        for (int i = 0; silent && i < 2; ++i) {
            fillers_.push_back(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
            ::connect(fillers_.back(), reinterpret_cast<sockaddr*>(&address), length);
        }
    }
    ~Listener() {
        close();
        for (const SOCKET filler : fillers_) {
            ::closesocket(filler);
        }
        ::WSACleanup();
    }
    std::uint16_t port() const { return port_; }
    void close() {
        if (socket_ != INVALID_SOCKET) {
            ::closesocket(socket_);
            socket_ = INVALID_SOCKET;
        }
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
    std::vector<SOCKET> fillers_;
};

// Set by scripts/test-windows.sh, which runs the tests in a throw-away Wine prefix inside a
// private network namespace: only there may a test rewrite HKEY_LOCAL_MACHINE's server directory
// or send to an address outside loopback.
inline bool InPrivatePrefix() {
    return std::getenv("VIRELO_PRIVATE_WINE_PREFIX") != nullptr;
}

#define VIRELO_REQUIRE_PRIVATE_PREFIX()                                                        \
    if (!::virelo::test::InPrivatePrefix())                                                    \
    GTEST_SKIP() << "rewrites the registry's server directory: runs only in the private Wine " \
                    "prefix of scripts/test-windows.sh"

// A registry key written with the registry editor of the command line (reg.exe), as an
// administrator would; true when reg.exe succeeded.
inline bool RegAdd(const std::string& key, const std::string& name, const std::string& type,
                   const std::string& data) {
    const Ran ran = RunCaptured("reg add \"" + key + "\" /v \"" + name + "\" /t " + type +
                                " /d \"" + data + "\" /f");
    return ran.exitCode == 0;
}

// Keys and values in the form of a registry export ("Windows Registry Editor Version 5.00"
// and the lines after it, CR LF added), imported with reg.exe: one program run for many values.
inline bool RegImport(const std::string& lines) {
    const TempDir dir;
    const std::wstring text =
        platform::win32::Wide("Windows Registry Editor Version 5.00\r\n\r\n" + lines);
    std::ofstream out(std::filesystem::path(dir.file("import.reg")), std::ios::binary);
    out << "\xFF\xFE";  // UTF-16LE
    out.write(reinterpret_cast<const char*>(text.data()),
              static_cast<std::streamsize>(text.size() * sizeof(wchar_t)));
    out.close();
    return RunCaptured("reg import \"" + dir.file("import.reg") + "\"").exitCode == 0;
}

inline void RegDelete(const std::string& key) {
    RunCaptured("reg delete \"" + key + "\" /f");
}

// A clock that always shows the same time, so whole log lines can be compared.
class FixedClock : public platform::Clock {
public:
    std::string timeOfDay() override { return "3:04:05 PM"; }
};

// The log procedures over Windows' files and processes and a fixed clock, with a log path in a
// private directory.
class LogFixture : public ::testing::Test {
protected:
    // The lines logged since the last call, each after CR LF; the file is deleted.
    std::string log() {
        const std::string text = general.ReadTextFile(path);
        general.DeleteLogFile(path);
        return text;
    }
    // First made, last removed: the files object holds its log files open until it goes.
    TempDir temp;
    std::string path = temp.file("virelo.log");
    platform::win32::Win32Files files;
    FixedClock clock;
    platform::win32::Win32Processes processes;
    general::General general{files, clock, processes};
};

}  // namespace virelo::test
