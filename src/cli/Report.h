#pragma once

#include <nlohmann/json_fwd.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CheckResult.h"

namespace virelo::cli {

// The one-line summary of a check: "layer target: OK - message", with FAILED (exit n), WARNING,
// SKIPPED (exit 17) or INTERRUPTED (exit 130) in place of OK; the word coloured when asked.
std::string Summary(const CheckResult& result, bool colour = false);

// The lines a check's pane would show, then its summary line after "== ".
void PrintText(std::ostream& out, const CheckResult& result, bool colour);

// One JSON document: the command, its arguments, the verdict and one object per check, and the
// support report's header as its environment object when one is given.
void PrintJson(std::ostream& out, const Request& request, const std::vector<CheckResult>& results,
               const nlohmann::json* environment = nullptr);

// The status line of a monitoring plugin and its exit code: "VIRELO OK|WARNING|CRITICAL|UNKNOWN
// - what decided | layer_time=0.003s ...", exit 0, 1, 2 or 3.
struct PluginStatus {
    std::string line;
    int exitCode;
};
PluginStatus PluginReport(const std::vector<CheckResult>& results);
PluginStatus PluginUsageError(const std::string& error);

}  // namespace virelo::cli
