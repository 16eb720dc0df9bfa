#pragma once

#include <memory>

#include "complus/LocalConnectionTester.h"
#include "platform/System.h"
#include "serverdir/LocalNativeConnector.h"
#include "ui/FrmVirelo.h"

namespace virelo::ui {

// The two components of this system, over the workstation's own services, as the program
// creates them (each on first use).
inline frmVIRELO::Components SystemComponents(platform::SystemServices& system) {
    frmVIRELO::Components components;
    components.CreateNativeConnector = [&system] {
        return std::make_unique<serverdir::LocalNativeConnector>(system.network);
    };
    components.CreateConnectionTester = [&system] {
        return std::make_unique<complus::LocalConnectionTester>(system.network, system.registry);
    };
    return components;
}

}  // namespace virelo::ui
