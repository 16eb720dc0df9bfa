// The checks of virelo-check that log in to a database: the ODBC connect-and-report sequence and
// the JDBC ping through the Java test class.
#include <algorithm>
#include <chrono>
#include <initializer_list>

#include "cli/Checker.h"
#include "cli/Classify.h"
#include "cli/DataSourceHost.h"
#include "jdbc/JdbcLaunch.h"
#include "jdbc/QuickStart.h"
#include "odbc/ODBC.h"
#include "platform/CommandLine.h"

namespace virelo::cli {
namespace {

using Clock = std::chrono::steady_clock;

// A log line without its time of day.
std::string Message(const std::string& line) {
    const auto at = line.find(" : ");
    return at == std::string::npos ? line : line.substr(at + 3);
}

bool HasLine(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&text](const std::string& line) { return Message(line) == text; });
}

// The lines that start with one of the prefixes, without their times of day, joined by blanks.
std::string LinesStartingWith(const std::vector<std::string>& lines,
                              std::initializer_list<const char*> prefixes) {
    std::string text;
    for (const std::string& line : lines) {
        const std::string message = Message(line);
        for (const char* prefix : prefixes) {
            if (message.rfind(prefix, 0) == 0) {
                text += (text.empty() ? "" : " ") + message;
                break;
            }
        }
    }
    return text;
}

}  // namespace

CheckResult Checker::Odbc(const std::string& dataSource, const std::string& password) {
    if (auto failed = GuardNameLookup(DataSourceHost(dataSource, services_))) {
        return *failed;
    }
    CheckResult result;
    result.layer = "odbc";
    result.target = dataSource;
    progress_.started(result.layer, result.target);
    const auto start = Clock::now();
    const std::string log = NewLog();
    odbc::SystemDriverManager driverManager;
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(request_.timeout);
    odbc::ODBC module(general_, driverManager, static_cast<SQLUINTEGER>(seconds.count()));
    const odbc::ODBCInfo info =
        module.ODBCConnect(dataSource, request_.user.value_or(""), password, log);
    result.ok = info.Status == 0;
    result.code = info.Status;
    result.log = TakeLog(log);
    result.elapsedMs = MsSince(start);
    if (result.ok) {
        result.exitCode = exitcode::kOk;
        result.message = "connected to " + info.DBMSName + " " + info.DBMSVersion + " through " +
                         info.DriverName + " " + info.DriverVersion;
        return Publish(result);
    }
    // The driver's own words: the diagnostic record's message.
    const std::string words = LinesStartingWith(result.log, {"Error Message = "});
    result.state = FirstSqlState(LinesStartingWith(result.log, {"SQLState = "}));
    result.exitCode = ExitCodeForSqlState(result.state, words);
    result.message = "the ODBC sequence failed (return code " + std::to_string(info.Status) +
                     (result.state.empty() ? "" : ", SQLSTATE " + result.state) + ")" +
                     (words.empty() ? "" : ": " + words.substr(16));
    return Publish(result);
}

CheckResult Checker::Jdbc(const std::string& driverClass, const std::string& url,
                          const std::string& password) {
    if (auto failed = GuardNameLookup(JdbcUrlHost(url))) {
        return *failed;
    }
    CheckResult result;
    result.layer = "jdbc";
    result.target = url;
    progress_.started(result.layer, result.target);
    const auto start = Clock::now();
    const std::string log = NewLog();
    // Unlike the window, every argument is quoted so that blanks and quotes survive, and the
    // password goes through the environment, which other users cannot read, instead of the
    // command line, which they can.
    const std::string commandLine = "java VireloJDBC " + platform::QuoteArgument(driverClass) +
                                    " " + platform::QuoteArgument(url) + " " +
                                    platform::QuoteArgument(log) + " " +
                                    platform::QuoteArgument(request_.user.value_or(""));
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(request_.timeout).count();
    const platform::Environment environment = {
        {jdbc::kLogFileVariable, log},
        {jdbc::kLogIdentityVariable, services_.files.identity(log)},
        {jdbc::kPlainArgumentsVariable, "4"},
        {"CLASSPATH", jdbc::ChildClassPath(services_.files)},
        {"VIRELO_JDBC_PASSWORD", password},
        {"VIRELO_JDBC_WATCHDOG", std::to_string(std::clamp<std::int64_t>(seconds, 1, 30))},
    };
    if (jdbc::RunTestClass(general_, services_.files, commandLine, environment,
                           jdbc::OptionsIn::CommandLine, platform::ChildOutput::Discard) != 1) {
        result.code = general_.LastDllError();
        result.message = "java could not be started (system error " + std::to_string(result.code) +
                         "): is it on PATH?";
        TakeLog(log);
        result.elapsedMs = MsSince(start);
        return Publish(result);
    }
    result.log = TakeLog(log);
    result.ok = HasLine(result.log, "Connected");
    result.elapsedMs = MsSince(start);
    if (result.ok) {
        result.exitCode = exitcode::kOk;
        result.message = "connected";
        return Publish(result);
    }
    // The driver's own words: the exceptions the test class reported, never its other lines
    // (which name the password, for one, as given or not).
    const std::string words = LinesStartingWith(
        result.log, {"SQLException: ", "  caused by ",
                     "Connection failed: ", "ClassNotFoundException: ", "The driver class ",
                     "No answer after ", "No driver class"});
    result.state = FirstSqlState(words);
    result.message = words.empty() ? "the test class reported no outcome" : words;
    if (words.rfind("ClassNotFoundException", 0) == 0 || words.rfind("The driver class", 0) == 0 ||
        words.rfind("No driver class", 0) == 0 ||
        words.find("No suitable driver") != std::string::npos) {
        result.exitCode = exitcode::kDriver;
    } else if (words.rfind("No answer after", 0) == 0) {
        result.exitCode = exitcode::kListener;
    } else {
        result.exitCode = ExitCodeForSqlState(result.state, words);
    }
    return Publish(result);
}

}  // namespace virelo::cli
