#pragma once

#include <optional>
#include <string>
#include <vector>

#include "complus/RemoteConnectionTester.h"
#include "platform/Files.h"

namespace virelo::complus {

// The window's option that names the machine of the connection tester.
inline constexpr const char* kComponentHostOption = "--component-host";

// The host that `--component-host HOST` or `--component-host=HOST` names among the program's
// arguments, the last one given; nothing when none does. `error` says what is wrong when the
// option has no value.
std::optional<std::string> ComponentHostArgument(const std::vector<std::string>& arguments,
                                                 std::string& error);

// The connection tester on another machine, when one is chosen: by the command line, else by the
// environment variable VIRELO_COMPONENT_HOST, else by `component-host=` in virelo.conf under
// $XDG_CONFIG_HOME/virelo (or ~/.config/virelo). The first of them that is given decides; an
// empty value means this machine. VIRELO_SSH names another ssh program. Raises an Error when the
// configuration file exists but cannot be read.
std::optional<RemoteTesterSettings> ChosenRemoteTester(
    const std::optional<std::string>& commandLine, platform::Files& files);

}  // namespace virelo::complus
