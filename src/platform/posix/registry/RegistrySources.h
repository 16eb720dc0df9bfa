#pragma once

#include <sys/stat.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/RegistryOrigins.h"
#include "platform/posix/registry/RegFile.h"
#include "platform/posix/registry/SqlhostsFile.h"

namespace virelo::platform {
class RegistryTree;
}

namespace virelo::platform::posix {

// Receives one warning about a source file, already naming the file (and line).
using RegistryWarn = std::function<void(const std::string&)>;

// Where the registry view looks for its files when the environment does not say otherwise.
struct RegistryLocations {
    // Holds registry.d/*.reg and the text server directory sqlhosts.
    std::string systemDirectory = "/etc/virelo";
};

// What a file looked like when it was last read: a file is read again only when one of these
// changed (or it appeared, or went away).
struct FileSignature {
    int error = 0;  // the errno of stat(), 0 when the file is there
    mode_t type = 0;
    dev_t device = 0;
    ino_t inode = 0;
    long long modifiedSeconds = 0, modifiedNanoseconds = 0;
    long long size = 0;
    // The status-change time, so that a file whose permissions were fixed is read again too.
    long long changedSeconds = 0, changedNanoseconds = 0;
    bool operator==(const FileSignature&) const = default;
};

// The registry export files and the text server directory, each parsed once and kept until it
// changes. The files are, in this order (a later file wins on the same value):
//   VIRELO_REGISTRY, a colon-separated list of .reg files, when it is set; otherwise every *.reg
//   in <system directory>/registry.d, then in $XDG_CONFIG_HOME/virelo/registry.d ($HOME/.config
//   when XDG_CONFIG_HOME is not set), each directory in name order;
// and the text server directory VIRELO_SQLHOSTS when it is set, else <system directory>/sqlhosts.
class RegistrySources {
public:
    RegistrySources(RegistryLocations locations, RegistryWarn warn);

    // Looks at the files again and reads those that changed. True when the tree must be filled
    // anew (always on the first call).
    bool refresh();
    // Fills the tree from the files as last read: the export files in order, then each server of
    // the text directory for which no export file has an entry of the same name.
    void fill(RegistryTree& tree) const;
    // The files as last looked at, in the order they are applied, and what became of each.
    std::vector<RegistrySource> files() const;
    // "file:line" of the last line, as last read, that defined a key; "" when none did.
    std::string origin(HKey root, const std::string& path) const;

private:
    struct Source {
        std::string path;
        bool named = false;  // named in a variable, so a missing file deserves a warning
        FileSignature signature;
    };
    struct RegSource : Source {
        RegFile parsed;
    };
    struct SqlhostsSource : Source {
        SqlhostsFile parsed;
    };

    std::vector<Source> currentRegFiles() const;
    Source currentSqlhosts() const;
    // Reads the file when it is a readable regular file, and warns about what is wrong with it
    // otherwise; the signature is updated to what was read.
    std::optional<std::string> read(Source& source) const;
    void warn(const std::string& path, const std::vector<RegWarning>& warnings) const;

    RegistryLocations locations_;
    RegistryWarn warn_;
    bool filled_ = false;
    std::vector<RegSource> regFiles_;
    SqlhostsSource sqlhosts_;
    // Where each key was last defined, by root and folded path, made when first asked for.
    mutable std::map<std::pair<HKey, std::string>, std::string> origins_;
    mutable bool originsStale_ = true;
};

}  // namespace virelo::platform::posix
