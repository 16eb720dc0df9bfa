#include "cli/Reporter.h"

#include "cli/Password.h"
#include "cli/Report.h"
#include "cli/SupportReport.h"

namespace virelo::cli {
namespace {

CheckResult Scrubbed(CheckResult result, const std::string& password) {
    result.target = Scrub(result.target, password);
    result.message = Scrub(result.message, password);
    for (std::string& line : result.log) {
        line = Scrub(line, password);
    }
    return result;
}

}  // namespace

Reporter::Reporter(std::ostream& out, std::ostream& err, Request request, std::string password,
                   bool colour)
    : out_(out),
      err_(err),
      request_(std::move(request)),
      password_(std::move(password)),
      colour_(colour) {
    for (std::string& operand : request_.operands) {
        operand = Scrub(operand, password_);
    }
}

void Reporter::started(const std::string& layer, const std::string& target) {
    const std::lock_guard lock(mutex_);
    runningLayer_ = layer;
    runningTarget_ = Scrub(target, password_);
    runningSince_ = std::chrono::steady_clock::now();
}

void Reporter::finished(const CheckResult& result) {
    const std::lock_guard lock(mutex_);
    if (ended_) {
        return;
    }
    results_.push_back(Scrubbed(result, password_));
    runningLayer_.clear();
    if (!request_.json && !request_.quiet && !request_.plugin) {
        PrintText(out_, results_.back(), colour_);
        out_.flush();
    }
}

int Reporter::finish() {
    const std::lock_guard lock(mutex_);
    ended_ = true;
    return printAtEnd();
}

int Reporter::interrupt(const platform::Interruption& interruption) {
    const std::lock_guard lock(mutex_);
    if (ended_) {
        return -1;
    }
    ended_ = true;
    CheckResult stopped;
    stopped.layer = runningLayer_.empty() ? request_.command : runningLayer_;
    stopped.target = !runningLayer_.empty()      ? runningTarget_
                     : request_.operands.empty() ? request_.host.value_or("")
                                                 : request_.operands[0];
    stopped.interrupted = true;
    stopped.exitCode = interruption.exitCode;
    stopped.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - runningSince_)
                            .count();
    stopped.message = "interrupted by " + interruption.name + " after " +
                      std::to_string(stopped.elapsedMs) + " ms";
    results_.push_back(stopped);
    if (!request_.json && !request_.quiet && !request_.plugin) {
        // On a terminal the ^C that was typed stands at the start of the line.
        out_ << (colour_ ? "\n" : "") << "== " << Summary(stopped, colour_) << '\n';
    }
    printAtEnd();
    return interruption.exitCode;
}

void Reporter::writeReportTo(platform::Files& files, std::string path, report::Header header) {
    const std::lock_guard lock(mutex_);
    reportFile_.emplace(ReportFile{files, std::move(path), std::move(header)});
}

int Reporter::printAtEnd() {
    const int exitCode = printOutput();
    if (reportFile_ &&
        !WriteReportFile(reportFile_->files, reportFile_->path,
                         RunReport(request_, reportFile_->header, results_, password_), err_)) {
        return request_.plugin ? PluginUsageError("").exitCode : exitcode::kOutput;
    }
    return exitCode;
}

int Reporter::printOutput() {
    const int exitCode = ExitCodeOf(results_);
    if (request_.plugin) {
        const PluginStatus status = PluginReport(results_);
        out_ << status.line << '\n';
        return out_.flush() ? status.exitCode : PluginUsageError("").exitCode;
    }
    if (request_.json && !(request_.quiet && exitCode == exitcode::kOk)) {
        PrintJson(out_, request_, results_);
    } else if (request_.quiet && exitCode != exitcode::kOk) {
        for (const CheckResult& result : results_) {
            if (!result.ok && !result.warning) {
                err_ << "virelo-check: " << Summary(result) << '\n';
                break;
            }
        }
    }
    if (!out_.flush()) {
        err_ << "virelo-check: the report could not be written\n";
        return exitcode::kOutput;
    }
    return exitCode;
}

}  // namespace virelo::cli
