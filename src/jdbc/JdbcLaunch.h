#pragma once

#include <string>

#include "platform/Files.h"
#include "platform/Processes.h"

namespace virelo::jdbc {

// What the JDBC ping reads from the tab, untrimmed.
struct JdbcInputs {
    std::string driverClass;
    std::string url;
    std::string user;
    std::string password;
};

// The test class's command line and what its environment gets on top of the program's own.
struct JdbcLaunch {
    std::string commandLine;
    platform::Environment environment;
};

// Environment variables through which the program tells the test class what the command line
// cannot: which file is the log it may write (its path and its identity, so that the class can
// check the file is the one this run reserved) and how many of its arguments come before the
// first character of the password (so that it never writes a value that may be the password).
inline constexpr const char* kLogFileVariable = "VIRELO_LOG_FILE";
inline constexpr const char* kLogIdentityVariable = "VIRELO_LOG_IDENTITY";
inline constexpr const char* kPlainArgumentsVariable = "VIRELO_JDBC_PLAIN_ARGS";

// The command line of the Java test class: java VireloJDBC driver "url" "logPath" user password.
// Only the URL and the log path are quoted; nothing inside the values is escaped, so empty
// unquoted values vanish and values with blanks or quotes change how the line splits.
std::string JdbcCommandLine(const std::string& driverClass, const std::string& url,
                            const std::string& logPath, const std::string& user,
                            const std::string& password);

// The command line above with its environment: the log file's path and identity, the number of
// the class's arguments that hold no character of the password, and CLASSPATH.
JdbcLaunch PrepareJdbcLaunch(const JdbcInputs& inputs, const std::string& logPath,
                             const std::string& logIdentity, const std::string& classPath);

// The child's CLASSPATH: the program's own test class first (the jar installed in the program's
// data directory, else the one in the build tree), then the user's CLASSPATH, so that only the user's
// driver jars need to be on it and no other VireloJDBC class is ever run. Without a trusted jar
// the user's CLASSPATH stays; when that is empty too, the program's directory stands in for it,
// because an empty class path would make Java look in the current directory.
std::string ChildClassPath(platform::Files& files);

// The text of the box shown when the Java launcher cannot be started.
std::string JavaLaunchFailureText(int systemError);

}  // namespace virelo::jdbc
