#include "jdbc/QuickStart.h"

#include <algorithm>
#include <cstdio>

namespace virelo::jdbc {
namespace {

// Start-up options every JVM of a ping gets. Options a JVM does not know are ignored, so an older
// or another JVM still starts.
constexpr const char* kStartOptions =
    "-XX:+IgnoreUnrecognizedVMOptions -XX:TieredStopAtLevel=1 -XX:+UseSerialGC -XX:-UsePerfData";
// The archive's warnings (a class path that no longer matches, classes that cannot be archived)
// would go to the child's standard output. Only JVMs that read JDK_JAVA_OPTIONS get it: an older
// one, given it on its command line, would not start.
constexpr const char* kQuietArchive = " -Xlog:cds=off,cds+dynamic=off";
// Unfinished archives that may lie in the cache at once (pings running side by side, or runs that
// ended before their JVM did).
constexpr int kMakingSlots = 4;

// A 64-bit FNV-1a hash in hexadecimal: names a cache file after what it was made from.
std::string Hash(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char c : text) {
        hash = (hash ^ c) * 0x100000001b3ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

// What the archive depends on: the JVM and every entry of the class path, each with the version
// of its file. Empty when an entry is no file (a directory, a missing jar, an empty entry, which
// means the current directory), whose classes cannot be archived.
std::string ArchiveSource(platform::Files& files, const std::string& java,
                          const std::string& classPath) {
    const auto javaVersion = files.fileVersion(java);
    if (!javaVersion) {
        return {};
    }
    std::string source = java + "\n" + javaVersion->stamp + "\n";
    std::size_t start = 0;
    for (;;) {
        const std::size_t end =
            std::min(classPath.find(files.pathListSeparator(), start), classPath.size());
        const std::string entry = classPath.substr(start, end - start);
        const auto version = entry.empty() ? std::nullopt : files.fileVersion(entry);
        if (!version) {
            return {};
        }
        source += entry + "\n" + version->stamp + "\n";
        if (end == classPath.size()) {
            return source;
        }
        start = end + 1;
    }
}

// The record that an archive is the very file this program put in place: an empty file named
// after the archive's version.
std::string RecordOf(const std::string& archive, const std::string& stamp) {
    return archive.substr(0, archive.size() - 4) + "-" + Hash(stamp) + ".ok";
}

// Adds an option as the launcher splits JDK_JAVA_OPTIONS (and as virelo-check's command line is
// split): at blanks, except inside double quotes. (A cache path with a quote or a backslash in it
// is never handed over.)
void AddOption(std::string& options, const std::string& option) {
    const bool blank = option.find_first_of(" \t\n\r\f\v") != std::string::npos;
    options.append(blank ? " \"" : " ").append(option).append(blank ? "\"" : "");
}

// Reserves a file for a new archive; empty when every place for one is taken.
std::string ReserveMaking(platform::Files& files, const std::string& base) {
    for (int slot = 0; slot < kMakingSlots; ++slot) {
        const std::string making = base + "." + std::to_string(slot) + ".part";
        if (files.reserve(making).ok()) {
            return making;
        }
    }
    return {};
}

}  // namespace

QuickStart PrepareQuickStart(platform::Files& files, const std::string& classPath) {
    QuickStart start;
    start.options = kStartOptions;
    const std::string source = ArchiveSource(files, files.findProgram("java"), classPath);
    std::string dir;
    if (!source.empty() && files.cacheDirectory(dir).ok() &&
        dir.find_first_of("\"'\\") == std::string::npos) {
        const std::string base = dir + files.pathSeparator() + "jdbc-" + Hash(source);
        start.archive = base + ".jsa";
        const auto kept = files.fileVersion(start.archive);
        if (kept && files.fileVersion(RecordOf(start.archive, kept->stamp))) {
            AddOption(start.options, "-XX:SharedArchiveFile=" + start.archive);
        } else if (start.making = ReserveMaking(files, base); !start.making.empty()) {
            AddOption(start.options, "-XX:ArchiveClassesAtExit=" + start.making);
        } else {
            start.archive.clear();
        }
    }
    return start;
}

void KeepArchive(platform::Files& files, const QuickStart& start) {
    if (start.making.empty()) {
        return;
    }
    // The JVM replaces the reserved file with the archive as it ends; the reserved file is still
    // there, empty, when the JVM made none (it could not, or does not know how).
    const auto made = files.fileVersion(start.making);
    if (!made || made->size == 0) {
        files.remove(start.making);
        return;
    }
    if (!files.renameInCache(start.making, start.archive).ok()) {
        return;
    }
    if (const auto kept = files.fileVersion(start.archive)) {
        files.reserve(RecordOf(start.archive, kept->stamp));
    }
}

std::int32_t RunTestClass(general::General& general, platform::Files& files,
                          const std::string& commandLine, platform::Environment environment,
                          OptionsIn where, platform::ChildOutput output) {
    std::string classPath;
    for (const auto& [name, value] : environment) {
        if (name == "CLASSPATH") {
            classPath = value;
        }
    }
    const QuickStart start = PrepareQuickStart(files, classPath);
    std::string line = commandLine;
    if (where == OptionsIn::CommandLine) {
        line.insert(std::min(line.find(' '), line.size()), " " + start.options);
    } else {
        // Later options win: the user's own have the last word.
        const std::string own = files.environment(kJavaOptionsVariable).value_or("");
        environment.emplace_back(kJavaOptionsVariable,
                                 start.options + (start.archive.empty() ? "" : kQuietArchive) +
                                     (own.empty() ? "" : " " + own));
    }
    const std::int32_t started = general.RunAndWait(line, environment, output);
    KeepArchive(files, start);
    return started;
}

}  // namespace virelo::jdbc
