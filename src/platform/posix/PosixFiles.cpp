#include "platform/posix/PosixFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace virelo::platform::posix {
namespace {

bool DirectoryExists(const std::string& dir) {
    struct stat st {};
    return ::stat(dir.empty() ? "/" : dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Parent(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

FileStatus Refusal(FileError error, const std::string& path, const std::string& why) {
    return {error, path + ": " + why};
}

std::string KindOf(mode_t mode) {
    switch (mode & S_IFMT) {
        case S_IFREG:
            return "a regular file";
        case S_IFIFO:
            return "a FIFO";
        case S_IFSOCK:
            return "a socket";
        case S_IFCHR:
            return "a character device";
        case S_IFBLK:
            return "a block device";
        case S_IFLNK:
            return "a symbolic link";
        default:
            return "something else";
    }
}

// Why a file cannot be made in `dir`: nothing is there, or something that is no directory.
std::string WhyNoDirectory(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) {
        return errno == ENOTDIR ? dir + ": a part of the path is not a directory"
                                : dir + " does not exist";
    }
    return dir + " is not a directory but " + KindOf(st.st_mode);
}

// What stands under a name that could not be created, in words.
std::string WhatIsThere(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return "already exists";
    }
    if (S_ISREG(st.st_mode)) {
        return "already exists, and is never replaced";
    }
    return S_ISDIR(st.st_mode) ? "is a directory" : "is " + KindOf(st.st_mode) + ", not a new file";
}

// The one place where errno becomes a portable file error. A missing file in a missing directory
// is "path not found", as on Windows, so callers can tell the two apart.
FileStatus Failure(int err, const std::string& path) {
    FileStatus status{FileError::Other, path + ": " + std::strerror(err)};
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            if (err == ENOENT && DirectoryExists(Parent(path))) {
                status.error = FileError::NotFound;
            } else {
                status = {FileError::PathNotFound, WhyNoDirectory(Parent(path))};
            }
            break;
        case EEXIST:
            return Refusal(FileError::Exists, path, WhatIsThere(path));
        case ELOOP:
            return Refusal(FileError::AccessDenied, path,
                           "is a symbolic link, which is never followed");
        case ENXIO:  // a FIFO that nobody reads, opened without blocking
            return Refusal(FileError::AccessDenied, path, "is not a regular file");
        case EACCES:
        case EPERM:
        case EROFS:
            status.error = FileError::AccessDenied;
            break;
        default:
            break;
    }
    return status;
}

FileStatus NotOwnFile(const std::string& path) {
    return Refusal(FileError::NotOwn, path,
                   "is not the log file this run created (another file has taken its name)");
}

std::string Octal(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%03o", mode);
    return text;
}

// Every open is close-on-exec, never follows a link and never waits for a FIFO's other end.
constexpr int kSafeOpen = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

// Reads an open file to its end, at most `limit` bytes.
FileStatus ReadAll(int fd, const std::string& path, std::string& content, std::size_t limit) {
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) {
            return {};
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Failure(errno, path);
        }
        content.append(buffer, static_cast<std::size_t>(n));
        if (content.size() > limit) {
            return Refusal(FileError::Other, path,
                           "larger than " + std::to_string(limit) + " bytes");
        }
    }
}

}  // namespace

std::optional<std::string> PosixFiles::environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

FileStatus PosixFiles::defaultTempDirectory(std::string& dir) {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && *tmpdir != '\0') {
        dir = tmpdir;
        return {};
    }
    // The shared temporary directory is writable by everybody; the logs go into a directory of
    // this user's own inside it, which nobody else may enter.
    dir = sharedTempRoot_ + "/virelo-" + std::to_string(::geteuid());
    return PrivateDirectory(dir, "; set TEMP to a directory of your own");
}

FileStatus PosixFiles::cacheDirectory(std::string& dir) {
    // XDG_CACHE_HOME counts only as an absolute path, as the XDG base directory rules say.
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::string base;
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.cache";
    } else {
        return Refusal(FileError::PathNotFound, "~/.cache", "neither XDG_CACHE_HOME nor HOME set");
    }
    if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) {
        return Failure(errno, base);
    }
    // Nobody else may rename or replace what lies in the cache's base: it belongs to this user
    // (or to the system) and only its owner may change it, or, like /tmp, it is sticky.
    struct stat st {};
    if (::stat(base.c_str(), &st) != 0) {
        return Failure(errno, base);
    }
    if (!S_ISDIR(st.st_mode) || (st.st_uid != ::geteuid() && st.st_uid != 0) ||
        ((st.st_mode & 022) != 0 && (st.st_mode & S_ISVTX) == 0)) {
        return Refusal(FileError::AccessDenied, base,
                       "may be changed by other users (owner " + std::to_string(st.st_uid) +
                           ", mode " + Octal(st.st_mode & 07777) + ")");
    }
    dir = base + "/virelo";
    return PrivateDirectory(dir, "");
}

std::optional<FileVersion> PosixFiles::fileVersion(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    return FileVersion{size, std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
                                 std::to_string(size) + ":" + std::to_string(st.st_mtim.tv_sec) +
                                 "." + std::to_string(st.st_mtim.tv_nsec)};
}

std::string PosixFiles::findProgram(const std::string& name) {
    // The search posix_spawnp makes: each PATH entry in turn (an empty one is the current
    // directory), the first executable regular file.
    const char* path = std::getenv("PATH");
    std::string entries = path != nullptr ? path : "/bin:/usr/bin";
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(entries.find(':', start), entries.size());
        const std::string dir = entries.substr(start, end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            char* real = ::realpath(candidate.c_str(), nullptr);
            const std::string resolved = real != nullptr ? real : "";
            std::free(real);
            return resolved;
        }
        if (end == entries.size()) {
            return {};
        }
        start = end + 1;
    }
}

FileStatus PosixFiles::renameInCache(const std::string& from, const std::string& to) {
    // The cache directory is this user's alone, so nobody else can have put a link there.
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return Failure(errno, from);
    }
    return {};
}

FileStatus PosixFiles::PrivateDirectory(const std::string& dir, const std::string& hint) {
    const uid_t uid = ::geteuid();
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        return Failure(errno, dir);
    }
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) {
        return Failure(errno, dir);
    }
    if (S_ISLNK(st.st_mode)) {
        // A link's own owner and mode say nothing about where it leads: it is never followed.
        std::vector<char> target(4096);
        const ssize_t n = ::readlink(dir.c_str(), target.data(), target.size() - 1);
        return Refusal(FileError::AccessDenied, dir,
                       "is a symbolic link" +
                           (n > 0 ? " to " + std::string(target.data(), static_cast<std::size_t>(n))
                                  : std::string()) +
                           ", not a directory of this user's own, and is never followed; set "
                           "TEMP to a directory of your own");
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != uid || (st.st_mode & 077) != 0) {
        return Refusal(FileError::AccessDenied, dir,
                       "is not a directory private to this user (owner " +
                           std::to_string(st.st_uid) + ", mode " + Octal(st.st_mode & 0777) + ")" +
                           hint);
    }
    return {};
}

bool PosixFiles::IsOwn(const std::string& path, dev_t device, ino_t inode) const {
    const auto it = own_.find(path);
    return it != own_.end() && it->second.device == device && it->second.inode == inode;
}

int PosixFiles::CreateOwn(const std::string& path, int flags, FileStatus& status) {
    const int fd = ::open(path.c_str(), flags | O_CREAT | O_EXCL | kSafeOpen, 0600);
    if (fd < 0) {
        status = Failure(errno, path);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        status = Failure(errno, path);
        ::close(fd);
        return -1;
    }
    Forget(path);
    own_[path] = OwnFile{st.st_dev, st.st_ino,
                         std::make_shared<FileDescriptor>(::fcntl(fd, F_DUPFD_CLOEXEC, 0))};
    order_.push_back(path);
    if (order_.size() > kHeldFiles) {
        Forget(order_.front());
    }
    return fd;
}

void PosixFiles::Forget(const std::string& path) {
    if (own_.erase(path) > 0) {
        order_.erase(std::find(order_.begin(), order_.end(), path));
    }
}

int PosixFiles::OpenOwn(const std::string& path, int flags, FileStatus& status) {
    const int fd = ::open(path.c_str(), flags | kSafeOpen);
    if (fd < 0) {
        status = Failure(errno, path);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        status = Refusal(FileError::AccessDenied, path, "is not a regular file");
    } else if (!IsOwn(path, st.st_dev, st.st_ino)) {
        status = NotOwnFile(path);
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

FileStatus PosixFiles::reserve(const std::string& path) {
    FileStatus status;
    FileDescriptor fd(CreateOwn(path, O_WRONLY, status));
    return status;
}

std::string PosixFiles::identity(const std::string& path) {
    const auto it = own_.find(path);
    if (it == own_.end()) {
        return {};
    }
    return std::to_string(it->second.device) + ":" + std::to_string(it->second.inode);
}

FileStatus PosixFiles::append(const std::string& path, std::string_view text) {
    FileStatus status;
    int opened = CreateOwn(path, O_WRONLY | O_APPEND, status);
    if (opened < 0 && status.error == FileError::Exists) {
        opened = OpenOwn(path, O_WRONLY | O_APPEND, status);
    }
    FileDescriptor fd(opened);
    if (fd.get() < 0) {
        return status;
    }
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd.get(), data, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Failure(errno, path);
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return {};
}

FileStatus PosixFiles::read(const std::string& path, std::string& content) {
    content.clear();
    FileStatus status;
    FileDescriptor fd(OpenOwn(path, O_RDONLY, status));
    if (fd.get() < 0) {
        return status;
    }
    return ReadAll(fd.get(), path, content, std::string::npos);
}

FileStatus PosixFiles::remove(const std::string& path) {
    // Between this check and the unlink only someone who may delete our file could swap it: in
    // a shared temporary directory (sticky) or a private one, that is this user alone.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return Failure(errno, path);
    }
    if (!S_ISREG(st.st_mode) || !IsOwn(path, st.st_dev, st.st_ino)) {
        return NotOwnFile(path);
    }
    if (::unlink(path.c_str()) != 0) {
        return Failure(errno, path);
    }
    Forget(path);
    return {};
}

FileStatus PosixFiles::readNamed(const std::string& path, std::string& content, std::size_t limit) {
    content.clear();
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        return Failure(errno, path);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return Refusal(FileError::AccessDenied, path, "not a regular file");
    }
    if (static_cast<std::size_t>(st.st_size) > limit) {
        return Refusal(FileError::Other, path, "larger than " + std::to_string(limit) + " bytes");
    }
    return ReadAll(fd.get(), path, content, limit);
}

std::string PosixFiles::programDirectory() {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
        return {};
    }
    return Parent(std::string(buffer.data(), static_cast<std::size_t>(n)));
}

bool PosixFiles::isTrustedFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           (st.st_uid == ::geteuid() || st.st_uid == 0) && (st.st_mode & 022) == 0;
}

}  // namespace virelo::platform::posix
