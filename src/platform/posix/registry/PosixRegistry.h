#pragma once

#include <string>

#include "platform/posix/OdbcDataSources.h"
#include "platform/posix/registry/RegistrySources.h"
#include "platform/posix/registry/RegistryTree.h"

namespace virelo::platform::posix {

// The registry of a Linux workstation, read only: a view with the Windows registry's semantics,
// merged from three sources (see RegistrySources for the files):
//   - registry export files (.reg), as the Windows registry editor writes them;
//   - the text server directory, one server per line, shown as the subkeys of
//     HKEY_LOCAL_MACHINE\SOFTWARE\Nembrion\SQLHOSTS with the values HOST, SERVICE, PROTOCOL and
//     OPTIONS (an export file's entry of the same name wins);
//   - the keys SOFTWARE\ODBC\ODBC.INI\ODBC Data Sources under HKEY_LOCAL_MACHINE and
//     HKEY_CURRENT_USER, which always list unixODBC's system and user data sources (value name
//     = data-source name, data = driver description).
// The view is brought up to date when a key is opened below a root (or a root is read directly)
// and no other key is open: the files are looked at and read again only when one changed, and
// unixODBC is asked when the key opened lies on the way to a data-source key. While a key is
// open nothing is rebuilt, so the handles a caller holds stay valid.
class PosixRegistry : public Registry, public RegistryOrigins {
public:
    explicit PosixRegistry(RegistryLocations locations = {},
                           RegistryWarn warn = WarnOnStandardError);

    std::int32_t openKey(HKey parent, const std::string& path, HKey& key) override;
    std::int32_t closeKey(HKey key) override;
    std::int32_t queryValue(HKey key, const std::string& name, std::uint32_t& type,
                            std::string& data, std::uint32_t& size) override;
    std::int32_t enumValue(HKey key, std::uint32_t index, std::string& name,
                           std::uint32_t& nameSize, std::uint32_t& type, std::string& data,
                           std::uint32_t& dataSize) override;
    std::int32_t enumKey(HKey key, std::uint32_t index, std::string& name,
                         std::uint32_t nameSize) override;

    // The export files and the text server directory, then unixODBC's ini files.
    std::vector<RegistrySource> sources() override;
    std::string origin(HKey root, const std::string& path) override;
    // Each warning also goes to `warn` as it arises.
    std::vector<RegistryWarning> takeWarnings() override;

    // Writes "virelo: " and the warning on standard error.
    static void WarnOnStandardError(const std::string& warning);

private:
    void refresh(HKey parent, const std::string& path);
    void fillDataSources(HKey root);
    void note(RegistryTopic topic, const std::string& warning);

    RegistryWarn warn_;
    std::vector<RegistryWarning> pending_;  // not yet taken
    RegistrySources sources_;
    OdbcDataSources odbc_;
    std::string odbcFailure_;  // the last failure reported, so it is not repeated on every open
    RegistryTree tree_;
};

}  // namespace virelo::platform::posix
