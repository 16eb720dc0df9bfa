#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/RegistryOrigins.h"
#include "report/OdbcFacts.h"

namespace virelo::report {

// The facts a second-line engineer asks for first, gathered when the report is made.
struct Header {
    std::string created;    // ISO 8601 with the UTC offset
    std::string fileStamp;  // the same moment as YYYYMMDD-HHMMSS
    std::string program;    // "virelo 2.81"
    std::string toolkit;    // "Qt 6.4.2" for the window, empty for the command line
    std::string hostName;
    std::string qualifiedName;
    std::string operatingSystem;
    std::string kernelRelease;
    OdbcFacts odbc;
    // "java -version" and where its runtime lives; absent when no JDBC check was made, so that
    // a report never starts a Java virtual machine for nothing.
    std::optional<std::vector<std::string>> java;
    // The files the registry view is read from, with what each gave; none for a real registry.
    std::vector<platform::RegistrySource> registry;
    // The variables that change what the program does, name and value as shown (a password
    // only as "(given)" or "(empty)", CLASSPATH as the names of its entries).
    std::vector<std::pair<std::string, std::string>> variables;
};

struct HeaderSources {
    platform::Files& files;
    platform::Processes& processes;
    platform::RegistryOrigins* origins;  // nullptr where the registry is the system's own
    std::string program;
    std::string toolkit;
    bool withJava = false;
};

Header GatherHeader(const HeaderSources& sources);

// The header as the report's first section.
std::string FormatHeader(const Header& header);

// A Java virtual machine that has not said its version within this time is not waited for.
inline constexpr std::chrono::milliseconds kJavaTimeLimit{15000};

// What "java -XshowSettings:properties -version" printed, reduced to the version lines and the
// runtime's directory; a line saying why when Java could not be run or did not end in time.
std::vector<std::string> JavaFacts(platform::Processes& processes,
                                   std::chrono::milliseconds limit = kJavaTimeLimit);

}  // namespace virelo::report
