#include "general/General.h"

namespace virelo::general {
namespace {

constexpr std::int16_t kLastAttempt = 32767;  // the attempt counter is a signed 16-bit number

// A file failure as the run-time error number and text the handlers show.
Error FileErrorOf(const platform::FileStatus& status, const char* source) {
    using platform::FileError;
    switch (status.error) {
        case FileError::NotFound:
            return Error(errors::kFileNotFound, source, "File not found (" + status.reason + ")");
        case FileError::PathNotFound:
            return Error(errors::kPathNotFound, source, "Path not found (" + status.reason + ")");
        default:
            return Error(errors::kPathFileAccess, source,
                         "Path/File access error (" + status.reason + ")");
    }
}

[[noreturn]] void RaiseFileError(const platform::FileStatus& status, const char* source) {
    throw FileErrorOf(status, source);
}

std::string TempDirectory(platform::Files& files) {
    std::string dir = files.environment("TEMP").value_or("");
    if (dir.empty()) {
        const auto status = files.defaultTempDirectory(dir);
        if (!status.ok()) {
            throw Error(
                errors::kPathFileAccess, "GetLogPath",
                "Path/File access error: no directory for log files (" + status.reason + ")");
        }
    }
    return dir;
}

}  // namespace

std::string General::GetLogPath() {
    const std::string dir = TempDirectory(files_);
    const char sep = files_.pathSeparator();
    const std::string stem = dir.back() == sep ? dir + "virelo" : dir + sep + "virelo";

    for (std::int16_t attempt = 0;; ++attempt) {
        const std::string candidate =
            stem + (attempt == 0 ? std::string() : std::to_string(attempt)) + ".log";
        const auto status = files_.reserve(candidate);
        if (status.ok()) {
            return candidate;
        }
        if (status.error == platform::FileError::PathNotFound) {
            // Every further name would fail the same way: the directory itself is missing.
            throw Error(errors::kPathNotFound, "GetLogPath",
                        "Path not found: the TEMP directory " + dir + " cannot hold log files (" +
                            status.reason + ")");
        }
        if (status.error != platform::FileError::Exists) {
            // The directory refuses new files (permissions, a read-only disk): so would it for
            // every further name.
            throw Error(errors::kPathFileAccess, "GetLogPath",
                        "Path/File access error: no log file can be created in " + dir + " (" +
                            status.reason + ")");
        }
        if (attempt == kLastAttempt) {
            break;
        }
    }
    throw Error(errors::kOverflow, "GetLogPath",
                "Overflow: no free log file name from virelo.log to virelo32767.log in " + dir +
                    " (all of them exist)");
}

void General::WriteLog(const std::string& path, const std::string& /*source*/,
                       const std::string& message) {
    const auto status = files_.append(path, clock_.timeOfDay() + " : " + message + "\r\n");
    if (status.ok()) {
        return;
    }
    DiscardUnwrittenLog(path);
    if (!dropUnwritable_) {
        RaiseFileError(status, "WriteLog");
    }
    if (!logFailure_) {
        logFailure_ = FileErrorOf(status, "WriteLog");
    }
}

void General::DropUnwritableLines(bool drop) {
    dropUnwritable_ = drop;
    if (drop) {
        logFailure_.reset();
    }
}

void General::DiscardUnwrittenLog(const std::string& path) {
    std::string content;
    if (files_.read(path, content).ok() && content.empty()) {
        files_.remove(path);
    }
}

std::string General::ReadTextFile(const std::string& path) {
    std::string content;
    const auto status = files_.read(path, content);
    if (!status.ok()) {
        RaiseFileError(status, "ReadTextFile");
    }
    // Lines end with CR LF, LF or CR; a line end at the very end opens no further line.
    std::string text;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find_first_of("\r\n", start);
        text += "\r\n";
        if (end == std::string::npos) {
            text.append(content, start, std::string::npos);
            break;
        }
        text.append(content, start, end - start);
        start = end + 1;
        if (content[end] == '\r' && start < content.size() && content[start] == '\n') {
            ++start;
        }
    }
    return text;
}

void General::DeleteLogFile(const std::string& path) {
    const auto status = files_.remove(path);
    if (!status.ok() && status.error != platform::FileError::NotFound) {
        RaiseFileError(status, "Kill");
    }
}

std::int32_t General::RunAndWait(const std::string& commandLine,
                                 const platform::Environment& changes,
                                 platform::ChildOutput output) {
    lastDllError_ = processes_.runAndWait(commandLine, changes, output);
    return lastDllError_ == 0 ? 1 : 0;
}

}  // namespace virelo::general
