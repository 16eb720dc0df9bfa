#include "cli/Report.h"

#include <nlohmann/json.hpp>

namespace virelo::cli {

std::string Summary(const CheckResult& result) {
    return result.layer + " " + result.target + ": " +
           (result.ok ? std::string("OK")
                      : "FAILED (exit " + std::to_string(result.exitCode) + ")") +
           " - " + result.message;
}

void PrintText(std::ostream& out, const std::vector<CheckResult>& results) {
    for (const CheckResult& result : results) {
        for (const std::string& line : result.log) {
            out << line << '\n';
        }
        out << "== " << Summary(result) << '\n';
    }
}

void PrintJson(std::ostream& out, const Request& request, const std::vector<CheckResult>& results) {
    nlohmann::json checks = nlohmann::json::array();
    for (const CheckResult& result : results) {
        checks.push_back({{"layer", result.layer},
                          {"target", result.target},
                          {"ok", result.ok},
                          {"code", result.code},
                          {"state", result.state},
                          {"message", result.message},
                          {"elapsed_ms", result.elapsedMs},
                          {"skipped", result.skipped},
                          {"exit_code", result.ok ? 0 : result.exitCode},
                          {"log", result.log}});
    }
    const int exitCode = ExitCodeOf(results);
    const nlohmann::json document = {{"command", request.command},
                                     {"arguments", request.operands},
                                     {"ok", exitCode == exitcode::kOk},
                                     {"exit_code", exitCode},
                                     {"checks", checks}};
    // Texts from the system may be in any encoding; what is not UTF-8 is replaced, not fatal.
    out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

}  // namespace virelo::cli
