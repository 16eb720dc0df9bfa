#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CheckResult.h"
#include "platform/Files.h"
#include "report/Header.h"

namespace virelo::cli {

// The support report of a run (--report FILE) and of the report command.

// The header as the JSON document's environment object, every text masked.
nlohmann::json EnvironmentJson(const report::Header& header);

// What the report command prints: the header, or with --json a document with no checks and the
// header as its environment.
std::string HeaderOutput(const Request& request, const report::Header& header);

// The report of a run: the header, then every check's lines and summary as the text output shows
// them; with --json the run's document with its environment. Every password masked.
std::string RunReport(const Request& request, const report::Header& header,
                      const std::vector<CheckResult>& results, const std::string& password);

// Writes a report into the file reserved for it; false, with the reason on `err`, when it could
// not be written.
bool WriteReportFile(platform::Files& files, const std::string& path, const std::string& text,
                     std::ostream& err);

}  // namespace virelo::cli
