// The checks of virelo-check that log in to a database: the ODBC connect-and-report sequence and
// the JDBC ping through the Java test class.
#include <algorithm>
#include <chrono>

#include "cli/Checker.h"
#include "cli/Classify.h"
#include "jdbc/JdbcLaunch.h"
#include "odbc/ODBC.h"
#include "platform/CommandLine.h"

namespace virelo::cli {
namespace {

using Clock = std::chrono::steady_clock;

std::int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool HasLine(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines) {
        const auto at = line.find(" : ");
        if ((at == std::string::npos ? line : line.substr(at + 3)) == text) {
            return true;
        }
    }
    return false;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

}  // namespace

CheckResult Checker::Odbc(const std::string& dataSource, const std::string& password) {
    const auto start = Clock::now();
    CheckResult result;
    result.layer = "odbc";
    result.target = dataSource;
    const std::string log = NewLog();
    odbc::SystemDriverManager driverManager;
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(request_.timeout);
    odbc::ODBC module(general_, driverManager, static_cast<SQLUINTEGER>(seconds.count()));
    try {
        const odbc::ODBCInfo info =
            module.ODBCConnect(dataSource, request_.user.value_or(""), password, log);
        result.ok = info.Status == 0;
        result.code = info.Status;
        result.log = TakeLog(log);
        if (result.ok) {
            result.exitCode = exitcode::kOk;
            result.message = "connected to " + info.DBMSName + " " + info.DBMSVersion +
                             " through " + info.DriverName + " " + info.DriverVersion;
        } else {
            const std::string text = Joined(result.log);
            result.state = FirstSqlState(text);
            result.exitCode = ExitCodeForSqlState(result.state, text);
            result.message = "the ODBC sequence failed (return code " +
                             std::to_string(info.Status) + ", SQLSTATE " + result.state + ")";
        }
    } catch (const Error& error) {
        result.log = TakeLog(log);
        result.message = "the log could not be written: " + error.description();
        result.exitCode = exitcode::kOther;
    }
    result.elapsedMs = MsSince(start);
    return result;
}

CheckResult Checker::Jdbc(const std::string& driverClass, const std::string& url,
                          const std::string& password) {
    const auto start = Clock::now();
    CheckResult result;
    result.layer = "jdbc";
    result.target = url;
    const std::string log = NewLog();
    if (log.empty()) {
        result.message = "no log file could be reserved for the test class";
        return result;
    }
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
    if (general_.RunAndWait(commandLine, environment) != 1) {
        result.code = general_.LastDllError();
        result.message = "java could not be started (system error " + std::to_string(result.code) +
                         "): is it on PATH?";
        TakeLog(log);
        result.elapsedMs = MsSince(start);
        return result;
    }
    result.log = TakeLog(log);
    result.ok = HasLine(result.log, "Connected");
    result.elapsedMs = MsSince(start);
    if (result.ok) {
        result.exitCode = exitcode::kOk;
        result.message = "connected";
        return result;
    }
    const std::string text = Joined(result.log);
    const auto marker = text.find("SQLSTATE ");
    result.state = marker == std::string::npos ? "" : text.substr(marker + 9, 5);
    if (text.find("ClassNotFoundException") != std::string::npos ||
        text.find("could not be loaded") != std::string::npos ||
        text.find("No suitable driver") != std::string::npos) {
        result.exitCode = exitcode::kDriver;
        result.message = "the JDBC driver could not be used";
    } else if (text.find("No answer after") != std::string::npos) {
        result.exitCode = exitcode::kListener;
        result.message = "no answer in time";
    } else {
        result.exitCode = ExitCodeForSqlState(result.state, text);
        result.message =
            "the connection failed" +
            (result.state.empty() ? std::string() : " (SQLSTATE " + result.state + ")");
    }
    return result;
}

}  // namespace virelo::cli
