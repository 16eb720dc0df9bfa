#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CheckResult.h"
#include "platform/Files.h"
#include "platform/Terminal.h"
#include "report/Header.h"

namespace virelo::cli {

// Prints a run's report in the form the command line asks for. Text is printed as each check
// ends, so a slow layer shows which it is; a JSON document, the status line of --plugin and the
// failure of -q are printed once, at the end. Every text is cleared of the password first. An
// interruption may come on another thread at any time: it prints what was found so far, with
// the layer that was running marked, and nothing is printed after it.
class Reporter : public Progress {
public:
    Reporter(std::ostream& out, std::ostream& err, Request request, std::string password,
             bool colour);

    void started(const std::string& layer, const std::string& target) override;
    void finished(const CheckResult& result) override;
    // Writes the support report of the run, with this header, to a file reserved for it when
    // the run ends (or is interrupted).
    void writeReportTo(platform::Files& files, std::string path, report::Header header);
    // Prints what is left at the end of a run; returns the run's exit code (74 when the report
    // could not be written).
    int finish();
    // Ends the report of an interrupted run; returns its exit code, or -1 when the run had
    // already ended and its own report stands.
    int interrupt(const platform::Interruption& interruption);

private:
    int printAtEnd();
    int printOutput();

    struct ReportFile {
        platform::Files& files;
        std::string path;
        report::Header header;
    };
    std::optional<ReportFile> reportFile_;

    std::mutex mutex_;
    std::ostream& out_;
    std::ostream& err_;
    Request request_;
    std::string password_;
    bool colour_;
    std::vector<CheckResult> results_;
    std::string runningLayer_, runningTarget_;
    std::chrono::steady_clock::time_point runningSince_ = std::chrono::steady_clock::now();
    bool ended_ = false;
};

}  // namespace virelo::cli
