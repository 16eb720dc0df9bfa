#pragma once

#include <cstdint>
#include <optional>
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

    // Chooses a new log file and reserves it: the first of virelo.log, virelo1.log, ... that
    // can be created, created empty (user-only, exclusively, never through a link) so that no
    // other user or program can take the name meanwhile. TEMP unset or empty means the system's
    // temporary directory, or a directory private to this user. Raises an Error when the
    // directory is missing or refuses new files, or when no name up to virelo32767.log is free.
    std::string GetLogPath();

    // Appends "time : message" CR LF to a log file of this run's own, creating it (user-only,
    // exclusively) when it does not exist. The source names the step that reports and is not
    // written. Raises an Error when the file cannot be written or is not this run's own; a log
    // that was reserved and holds nothing yet is then removed, as no name is taken before a line.
    void WriteLog(const std::string& path, const std::string& source, const std::string& message);

    // While set, a line that cannot be written is dropped instead of raising, and the first such
    // failure is kept in LogFailure() until the next DropUnwritableLines(true). Start-up has no
    // error branch: with it a TEMP that cannot be used costs the log, not the look-ups.
    void DropUnwritableLines(bool drop);
    const std::optional<Error>& LogFailure() const { return logFailure_; }

    // Removes a log file of this run's own that is still empty: a run that chose a log and then
    // wrote nothing (a program that could not start, say) leaves nothing behind.
    void DiscardUnwrittenLog(const std::string& path);

    // The whole log file with CR LF in front of every line and none at the end; "" for an empty
    // file. Raises an Error (53 for a missing file) when it cannot be read or is not a file this
    // run created.
    std::string ReadTextFile(const std::string& path);

    // Deletes a log file of this run's own; a file that is already gone is not an error, a file
    // that is not this run's own is refused with an Error and left alone.
    void DeleteLogFile(const std::string& path);

    // What the Java test class checks to know the log file it is given is this run's own
    // ("device:inode"); empty for a path that is not.
    std::string LogFileIdentity(const std::string& path) { return files_.identity(path); }

    // Starts the command line as a new process and waits until it has ended: 1 when it was
    // started, 0 when not, with the system error then in LastDllError(). The child inherits the
    // environment, with `changes` set on top, and writes its standard output where `output` says.
    std::int32_t RunAndWait(const std::string& commandLine,
                            const platform::Environment& changes = {},
                            platform::ChildOutput output = platform::ChildOutput::Inherit);
    std::int32_t LastDllError() const { return lastDllError_; }

private:
    platform::Files& files_;
    platform::Clock& clock_;
    platform::Processes& processes_;
    std::int32_t lastDllError_ = 0;
    bool dropUnwritable_ = false;
    std::optional<Error> logFailure_;
};

}  // namespace virelo::general
