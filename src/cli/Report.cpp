#include "cli/Report.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "report/ReportText.h"

namespace virelo::cli {
namespace {

// The verdict word of a check and the terminal colour that goes with it.
std::pair<std::string, const char*> Verdict(const CheckResult& result) {
    constexpr const char* kGreen = "\x1b[32m";
    constexpr const char* kRed = "\x1b[31m";
    constexpr const char* kYellow = "\x1b[33m";
    const std::string code = " (exit " + std::to_string(result.exitCode) + ")";
    if (result.ok) {
        return {"OK", kGreen};
    }
    if (result.interrupted) {
        return {"INTERRUPTED" + code, kYellow};
    }
    if (result.skipped) {
        return {"SKIPPED" + code, kYellow};
    }
    if (result.warning) {
        return {"WARNING", kYellow};
    }
    return {"FAILED" + code, kRed};
}

// The check that decides a run's verdict: the first that failed, else the first warning or
// skipped one, else the last.
const CheckResult* Deciding(const std::vector<CheckResult>& results) {
    for (const CheckResult& result : results) {
        if (!result.ok && !result.warning && !result.skipped) {
            return &result;
        }
    }
    for (const CheckResult& result : results) {
        if (!result.ok) {
            return &result;
        }
    }
    return results.empty() ? nullptr : &results.back();
}

}  // namespace

std::string Summary(const CheckResult& result, bool colour) {
    const auto [word, shade] = Verdict(result);
    // What a server, a driver or a directory file wrote is shown with its control characters
    // spelled out (^[), so that it cannot steer the terminal.
    return report::PlainText(result.layer + " " + result.target + ": ") +
           (colour ? shade + word + "\x1b[0m" : word) + " - " + report::PlainText(result.message);
}

void PrintText(std::ostream& out, const CheckResult& result, bool colour) {
    for (const std::string& line : result.log) {
        out << report::PlainText(line) << '\n';
    }
    out << "== " << Summary(result, colour) << '\n';
}

void PrintJson(std::ostream& out, const Request& request, const std::vector<CheckResult>& results,
               const nlohmann::json* environment) {
    nlohmann::json checks = nlohmann::json::array();
    bool interrupted = false;
    for (const CheckResult& result : results) {
        interrupted = interrupted || result.interrupted;
        checks.push_back({{"layer", result.layer},
                          {"target", result.target},
                          {"ok", result.ok},
                          {"code", result.code},
                          {"state", result.state},
                          {"message", result.message},
                          {"elapsed_ms", result.elapsedMs},
                          {"warning", result.warning},
                          {"skipped", result.skipped},
                          {"interrupted", result.interrupted},
                          {"exit_code", result.ok ? 0 : result.exitCode},
                          {"log", result.log}});
    }
    const int exitCode = ExitCodeOf(results);
    nlohmann::json document = {{"command", request.command},      {"arguments", request.operands},
                               {"ok", exitCode == exitcode::kOk}, {"exit_code", exitCode},
                               {"interrupted", interrupted},      {"checks", checks}};
    if (environment != nullptr) {
        document["environment"] = *environment;
    }
    // Texts from the system may be in any encoding; what is not UTF-8 is replaced, not fatal.
    out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

PluginStatus PluginReport(const std::vector<CheckResult>& results) {
    const int exitCode = ExitCodeOf(results);
    const CheckResult* deciding = Deciding(results);
    PluginStatus status{"VIRELO OK", 0};
    if (exitCode == exitcode::kNotTested || (deciding != nullptr && deciding->interrupted)) {
        status = {"VIRELO UNKNOWN", 3};
    } else if (exitCode != exitcode::kOk) {
        status = {"VIRELO CRITICAL", 2};
    } else if (deciding != nullptr && !deciding->ok) {
        status = {"VIRELO WARNING", 1};
    }
    if (deciding != nullptr) {
        status.line += " - " + deciding->layer + " " + deciding->target + ": " + deciding->message;
    }
    // Performance data: the time of each layer, in seconds; a layer met again gets a number.
    std::string data;
    std::vector<std::string> seen;
    for (const CheckResult& result : results) {
        seen.push_back(result.layer);
        const auto count = std::count(seen.begin(), seen.end(), result.layer);
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f",
                      static_cast<double>(result.elapsedMs) / 1000);
        data += " " + result.layer + (count > 1 ? "_" + std::to_string(count) : "") +
                "_time=" + seconds + "s";
    }
    // A line of plugin output ends at its first line break, and "|" starts the performance data.
    for (char& c : status.line) {
        c = c == '\n' || c == '\r' ? ' ' : c == '|' ? '/' : c;
    }
    if (!data.empty()) {
        status.line += " |" + data;
    }
    return status;
}

PluginStatus PluginUsageError(const std::string& error) {
    return {"VIRELO UNKNOWN - " + error, 3};
}

}  // namespace virelo::cli
