#include <netdb.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "platform/SystemFacts.h"
#include "platform/BoundedCall.h"

extern char** environ;

namespace virelo::platform {
namespace {

// The value of PRETTY_NAME in an os-release file, its quotes and backslash escapes undone.
std::string PrettyName(const char* file) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("PRETTY_NAME=", 0) != 0) {
            continue;
        }
        std::string value = line.substr(12);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        std::string plain;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                ++i;
            }
            plain += value[i];
        }
        return plain;
    }
    return {};
}

std::string CanonicalName(const std::string& host) {
    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) {
        return {};
    }
    std::string name = found->ai_canonname != nullptr ? found->ai_canonname : "";
    ::freeaddrinfo(found);
    return name;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Directory(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsVersion(const std::string& text) {
    return !text.empty() && std::isdigit(static_cast<unsigned char>(text.front())) &&
           text.find_first_not_of("0123456789.") == std::string::npos;
}

// The version a library's file name states: libx.so.1.2 or libx-1.2.so.
std::string VersionInName(const std::string& path) {
    const std::string name = path.substr(path.find_last_of('/') + 1);
    if (const auto so = name.find(".so."); so != std::string::npos) {
        const std::string after = name.substr(so + 4);
        return IsVersion(after) ? after : std::string();
    }
    const auto dash = name.find_last_of('-');
    const auto so = name.rfind(".so");
    if (dash != std::string::npos && so != std::string::npos && so > dash &&
        so + 3 == name.size()) {
        const std::string between = name.substr(dash + 1, so - dash - 1);
        return IsVersion(between) ? between : std::string();
    }
    return {};
}

constexpr std::chrono::milliseconds kFactLookupLimit{5000};

}  // namespace

LocalTime Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char iso[40];
    char compact[24];
    std::strftime(iso, sizeof iso, "%Y-%m-%dT%H:%M:%S%z", &local);
    std::strftime(compact, sizeof compact, "%Y%m%d-%H%M%S", &local);
    std::string text = iso;
    text.insert(text.size() - 2, ":");  // +0200 -> +02:00, as ISO 8601 writes an offset
    return {text, compact};
}

MachineFacts ReadMachineFacts() {
    MachineFacts facts;
    char host[HOST_NAME_MAX + 1] = {};
    if (::gethostname(host, sizeof host - 1) == 0) {
        facts.hostName = host;
    }
    // A name service that does not answer costs the report this one field, not its time: the
    // look-up is bounded like every other look-up of the program.
    static BoundedCall<std::string> lookup;
    const std::string name = facts.hostName;
    facts.qualifiedName = lookup.run([name] { return CanonicalName(name); }, kFactLookupLimit)
                              .value_or(std::string());
    facts.operatingSystem = PrettyName("/etc/os-release");
    if (facts.operatingSystem.empty()) {
        facts.operatingSystem = PrettyName("/usr/lib/os-release");
    }
    utsname system{};
    if (::uname(&system) == 0) {
        facts.kernelRelease = system.release;
    }
    return facts;
}

std::vector<std::string> EnvironmentNames() {
    std::vector<std::string> names;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        names.push_back(text.substr(0, text.find('=')));
    }
    return names;
}

DriverLibrary FindDriverLibrary(const std::string& named) {
    std::vector<std::string> candidates;
    if (named.find('/') != std::string::npos) {
        candidates.push_back(named);
    } else if (!named.empty()) {
        // unixODBC looks for a bare file name in its drivers' directory beside its own library.
        const std::string own = Directory(OdbcDriverManagerLibrary().path);
        candidates = {own + "/odbc/" + named, own + "/" + named};
    }
    for (const std::string& candidate : candidates) {
        char resolved[PATH_MAX];
        if (IsRegularFile(candidate) && ::realpath(candidate.c_str(), resolved) != nullptr) {
            return {resolved, VersionInName(resolved)};
        }
    }
    return {};
}

}  // namespace virelo::platform
