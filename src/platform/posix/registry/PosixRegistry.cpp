#include "platform/posix/registry/PosixRegistry.h"

#include <cstdio>
#include <utility>

namespace virelo::platform::posix {
namespace {

constexpr const char* kDataSourcesKey = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";

bool IsRoot(HKey key) {
    return key == reg::kLocalMachine || key == reg::kCurrentUser;
}

// True when `path` (below a root) is the data-source key, lies below it, or lies on the way to
// it: opening any of these can show what unixODBC lists.
bool LeadsToDataSources(const std::string& path) {
    const std::string folded = RegistryFold(path);
    const std::string target = RegistryFold(kDataSourcesKey);
    if (folded.size() <= target.size()) {
        return target.starts_with(folded) &&
               (folded.empty() || folded.size() == target.size() || target[folded.size()] == '\\');
    }
    return folded.starts_with(target) && folded[target.size()] == '\\';
}

}  // namespace

// Warnings kept for takeWarnings() at most; a program that never takes them (the command line,
// which has them on standard error) keeps the first ones.
constexpr std::size_t kMaxPending = 200;

PosixRegistry::PosixRegistry(RegistryLocations locations, RegistryWarn warn)
    : warn_(std::move(warn)), sources_(std::move(locations), [this](const std::string& warning) {
          note(RegistryTopic::ServerDirectory, warning);
      }) {}

void PosixRegistry::note(RegistryTopic topic, const std::string& warning) {
    warn_(warning);
    if (pending_.size() < kMaxPending) {
        pending_.push_back({topic, warning});
    }
}

std::vector<RegistryWarning> PosixRegistry::takeWarnings() {
    return std::exchange(pending_, {});
}

void PosixRegistry::WarnOnStandardError(const std::string& warning) {
    // A name quoted from a file may hold control characters: spelled out (^[), they cannot
    // steer the terminal.
    std::string shown;
    for (const char c : warning) {
        const bool control = (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F;
        shown += control ? std::string{'^', static_cast<char>(c ^ 0x40)} : std::string(1, c);
    }
    std::fprintf(stderr, "virelo: %s\n", shown.c_str());
}

void PosixRegistry::refresh(HKey parent, const std::string& path) {
    if (!IsRoot(parent) || tree_.hasOpenKeys()) {
        return;
    }
    if (sources_.refresh()) {
        sources_.fill(tree_);
    }
    if (LeadsToDataSources(path)) {
        fillDataSources(parent);
    }
}

void PosixRegistry::fillDataSources(HKey root) {
    // Whatever an export file put under this key gives way to the driver manager's own list.
    tree_.deleteKey(root, kDataSourcesKey);
    tree_.createKey(root, kDataSourcesKey);
    std::string failure;
    const auto sources = odbc_.list(root == reg::kLocalMachine, failure);
    if (!sources) {
        if (failure != odbcFailure_) {
            note(RegistryTopic::DataSources, "ODBC data sources: " + failure);
        }
        odbcFailure_ = failure;
        return;
    }
    odbcFailure_.clear();
    for (const DataSource& source : *sources) {
        tree_.setString(root, kDataSourcesKey, source.name, source.description);
    }
}

std::vector<RegistrySource> PosixRegistry::sources() {
    refresh(reg::kLocalMachine, "SOFTWARE\\Nembrion");
    std::vector<RegistrySource> files = sources_.files();
    std::vector<RegistrySource> odbc = OdbcIniFiles();
    // The data-source lists are the driver manager's, read from both ini files at once.
    for (RegistrySource& file : odbc) {
        const bool system = file.role == "ODBC system data sources";
        if (!system && file.role != "ODBC user data sources") {
            continue;
        }
        std::string failure;
        if (const auto listed = odbc_.list(system, failure)) {
            file.dataSources = static_cast<int>(listed->size());
        } else {
            file.warnings.push_back("ODBC data sources: " + failure);
        }
    }
    files.insert(files.end(), odbc.begin(), odbc.end());
    return files;
}

std::string PosixRegistry::origin(HKey root, const std::string& path) {
    refresh(root, "SOFTWARE\\Nembrion");
    return sources_.origin(root, path);
}

std::int32_t PosixRegistry::openKey(HKey parent, const std::string& path, HKey& key) {
    refresh(parent, path);
    return tree_.openKey(parent, path, key);
}

std::int32_t PosixRegistry::closeKey(HKey key) {
    return tree_.closeKey(key);
}

std::int32_t PosixRegistry::queryValue(HKey key, const std::string& name, std::uint32_t& type,
                                       std::string& data, std::uint32_t& size) {
    refresh(key, "");
    return tree_.queryValue(key, name, type, data, size);
}

std::int32_t PosixRegistry::enumValue(HKey key, std::uint32_t index, std::string& name,
                                      std::uint32_t& nameSize, std::uint32_t& type,
                                      std::string& data, std::uint32_t& dataSize) {
    refresh(key, "");
    return tree_.enumValue(key, index, name, nameSize, type, data, dataSize);
}

std::int32_t PosixRegistry::enumKey(HKey key, std::uint32_t index, std::string& name,
                                    std::uint32_t nameSize) {
    refresh(key, "");
    return tree_.enumKey(key, index, name, nameSize);
}

}  // namespace virelo::platform::posix
