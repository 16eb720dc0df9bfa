#pragma once

#include <cstdint>
#include <string>

#include "general/Error.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Processes.h"

namespace virelo::general {

// The diagnostic log file and the process launcher. A log line is the time of day, " : " and the
// message, ended by CR LF; log files are named virelo.log, virelo1.log, ... in the TEMP directory.
class General {
public:
    General(platform::Files& files, platform::Clock& clock, platform::Processes& processes)
        : files_(files), clock_(clock), processes_(processes) {}

    // The first of virelo.log, virelo1.log, ... that does not exist yet; the file is not created.
    // TEMP unset or empty means the system's temporary directory. Raises an Error when the
    // directory is missing or when no name up to virelo32767.log is free.
    std::string GetLogPath();

    // Appends "time : message" CR LF, creating the file (user-only) when needed. The source names
    // the step that reports and is not written. Raises an Error when the file cannot be written.
    void WriteLog(const std::string& path, const std::string& source, const std::string& message);

    // The whole file with CR LF in front of every line and none at the end; "" for an empty
    // file. Raises an Error (53 for a missing file) when it cannot be read.
    std::string ReadTextFile(const std::string& path);

    // Deletes a log file by name; a file that is already gone is not an error.
    void DeleteLogFile(const std::string& path);

    // Starts the command line as a new process and waits until it has ended: 1 when it was
    // started, 0 when not, with the system error then in LastDllError().
    std::int32_t RunAndWait(const std::string& commandLine);
    std::int32_t LastDllError() const { return lastDllError_; }

private:
    platform::Files& files_;
    platform::Clock& clock_;
    platform::Processes& processes_;
    std::int32_t lastDllError_ = 0;
};

}  // namespace virelo::general
