#pragma once

#include <cstdint>
#include <string>

#include "general/General.h"
#include "platform/Files.h"
#include "platform/Processes.h"

namespace virelo::jdbc {

// The variable the java launcher reads options from, on top of its command line; it says so on
// its standard error ("NOTE: Picked up JDK_JAVA_OPTIONS: ...").
inline constexpr const char* kJavaOptionsVariable = "JDK_JAVA_OPTIONS";

// How the JVM that runs the test class starts quickly: nearly all of a JDBC ping is the JVM's own
// start, and most of that is loading classes. A class-data archive of the classes a ping loads
// (the JDK's, the test class's and the driver's) is made once for each JVM and class path, by the
// first ping's JVM as it ends, and kept in the user's cache directory; later JVMs map it instead
// of loading the classes one by one. Options that favour a short life (the first compiler tier
// only, the serial collector, no performance-data file) come with it.
//
// A JVM that does not know an option ignores it, and one that cannot use the archive runs without
// it, silently.
struct QuickStart {
    std::string options;  // the JVM's options, as one text that the launcher splits at blanks
    std::string archive;  // the archive of this JVM and class path; empty when there can be none
    std::string making;   // where this run's JVM writes a new archive; empty when it uses one
};

// The options for the JVM that `java` on PATH starts with this class path. An archive is used only
// when it is exactly the file that a JVM wrote and this program put in place (same size, time and
// inode): an archive changed afterwards, even cut short, would make the JVM crash, so it is made
// again instead. Classes of a directory cannot be archived: a class path with a directory (or an
// entry that is no file) gets the options without an archive.
QuickStart PrepareQuickStart(platform::Files& files, const std::string& classPath);

// After the JVM has ended: the archive it made becomes the cache's archive for its JVM and class
// path, and is recorded as the file that may be used.
void KeepArchive(platform::Files& files, const QuickStart& start);

// Where the options go. The window's command line is fixed ("java VireloJDBC ..."), so they go
// into the JVM's environment, after which the user's own JDK_JAVA_OPTIONS come. virelo-check's
// command line is its own: there they follow "java", which keeps the launcher's note about its
// environment off virelo-check's standard error.
enum class OptionsIn { Environment, CommandLine };

// Runs the test class's command line ("java ...") with the quick start, for the class path that
// the environment's CLASSPATH holds; returns what RunAndWait returns.
std::int32_t RunTestClass(general::General& general, platform::Files& files,
                          const std::string& commandLine, platform::Environment environment,
                          OptionsIn where = OptionsIn::Environment,
                          platform::ChildOutput output = platform::ChildOutput::Inherit);

}  // namespace virelo::jdbc
