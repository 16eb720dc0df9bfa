#include "cli/Classify.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "cli/CheckResult.h"

namespace virelo::cli {
namespace {

bool Mentions(const std::string& text, const std::string& word) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find(word) != std::string::npos;
}

// What drivers say when the server's host name cannot be resolved, in lower case. A driver not
// listed here is added with its own words.
constexpr const char* kNameFailureWords[] = {
    "could not translate host name",                 // PostgreSQL (libpq, psqlODBC)
    "unknownhostexception",                          // Java: pgjdbc, H2, any JDBC driver
    "unknown mysql server host",                     // MySQL, MariaDB
    "could not resolve the connect identifier",      // Oracle (ORA-12154)
    "name or service not known",                     // the C library's words (EAI_NONAME)
    "temporary failure in name resolution",          // the C library's words (EAI_AGAIN)
    "no such host is known",                         // Windows Sockets (11001)
    "nodename nor servname provided, or not known",  // BSD and macOS resolvers
};

}  // namespace

bool MentionsNameFailure(const std::string& message) {
    return std::any_of(std::begin(kNameFailureWords), std::end(kNameFailureWords),
                       [&message](const char* words) { return Mentions(message, words); });
}

int ExitCodeForSqlState(const std::string& state, const std::string& message) {
    const std::string kind = state.substr(0, 2);
    // The driver manager could not load the driver, or refused the request itself.
    if (kind == "IM" || state == "S1090" || state == "HY090" ||
        (state == "01000" && Mentions(message, "can't open lib"))) {
        return exitcode::kDriver;
    }
    // The driver could not resolve the server's host name: the name service's failure, whatever
    // class of SQLSTATE the driver gives it.
    if (MentionsNameFailure(message)) {
        return exitcode::kNameResolution;
    }
    // The server answered and refused the session: the password, the user or the database.
    if (kind == "28" || kind == "3D" || Mentions(message, "fatal:") ||
        Mentions(message, "authentication") || Mentions(message, "login failed") ||
        Mentions(message, "access denied") || Mentions(message, "password")) {
        return exitcode::kLogin;
    }
    if (kind == "08" || state == "HYT00" || state == "HYT01") {
        return exitcode::kListener;
    }
    return exitcode::kOther;
}

std::string FirstSqlState(const std::string& text) {
    for (const std::string marker : {"[SQLSTATE ", "SQLState = ", "SQLSTATE "}) {
        const auto at = text.find(marker);
        if (at != std::string::npos && at + marker.size() + 5 <= text.size()) {
            return text.substr(at + marker.size(), 5);
        }
    }
    return "";
}

}  // namespace virelo::cli
