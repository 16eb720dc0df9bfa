#include "jdbc/JdbcLaunch.h"

#include "platform/CommandLine.h"

namespace virelo::jdbc {
namespace {

// "java" and "VireloJDBC" come before the class's own arguments.
constexpr std::size_t kLauncherArguments = 2;

}  // namespace

std::string JdbcCommandLine(const std::string& driverClass, const std::string& url,
                            const std::string& logPath, const std::string& user,
                            const std::string& password) {
    return "java VireloJDBC " + driverClass + " \"" + url + "\" \"" + logPath + "\" " + user + " " +
           password;
}

JdbcLaunch PrepareJdbcLaunch(const JdbcInputs& inputs, const std::string& logPath,
                             const std::string& logIdentity, const std::string& classPath) {
    JdbcLaunch launch;
    launch.commandLine =
        JdbcCommandLine(inputs.driverClass, inputs.url, logPath, inputs.user, inputs.password);
    // The password is the end of the line. An argument that reaches into it, and every one after
    // it, may hold some of the password (a quote in the user name or URL can carry an argument
    // across the blank before it).
    const std::size_t passwordStart = launch.commandLine.size() - inputs.password.size();
    const std::size_t before = platform::ArgumentsEndingBefore(launch.commandLine, passwordStart);
    const std::size_t plain = before > kLauncherArguments ? before - kLauncherArguments : 0;
    launch.environment = {
        {kLogFileVariable, logPath},
        {kLogIdentityVariable, logIdentity},
        {kPlainArgumentsVariable, std::to_string(plain)},
        {"CLASSPATH", classPath},
    };
    return launch;
}

std::string ChildClassPath(platform::Files& files) {
    const std::string user = files.environment("CLASSPATH").value_or("");
    const std::string programDir = files.programDirectory();
    const char sep = files.pathSeparator();
    std::string jar;
    // Installed, the jar lies in the data directory next to the program's directory; in the
    // build tree, where the build put it.
    for (const std::string& candidate :
         {programDir.empty() ? std::string() : programDir + sep + VIRELO_INSTALLED_JAR,
          std::string(VIRELO_BUILD_TREE_JAR)}) {
        if (!candidate.empty() && files.isTrustedFile(candidate)) {
            jar = candidate;
            break;
        }
    }
    if (jar.empty()) {
        if (!user.empty()) {
            return user;
        }
        return programDir.empty() ? std::string(1, sep) : programDir;
    }
    return user.empty() ? jar : jar + files.pathListSeparator() + user;
}

std::string JavaLaunchFailureText(int systemError) {
    return "Could not spawn java.exe:  CreateProcess failed.\r\n"
           "Check your PATH environment variable.\r\n"
           "Error: " +
           std::to_string(systemError);
}

}  // namespace virelo::jdbc
