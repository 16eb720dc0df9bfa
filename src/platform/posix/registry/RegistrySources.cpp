#include "platform/posix/registry/RegistrySources.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/posix/FileDescriptor.h"
#include "platform/posix/registry/RegistryFold.h"
#include "platform/posix/registry/RegistryTree.h"

namespace virelo::platform::posix {
namespace {

// A file larger than this is no export a support engineer loads to look at a server directory;
// it is refused rather than read into memory.
constexpr std::size_t kMaxFileSize = 256UL * 1024 * 1024;

constexpr const char* kSqlhostsKey = "SOFTWARE\\Nembrion\\SQLHOSTS";
// Where a 64-bit Windows keeps the keys of 32-bit programs, and so where an export from such a
// workstation may hold the server directory.
constexpr const char* kSqlhostsKey32 = "SOFTWARE\\WOW6432Node\\Nembrion\\SQLHOSTS";

// The most warnings given for one reading of a file; a last one counts the rest, so that a file
// of garbage gives a screenful, not a flood.
constexpr std::size_t kMaxWarnings = 20;

// Named as a source, it stands for an empty file, and is one on purpose: no warning.
constexpr const char* kNullDevice = "/dev/null";

FileSignature FromStat(const struct stat& st) {
    FileSignature signature;
    signature.type = st.st_mode & S_IFMT;
    signature.device = st.st_dev;
    signature.inode = st.st_ino;
    signature.modifiedSeconds = st.st_mtim.tv_sec;
    signature.modifiedNanoseconds = st.st_mtim.tv_nsec;
    signature.size = st.st_size;
    signature.changedSeconds = st.st_ctim.tv_sec;
    signature.changedNanoseconds = st.st_ctim.tv_nsec;
    return signature;
}

FileSignature Signature(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        FileSignature missing;
        missing.error = errno;
        return missing;
    }
    return FromStat(st);
}

bool IsRegFileName(const std::string& name) {
    return name.size() > 4 && name.front() != '.' &&
           RegistryFold(name.substr(name.size() - 4)) == ".REG";
}

// The *.reg entries of a directory in name order; nothing when the directory is not there.
std::vector<std::string> RegFilesIn(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (IsRegFileName(entry->d_name)) {
            names.push_back(entry->d_name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (std::string& name : names) {
        name = directory + "/" + name;
    }
    return names;
}

std::string UserConfigDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) + "/.config" : std::string();
}

}  // namespace

RegistrySources::RegistrySources(RegistryLocations locations, RegistryWarn warn)
    : locations_(std::move(locations)), warn_(std::move(warn)) {}

std::vector<RegistrySources::Source> RegistrySources::currentRegFiles() const {
    std::vector<Source> sources;
    if (const char* list = std::getenv("VIRELO_REGISTRY")) {
        const std::string paths = list;
        for (std::size_t start = 0; start <= paths.size();) {
            const std::size_t end = std::min(paths.find(':', start), paths.size());
            if (end > start) {
                sources.push_back({paths.substr(start, end - start), true, {}});
            }
            start = end + 1;
        }
    } else {
        std::vector<std::string> paths = RegFilesIn(locations_.systemDirectory + "/registry.d");
        if (const std::string user = UserConfigDirectory(); !user.empty()) {
            const std::vector<std::string> more = RegFilesIn(user + "/virelo/registry.d");
            paths.insert(paths.end(), more.begin(), more.end());
        }
        for (std::string& path : paths) {
            sources.push_back({std::move(path), false, {}});
        }
    }
    for (Source& source : sources) {
        source.signature = Signature(source.path);
    }
    return sources;
}

RegistrySources::Source RegistrySources::currentSqlhosts() const {
    const char* named = std::getenv("VIRELO_SQLHOSTS");
    Source source{
        named != nullptr ? named : locations_.systemDirectory + "/sqlhosts", named != nullptr, {}};
    source.signature = source.path.empty() ? FileSignature{ENOENT} : Signature(source.path);
    return source;
}

bool RegistrySources::refresh() {
    bool changed = !filled_;
    filled_ = true;

    const std::vector<Source> now = currentRegFiles();
    changed = changed || now.size() != regFiles_.size();
    std::vector<bool> taken(regFiles_.size(), false);
    std::vector<RegSource> files;
    files.reserve(now.size());
    for (std::size_t i = 0; i < now.size(); ++i) {
        std::size_t k = 0;
        while (k < regFiles_.size() && (taken[k] || regFiles_[k].path != now[i].path ||
                                        regFiles_[k].signature != now[i].signature)) {
            ++k;
        }
        if (k < regFiles_.size()) {
            // Unchanged since it was read: keep what was parsed, without copying it.
            taken[k] = true;
            changed = changed || k != i;
            files.push_back(std::move(regFiles_[k]));
            continue;
        }
        changed = true;
        RegSource source{now[i], {}};
        if (const std::optional<std::string> content = read(source)) {
            source.parsed = ParseRegFile(*content);
            warn(source.path, source.parsed.warnings);
        }
        files.push_back(std::move(source));
    }
    regFiles_ = std::move(files);

    const Source sqlhosts = currentSqlhosts();
    if (sqlhosts.path != sqlhosts_.path || sqlhosts.signature != sqlhosts_.signature) {
        changed = true;
        sqlhosts_ = {sqlhosts, {}};
        if (const std::optional<std::string> content = read(sqlhosts_)) {
            sqlhosts_.parsed = ParseSqlhostsFile(*content);
            warn(sqlhosts_.path, sqlhosts_.parsed.warnings);
        }
    }
    originsStale_ = originsStale_ || changed;
    return changed;
}

std::optional<std::string> RegistrySources::read(Source& source) const {
    const auto problem = [&](const std::string& what) { warn(source.path, {{0, what}}); };
    const FileSignature& seen = source.signature;
    if (source.path.empty() || source.path == kNullDevice) {
        return std::nullopt;  // named so on purpose: no file, or an empty one
    }
    if (seen.error != 0) {
        if (source.named || (seen.error != ENOENT && seen.error != ENOTDIR)) {
            problem(std::string("cannot be read: ") + std::strerror(seen.error));
        }
        return std::nullopt;
    }
    if (seen.type == S_IFDIR) {
        problem("is a directory, not a file; skipped");
        return std::nullopt;
    }
    if (seen.type != S_IFREG) {
        problem("is not a regular file; skipped");
        return std::nullopt;
    }
    // Without blocking, so that a FIFO put in the file's place cannot stall the window.
    const FileDescriptor fd(
        ::open(source.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        problem(std::string("cannot be read: ") + std::strerror(errno));
        return std::nullopt;
    }
    source.signature = FromStat(st);
    if (!S_ISREG(st.st_mode)) {
        problem("is not a regular file; skipped");
        return std::nullopt;
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(
        std::min<long long>(st.st_size, static_cast<long long>(kMaxFileSize))));
    std::string chunk(64 * 1024, '\0');
    while (true) {
        const ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            problem(std::string("cannot be read: ") + std::strerror(errno));
            return std::nullopt;
        }
        if (got == 0) {
            return content;
        }
        if (content.size() + static_cast<std::size_t>(got) > kMaxFileSize) {
            problem("is larger than 256 MB; skipped");
            return std::nullopt;
        }
        content.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

namespace {

// The warnings about a file as they are given, each naming the file (and line), at most
// kMaxWarnings and a last one that counts the rest.
std::vector<std::string> WarningTexts(const std::string& path,
                                      const std::vector<RegWarning>& warnings) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < warnings.size() && i < kMaxWarnings; ++i) {
        const RegWarning& warning = warnings[i];
        texts.push_back(warning.line == 0
                            ? path + ": " + warning.message
                            : path + ":" + std::to_string(warning.line) + ": " + warning.message);
    }
    if (warnings.size() > kMaxWarnings) {
        texts.push_back(path + ": and " + std::to_string(warnings.size() - kMaxWarnings) +
                        " more warnings");
    }
    return texts;
}

// The servers an export file defines: the subkeys of the server directory's key.
int ServersIn(const RegFile& file) {
    std::set<std::string> servers;
    for (const RegKeyEdit& key : file.keys) {
        for (const char* directory : {kSqlhostsKey, kSqlhostsKey32}) {
            const std::string prefix = RegistryFold(directory) + "\\";
            const std::string path = RegistryFold(key.path);
            if (key.root == reg::kLocalMachine && !key.remove && path.rfind(prefix, 0) == 0 &&
                path.find('\\', prefix.size()) == std::string::npos) {
                servers.insert(path.substr(prefix.size()));
            }
        }
    }
    return static_cast<int>(servers.size());
}

}  // namespace

void RegistrySources::warn(const std::string& path, const std::vector<RegWarning>& warnings) const {
    for (const std::string& text : WarningTexts(path, warnings)) {
        warn_(text);
    }
}

void RegistrySources::fill(RegistryTree& tree) const {
    tree.clear();
    for (const RegSource& file : regFiles_) {
        ApplyRegFile(file.parsed, tree);
    }
    // A 32-bit program on 64-bit Windows reads its keys under WOW6432Node: an export that holds
    // the server directory only there is read as that program would see it.
    if (!tree.hasKey(reg::kLocalMachine, kSqlhostsKey)) {
        tree.copyKey(reg::kLocalMachine, kSqlhostsKey32, kSqlhostsKey);
    }
    std::vector<RegWarning> duplicates;
    for (const SqlhostsEntry& server : sqlhosts_.parsed.entries) {
        const std::string key = std::string(kSqlhostsKey) + "\\" + server.name;
        if (tree.hasKey(reg::kLocalMachine, key)) {
            duplicates.push_back({server.line, "the server \"" + server.name +
                                                   "\" is also in a registry file, whose entry "
                                                   "is used"});
            continue;
        }
        tree.setString(reg::kLocalMachine, key, "HOST", server.host);
        tree.setString(reg::kLocalMachine, key, "SERVICE", server.service);
        tree.setString(reg::kLocalMachine, key, "PROTOCOL", server.protocol);
        tree.setString(reg::kLocalMachine, key, "OPTIONS", server.options);
    }
    warn(sqlhosts_.path, duplicates);
}

namespace {

std::string StateOf(const FileSignature& signature) {
    if (signature.error == ENOENT || signature.error == ENOTDIR) {
        return "not there";
    }
    if (signature.error != 0) {
        return std::string("cannot be read: ") + std::strerror(signature.error);
    }
    return signature.type == S_IFREG ? "read" : "not a regular file; skipped";
}

}  // namespace

std::vector<RegistrySource> RegistrySources::files() const {
    std::vector<RegistrySource> files;
    if (std::getenv("VIRELO_REGISTRY") == nullptr) {
        // The directories looked in, so that an empty list still says where to put a file.
        std::vector<std::string> directories = {locations_.systemDirectory + "/registry.d"};
        if (const std::string user = UserConfigDirectory(); !user.empty()) {
            directories.push_back(user + "/virelo/registry.d");
        }
        for (const std::string& directory : directories) {
            const FileSignature signature = Signature(directory);
            files.push_back({"registry export directory (*.reg)", directory,
                             signature.error == 0 && signature.type == S_IFDIR
                                 ? "looked in"
                                 : StateOf(signature)});
        }
    }
    for (const RegSource& file : regFiles_) {
        files.push_back({"registry export", file.path, StateOf(file.signature),
                         ServersIn(file.parsed), -1,
                         WarningTexts(file.path, file.parsed.warnings)});
    }
    files.push_back({"server directory", sqlhosts_.path, StateOf(sqlhosts_.signature),
                     static_cast<int>(sqlhosts_.parsed.entries.size()), -1,
                     WarningTexts(sqlhosts_.path, sqlhosts_.parsed.warnings)});
    return files;
}

std::string RegistrySources::origin(HKey root, const std::string& path) const {
    // Indexed once per reading of the files: a listing asks for every server's origin, and a
    // search of every line for each would grow with the square of a large directory.
    if (originsStale_) {
        origins_.clear();
        for (const RegSource& file : regFiles_) {
            for (const RegKeyEdit& key : file.parsed.keys) {
                if (!key.remove) {
                    origins_[{key.root, RegistryFold(key.path)}] =
                        file.path + ":" + std::to_string(key.line);
                }
            }
        }
        for (const SqlhostsEntry& server : sqlhosts_.parsed.entries) {
            origins_.emplace(std::pair(reg::kLocalMachine, RegistryFold(std::string(kSqlhostsKey) +
                                                                        "\\" + server.name)),
                             sqlhosts_.path + ":" + std::to_string(server.line));
        }
        originsStale_ = false;
    }
    const auto found = origins_.find({root, RegistryFold(path)});
    return found == origins_.end() ? "" : found->second;
}

}  // namespace virelo::platform::posix
