#pragma once

#include <ostream>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CheckResult.h"

namespace virelo::cli {

// The lines each check's pane would show, then one summary line per check.
void PrintText(std::ostream& out, const std::vector<CheckResult>& results);

// One JSON document: the command, its arguments, the verdict and one object per check.
void PrintJson(std::ostream& out, const Request& request, const std::vector<CheckResult>& results);

// The one-line summary of a check: "layer target: OK - message" or "... FAILED (exit n) - ...".
std::string Summary(const CheckResult& result);

}  // namespace virelo::cli
