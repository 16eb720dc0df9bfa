#pragma once

#include <sys/types.h>

#include <deque>
#include <map>
#include <memory>

#include "platform/posix/FileDescriptor.h"

#include "platform/Files.h"

namespace virelo::platform::posix {

// Files on a POSIX system. A log file is identified by its device and inode, taken when this
// object created it; a file under the same name with another identity is not this run's own.
// Unlike the Windows file calls, a descriptor held open here keeps nobody else (the Java test
// class included) from writing or reading the file.
class PosixFiles : public Files {
public:
    // sharedTempRoot is where the user's private log directory goes when neither TEMP nor TMPDIR
    // is set (tests move it).
    explicit PosixFiles(std::string sharedTempRoot = "/tmp")
        : sharedTempRoot_(std::move(sharedTempRoot)) {}

    std::optional<std::string> environment(const std::string& name) override;
    FileStatus defaultTempDirectory(std::string& dir) override;
    char pathSeparator() const override { return '/'; }
    char pathListSeparator() const override { return ':'; }
    FileStatus reserve(const std::string& path) override;
    std::string identity(const std::string& path) override;
    FileStatus append(const std::string& path, std::string_view text) override;
    FileStatus read(const std::string& path, std::string& content) override;
    FileStatus remove(const std::string& path) override;
    FileStatus readNamed(const std::string& path, std::string& content, std::size_t limit) override;
    std::string programDirectory() override;
    bool isTrustedFile(const std::string& path) override;
    FileStatus cacheDirectory(std::string& dir) override;
    std::optional<FileVersion> fileVersion(const std::string& path) override;
    std::string findProgram(const std::string& name) override;
    FileStatus renameInCache(const std::string& from, const std::string& to) override;

private:
    // A file this object created. Its descriptor stays open, so that the inode cannot be freed
    // and given to another file under the same name while the file is in use. Only the most
    // recent files are kept: older names are forgotten and then no longer touched at all.
    struct OwnFile {
        dev_t device = 0;
        ino_t inode = 0;
        std::shared_ptr<FileDescriptor> held;
    };
    static constexpr std::size_t kHeldFiles = 32;

    // Creates the file exclusively and remembers it; -1 with the status set when it cannot.
    int CreateOwn(const std::string& path, int flags, FileStatus& status);
    // Opens a file of this run's own without following a link or blocking on a FIFO; -1 with the
    // status set when the file is missing or is not the one this run created.
    int OpenOwn(const std::string& path, int flags, FileStatus& status);
    bool IsOwn(const std::string& path, dev_t device, ino_t inode) const;
    // Creates a directory of this user's own that nobody else may enter, or checks that the one
    // there is such a directory and no link; the hint ends the refusal's words.
    static FileStatus PrivateDirectory(const std::string& dir, const std::string& hint);
    void Forget(const std::string& path);

    std::string sharedTempRoot_;
    std::map<std::string, OwnFile> own_;
    std::deque<std::string> order_;  // oldest first
};

}  // namespace virelo::platform::posix
