#include "complus/ComponentHost.h"

#include <sstream>

#include "general/Error.h"

namespace virelo::complus {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    return first == std::string::npos
               ? std::string()
               : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The configuration file, or nothing where there is no home to hold one.
std::optional<std::string> ConfigurationFile(platform::Files& files) {
    const char separator = files.pathSeparator();
    const std::optional<std::string> config = files.environment("XDG_CONFIG_HOME");
    std::string dir;
    // A relative XDG_CONFIG_HOME is not valid and is ignored, as the XDG rules say.
    if (config && !config->empty() && config->front() == separator) {
        dir = *config;
    } else if (const std::optional<std::string> home = files.environment("HOME");
               home && !home->empty()) {
        dir = *home + separator + ".config";
    } else {
        return std::nullopt;
    }
    return dir + separator + "virelo" + separator + "virelo.conf";
}

// The value of `component-host=` in the configuration file (the last one), nothing when the file
// or the key is missing. Lines are key=value; blank lines and lines starting with # are
// comments; other keys are left to others.
std::optional<std::string> ConfiguredHost(platform::Files& files) {
    const std::optional<std::string> path = ConfigurationFile(files);
    std::string content;
    if (!path) {
        return std::nullopt;
    }
    const platform::FileStatus status = files.readNamed(*path, content, 65536);
    if (status.error == platform::FileError::NotFound ||
        status.error == platform::FileError::PathNotFound) {
        return std::nullopt;
    }
    if (!status.ok()) {
        throw Error(errors::kPathFileAccess, "VIRELO",
                    "The configuration file " + *path + " cannot be read: " + status.reason);
    }
    std::optional<std::string> host;
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);) {
        line = Trimmed(line);
        const auto equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string::npos) {
            continue;
        }
        if (Trimmed(line.substr(0, equals)) == "component-host") {
            host = Trimmed(line.substr(equals + 1));
        }
    }
    return host;
}

}  // namespace

std::optional<std::string> ComponentHostArgument(const std::vector<std::string>& arguments,
                                                 std::string& error) {
    const std::string option = kComponentHostOption;
    std::optional<std::string> host;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == option) {
            if (i + 1 == arguments.size()) {
                error = option + " needs a host: " + option + " [user@]host";
                return std::nullopt;
            }
            host = arguments[++i];
        } else if (arguments[i].rfind(option + "=", 0) == 0) {
            host = arguments[i].substr(option.size() + 1);
        }
    }
    return host;
}

std::optional<RemoteTesterSettings> ChosenRemoteTester(
    const std::optional<std::string>& commandLine, platform::Files& files) {
    std::optional<std::string> host = commandLine;
    if (!host) {
        host = files.environment("VIRELO_COMPONENT_HOST");
    }
    if (!host) {
        host = ConfiguredHost(files);
    }
    if (!host || host->empty()) {
        return std::nullopt;
    }
    RemoteTesterSettings settings;
    settings.destination = *host;
    if (const std::optional<std::string> ssh = files.environment("VIRELO_SSH");
        ssh && !ssh->empty()) {
        settings.sshProgram = *ssh;
    }
    return settings;
}

}  // namespace virelo::complus
