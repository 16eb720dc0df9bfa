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
// The command line stays as it is: the options reach the JVM through its environment. A JVM that
// does not know an option ignores it, and one that cannot use the archive runs without it; the
// archive's messages are switched off, so neither says anything.
struct QuickStart {
    std::string options;  // the launcher's extra options, the user's own JDK_JAVA_OPTIONS last
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

// Runs the test class's command line with the quick start added to its environment, whose
// CLASSPATH is the class path the archive is for; returns what RunAndWait returns.
std::int32_t RunTestClass(general::General& general, platform::Files& files,
                          const std::string& commandLine, platform::Environment environment,
                          platform::ChildOutput output = platform::ChildOutput::Inherit);

}  // namespace virelo::jdbc
