#include "report/Header.h"

#include <algorithm>
#include <chrono>

#include "platform/SystemFacts.h"
#include "report/ReportText.h"

namespace virelo::report {
namespace {

constexpr const char* kNotSet = "(not set)";
constexpr std::size_t kJavaOutputLimit = 256 * 1024;

bool HoldsSecret(const std::string& name) {
    return name.find("PASSWORD") != std::string::npos || name.find("PWD") != std::string::npos;
}

// The names of a search path's entries, without their directories; an empty entry stands for
// the current directory.
std::string EntryNames(const std::string& list, char separator) {
    std::string names;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(separator, start), list.size());
        std::string entry = list.substr(start, end - start);
        while (entry.size() > 1 && (entry.back() == '/' || entry.back() == '\\')) {
            entry.pop_back();
        }
        const std::size_t slash = entry.find_last_of("/\\");
        names += (names.empty() ? "" : ", ") + (entry.empty() ? std::string("(current directory)")
                                                : slash == std::string::npos || entry.size() == 1
                                                    ? entry
                                                    : entry.substr(slash + 1));
        start = end + 1;
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> Variables(platform::Files& files) {
    std::vector<std::pair<std::string, std::string>> variables;
    for (const char* name : {"TEMP", "TMPDIR", "ODBCSYSINI", "ODBCINI"}) {
        variables.emplace_back(name, files.environment(name).value_or(kNotSet));
    }
    const auto classPath = files.environment("CLASSPATH");
    variables.emplace_back("CLASSPATH", classPath
                                            ? EntryNames(*classPath, files.pathListSeparator())
                                            : std::string(kNotSet));
    std::vector<std::string> own;
    for (const std::string& name : platform::EnvironmentNames()) {
        if (name.rfind("VIRELO_", 0) == 0) {
            own.push_back(name);
        }
    }
    std::sort(own.begin(), own.end());
    for (const std::string& name : own) {
        const std::string value = files.environment(name).value_or("");
        variables.emplace_back(name,
                               HoldsSecret(name) ? (value.empty() ? "(empty)" : "(given)") : value);
    }
    return variables;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : "\n") + line;
    }
    return text;
}

std::string OdbcSection(const OdbcFacts& odbc) {
    std::string text = Title("ODBC", '-');
    std::string manager = odbc.name;
    if (!odbc.version.empty()) {
        manager += ", SQL_DM_VER " + odbc.version;
    }
    if (!odbc.library.empty()) {
        manager += "\n" + odbc.library;
    }
    if (!odbc.failure.empty()) {
        manager += "\n" + odbc.failure;
    }
    text += Field("Driver manager", manager);
    if (odbc.drivers.empty() && odbc.failure.empty()) {
        text += Field("Drivers", "(none installed)");
    }
    for (const DriverFacts& driver : odbc.drivers) {
        std::string library = driver.library.empty() ? "(no Driver= entry)" : driver.library;
        if (driver.path.empty()) {
            library += ", library not found";
        } else {
            library +=
                driver.version.empty() ? ", no version stated" : ", version " + driver.version;
            library += "\n" + driver.path;
        }
        text += Field(driver.name, library);
    }
    return text;
}

// What a registry source gave: "read, 2 servers" or "there, 1 data source".
std::string Outcome(const platform::RegistrySource& source) {
    const auto count = [](int n, const char* what) {
        return n < 0 ? std::string() : ", " + std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    // A file that was not read gave nothing, which is no count of zero.
    if (source.state != "read" && source.state != "there") {
        return source.state;
    }
    return source.state + count(source.servers, "server") +
           count(source.dataSources, "data source");
}

std::string RegistrySection(const std::vector<platform::RegistrySource>& sources) {
    std::string text = Title("Registry view", '-');
    if (sources.empty()) {
        return text + "(the system's own registry)\n";
    }
    for (const platform::RegistrySource& source : sources) {
        std::string value = source.path + ": " + Outcome(source);
        for (const std::string& warning : source.warnings) {
            value += "\n" + warning;
        }
        text += Field(source.role, value);
    }
    return text;
}

}  // namespace

std::vector<std::string> JavaFacts(platform::Processes& processes,
                                   std::chrono::milliseconds limit) {
    const platform::CapturedRun run =
        processes.runCapturing("java -XshowSettings:properties -version", limit, kJavaOutputLimit);
    if (!run.started) {
        return {"java could not be started: " + run.failure};
    }
    std::vector<std::string> lines;
    std::string home;
    for (std::size_t start = 0; start < run.output.size();) {
        const std::size_t end = std::min(run.output.find('\n', start), run.output.size());
        std::string line = run.output.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // The properties are indented; of them only the runtime's directory is kept, as the
        // others name the user, the class path and more than a report needs.
        if (const auto at = line.find("java.home = "); at != std::string::npos) {
            home = line.substr(at);
        } else if (!line.empty() && line[0] != ' ' && line[0] != '\t' &&
                   line != "Property settings:") {
            lines.push_back(line);
        }
    }
    if (!home.empty()) {
        lines.push_back(home);
    }
    if (run.timedOut) {
        lines.push_back("(java had not ended after " + std::to_string(limit.count()) +
                        " ms and was stopped)");
    }
    return lines;
}

Header GatherHeader(const HeaderSources& sources) {
    Header header;
    const platform::LocalTime now = platform::Now();
    header.created = now.iso8601;
    header.fileStamp = now.compact;
    header.program = sources.program;
    header.toolkit = sources.toolkit;
    const platform::MachineFacts machine = platform::ReadMachineFacts();
    header.hostName = machine.hostName;
    header.qualifiedName = machine.qualifiedName;
    header.operatingSystem = machine.operatingSystem;
    header.kernelRelease = machine.kernelRelease;
    header.odbc = ReadOdbcFacts();
    if (sources.withJava) {
        header.java = JavaFacts(sources.processes);
    }
    if (sources.origins != nullptr) {
        header.registry = sources.origins->sources();
    }
    header.variables = Variables(sources.files);
    return header;
}

std::string FormatHeader(const Header& header) {
    const auto orUnknown = [](const std::string& value) {
        return value.empty() ? std::string("(unknown)") : value;
    };
    std::string text = Title("Virelo support report", '=');
    text += Field("Created", header.created);
    text += Field("Program",
                  header.toolkit.empty() ? header.program : header.program + ", " + header.toolkit);
    text += Field("Host name", orUnknown(header.hostName));
    text += Field("Qualified name", orUnknown(header.qualifiedName));
    text += Field("Operating system", orUnknown(header.operatingSystem));
    text += Field("Kernel release", orUnknown(header.kernelRelease));
    text += "\n" + OdbcSection(header.odbc);
    text += "\n" + Title("Java", '-');
    text += header.java ? Lines(*header.java) + "\n"
                        : std::string("(not asked: no JDBC check was made)\n");
    text += "\n" + RegistrySection(header.registry);
    text += "\n" + Title("Environment", '-');
    for (const auto& [name, value] : header.variables) {
        text += Field(name, value);
    }
    return text;
}

}  // namespace virelo::report
