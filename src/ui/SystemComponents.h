#pragma once

#include <memory>
#include <optional>
#include <string>

#include "complus/ComponentHost.h"
#include "complus/LocalConnectionTester.h"
#include "platform/System.h"
#include "serverdir/LocalNativeConnector.h"
#include "ui/FrmVirelo.h"

namespace virelo::ui {

// The two components of this system, over the workstation's own services, as the program
// creates them (each on first use). The connection tester runs on the machine that the command
// line (componentHost), the environment or the configuration file chooses, else on this one.
inline frmVIRELO::Components SystemComponents(platform::SystemServices& system,
                                              std::optional<std::string> componentHost = {}) {
    frmVIRELO::Components components;
    components.CreateNativeConnector = [&system] {
        return std::make_unique<serverdir::LocalNativeConnector>(system.network);
    };
    components.CreateConnectionTester =
        [&system, componentHost]() -> std::unique_ptr<complus::ConnectionTester> {
        if (auto remote = complus::ChosenRemoteTester(componentHost, system.files)) {
            return std::make_unique<complus::RemoteConnectionTester>(*remote);
        }
        return std::make_unique<complus::LocalConnectionTester>(system.network, system.registry);
    };
    return components;
}

}  // namespace virelo::ui
