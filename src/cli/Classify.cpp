#include "cli/Classify.h"

#include <algorithm>
#include <cctype>

#include "cli/CheckResult.h"

namespace virelo::cli {
namespace {

bool Mentions(const std::string& text, const std::string& word) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find(word) != std::string::npos;
}

}  // namespace

int ExitCodeForSqlState(const std::string& state, const std::string& message) {
    const std::string kind = state.substr(0, 2);
    if (kind == "28" || Mentions(message, "password") || Mentions(message, "authentication")) {
        return exitcode::kLogin;
    }
    if (kind == "08" || state == "HYT00" || state == "HYT01") {
        return exitcode::kListener;
    }
    if (kind == "IM") {
        return exitcode::kDriver;
    }
    return exitcode::kOther;
}

std::string FirstSqlState(const std::string& text) {
    for (const std::string marker : {"[SQLSTATE ", "SQLState = "}) {
        const auto at = text.find(marker);
        if (at != std::string::npos && at + marker.size() + 5 <= text.size()) {
            return text.substr(at + marker.size(), 5);
        }
    }
    return "";
}

}  // namespace virelo::cli
