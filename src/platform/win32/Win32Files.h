#pragma once

#include <deque>
#include <map>
#include <memory>

#include "platform/Files.h"

namespace virelo::platform::win32 {

// Files on Windows, through the wide-character calls. A log file is created with CREATE_NEW and
// a security descriptor that grants its owner alone any access; it is identified by its volume
// serial number and file index, taken when this object created it. A handle to each own file
// stays open (sharing reading, writing and deletion with everybody, so that the Java test class
// can write it) so that its file index cannot pass to another file while it is in use. Links and
// other reparse points are opened as themselves and refused, never followed.
//
// There is no cache directory (the defaults of Files): the JDBC ping's start-up archive would
// need a place such as %LOCALAPPDATA%\virelo with its ownership checked, and it cannot be tried
// here (no Windows Java under Wine), while the Java test class still refuses its log file on
// Windows. The JVM then starts without an archive.
class Win32Files : public Files {
public:
    Win32Files();
    ~Win32Files() override;
    Win32Files(const Win32Files&) = delete;
    Win32Files& operator=(const Win32Files&) = delete;

    std::optional<std::string> environment(const std::string& name) override;
    FileStatus defaultTempDirectory(std::string& dir) override;
    char pathSeparator() const override { return '\\'; }
    char pathListSeparator() const override { return ';'; }
    FileStatus reserve(const std::string& path) override;
    std::string identity(const std::string& path) override;
    FileStatus append(const std::string& path, std::string_view text) override;
    FileStatus read(const std::string& path, std::string& content) override;
    FileStatus remove(const std::string& path) override;
    FileStatus readNamed(const std::string& path, std::string& content, std::size_t limit) override;
    std::string programDirectory() override;
    bool isTrustedFile(const std::string& path) override;

    class Handle;

private:
    struct OwnFile {
        std::string identity;
        std::shared_ptr<Handle> held;
    };
    static constexpr std::size_t kHeldFiles = 32;

    // Creates the file exclusively and remembers it; an invalid handle with the status set when
    // it cannot.
    std::shared_ptr<Handle> CreateOwn(const std::string& path, unsigned long access,
                                      FileStatus& status);
    // Opens a file of this run's own; an invalid handle with the status set when the file is
    // missing, is not a plain file or is not the one this run created.
    std::shared_ptr<Handle> OpenOwn(const std::string& path, unsigned long access,
                                    FileStatus& status);
    void Forget(const std::string& path);

    std::map<std::string, OwnFile> own_;
    std::deque<std::string> order_;  // oldest first
    void* ownerOnly_ = nullptr;      // the security descriptor of new log files
};

}  // namespace virelo::platform::win32
