#include "platform/posix/PosixFiles.h"
#include "platform/posix/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

// The one place where errno becomes a portable file error. A missing file in a missing directory
// is "path not found", as on Windows, so callers can tell the two apart.
FileStatus Failure(int err, const std::string& path) {
    FileStatus status;
    status.reason = path + ": " + std::strerror(err);
    switch (err) {
        case ENOENT:
            status.error =
                DirectoryExists(Parent(path)) ? FileError::NotFound : FileError::PathNotFound;
            break;
        case ENOTDIR:
            status.error = FileError::PathNotFound;
            break;
        case ELOOP:
            status.error = FileError::AccessDenied;
            status.reason = path + ": is a symbolic link, which is not followed";
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            status.error = FileError::AccessDenied;
            break;
        default:
            status.error = FileError::Other;
            break;
    }
    return status;
}

// Opens without blocking (a FIFO planted under a log file's name must not stall the window) and
// accepts regular files only.
int OpenRegular(const std::string& path, int flags, FileStatus& status) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        status = Failure(errno, path);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        status.error = FileError::AccessDenied;
        status.reason = path + ": not a regular file";
        return -1;
    }
    return fd;
}

}  // namespace

std::optional<std::string> PosixFiles::environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::string PosixFiles::defaultTempDirectory() {
    const char* tmpdir = std::getenv("TMPDIR");
    return tmpdir != nullptr && *tmpdir != '\0' ? std::string(tmpdir) : std::string("/tmp");
}

FileStatus PosixFiles::probe(const std::string& path) {
    struct stat st {};
    // lstat: a symbolic link counts as an existing file, so its name is never chosen for a log.
    if (::lstat(path.c_str(), &st) != 0) {
        return Failure(errno, path);
    }
    return {};
}

FileStatus PosixFiles::append(const std::string& path, std::string_view text) {
    FileStatus status;
    FileDescriptor fd(OpenRegular(path, O_WRONLY | O_APPEND | O_CREAT, status));
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
    FileDescriptor fd(OpenRegular(path, O_RDONLY, status));
    if (fd.get() < 0) {
        return status;
    }
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
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
    }
}

FileStatus PosixFiles::remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        return Failure(errno, path);
    }
    return {};
}

}  // namespace virelo::platform::posix
