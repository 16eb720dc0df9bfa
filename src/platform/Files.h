#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace virelo::platform {

// Why a file operation failed, in terms every platform can report.
enum class FileError {
    None,
    NotFound,      // the file does not exist, its directory does
    PathNotFound,  // the directory does not exist or is not a directory
    AccessDenied,  // permissions, a symbolic link, or something that is not a regular file
    Exists,        // the name is taken already
    NotOwn,        // a file this run did not create (or one put in its place)
    Other,
};

// One version of a file: what changes whenever the file is replaced or written to.
struct FileVersion {
    std::uint64_t size = 0;
    std::string stamp;  // device, inode, size and modification time, as one text
};

struct FileStatus {
    FileError error = FileError::None;
    std::string reason;  // the system's own words for the failure, empty on success

    bool ok() const { return error == FileError::None; }
};

// Files, environment variables and the temporary directory.
//
// Log files are the program's own: a name is reserved by creating the file exclusively when it is
// chosen, and from then on only that very file (the same file, not merely the same name) is
// appended to, read or deleted. A file that another user or another program has put under the
// name is refused, so that nobody can feed lines into a report or have the program delete a file
// that is not its own.
class Files {
public:
    virtual ~Files() = default;

    // The value of an environment variable, or nothing when it is not set.
    virtual std::optional<std::string> environment(const std::string& name) = 0;
    // The directory for log files when TEMP is not set: TMPDIR when set, else a directory private
    // to this user (created when missing). Fails when that directory is not private.
    virtual FileStatus defaultTempDirectory(std::string& dir) = 0;
    // The character that joins a directory and a file name.
    virtual char pathSeparator() const = 0;
    // The character that separates the entries of a search path such as CLASSPATH.
    virtual char pathListSeparator() const = 0;

    // Creates a new, empty file readable by the user only, never through a link, and remembers
    // it as this run's own. Exists when the name is taken.
    virtual FileStatus reserve(const std::string& path) = 0;
    // What identifies a file of this run's own ("device:inode"), empty for any other path.
    virtual std::string identity(const std::string& path) = 0;
    // Appends text to a file of this run's own; a missing file is first created as by reserve().
    virtual FileStatus append(const std::string& path, std::string_view text) = 0;
    // Reads a whole file of this run's own.
    virtual FileStatus read(const std::string& path, std::string& content) = 0;
    // Deletes a file of this run's own.
    virtual FileStatus remove(const std::string& path) = 0;

    // Reads a small file the user named (a password file, say): a regular file, opened without
    // waiting on a FIFO, at most `limit` bytes.
    virtual FileStatus readNamed(const std::string& path, std::string& content,
                                 std::size_t limit) = 0;

    // The directory that holds the running program.
    virtual std::string programDirectory() = 0;
    // Whether a file may be handed to another program as part of this one: a regular file that
    // belongs to this user or to the system and that nobody else may change.
    virtual bool isTrustedFile(const std::string& path) = 0;

    // The cache the Java test class's start-up archives are kept in. A system that keeps none
    // answers these with a failure or nothing, and Java then starts without an archive.
    //
    // The program's cache directory ($XDG_CACHE_HOME/virelo, else ~/.cache/virelo), created
    // when missing; only a directory of this user's own that nobody else may enter, reached
    // without a link, is given.
    virtual FileStatus cacheDirectory(std::string& /*dir*/) {
        return {FileError::Other, "no cache directory on this system"};
    }
    // The version of a regular file (links followed), nothing for anything else.
    virtual std::optional<FileVersion> fileVersion(const std::string& /*path*/) { return {}; }
    // The file that a program named without a directory runs as, found through PATH with its
    // links resolved; empty when there is none.
    virtual std::string findProgram(const std::string& /*name*/) { return {}; }
    // Gives a file in the cache directory another name there, replacing a file of that name.
    virtual FileStatus renameInCache(const std::string& /*from*/, const std::string& /*to*/) {
        return {FileError::Other, "no cache directory on this system"};
    }
};

}  // namespace virelo::platform
