#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace virelo::platform {

// Why a file operation failed, in terms every platform can report.
enum class FileError {
    None,
    NotFound,      // the file does not exist, its directory does
    PathNotFound,  // the directory does not exist or is not a directory
    AccessDenied,  // permissions, or a symbolic link where none may be followed
    Other,
};

struct FileStatus {
    FileError error = FileError::None;
    std::string reason;  // the system's own words for the failure, empty on success

    bool ok() const { return error == FileError::None; }
};

// Files, environment variables and the temporary directory.
class Files {
public:
    virtual ~Files() = default;

    // The value of an environment variable, or nothing when it is not set.
    virtual std::optional<std::string> environment(const std::string& name) = 0;
    // The system's temporary directory when TEMP is not set.
    virtual std::string defaultTempDirectory() = 0;
    // The character that joins a directory and a file name.
    virtual char pathSeparator() const = 0;
    // Queries a path's attributes: ok when it exists, else why not.
    virtual FileStatus probe(const std::string& path) = 0;
    // Appends text, creating the file readable by the user only; never writes through a link.
    virtual FileStatus append(const std::string& path, std::string_view text) = 0;
    // Reads a whole file.
    virtual FileStatus read(const std::string& path, std::string& content) = 0;
    // Deletes a file.
    virtual FileStatus remove(const std::string& path) = 0;
};

}  // namespace virelo::platform
