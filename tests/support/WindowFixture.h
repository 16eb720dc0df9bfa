#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "complus/LocalConnectionTester.h"
#include "platform/RegistryTree.h"
#include "platform/posix/SystemPlatform.h"
#include "serverdir/LocalNativeConnector.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "ui/FrmVirelo.h"
#include "ui/HelpWindows.h"
#include "ui/MessagePane.h"

namespace virelo::test {

// The real main window on the offscreen platform, with a private TEMP, a fixed clock, recorded
// message boxes and counted socket sessions.
class WindowFixture : public ::testing::Test {
protected:
    static constexpr double kDpi = 96.0;

    // The window with the given components; a component left out is the real one of this
    // system, over the test's network and registry.
    std::unique_ptr<ui::frmVIRELO> open(ui::frmVIRELO::Components components = {}) {
        if (!components.CreateNativeConnector) {
            components.CreateNativeConnector = [this] {
                return std::make_unique<serverdir::LocalNativeConnector>(network);
            };
        }
        if (!components.CreateConnectionTester) {
            components.CreateConnectionTester = [this] {
                return std::make_unique<complus::LocalConnectionTester>(network, registry);
            };
        }
        return std::make_unique<ui::frmVIRELO>(platform, sideWindows, std::move(components), kDpi);
    }
    // Shows the window and makes it active, which focus handling needs.
    static void activate(QWidget& window) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    static std::string focusName() {
        QWidget* focus = QApplication::focusWidget();
        return focus == nullptr ? "(none)" : focus->objectName().toStdString();
    }

    TempDir temp;
    ScopedEnv tempEnv{"TEMP", temp.path()};
    CountingSockets sockets;
    ScriptedIcmp icmp;
    platform::posix::PosixFiles files;
    FixedClock clock;
    platform::posix::PosixProcesses processes;
    RecordingBoxes boxes;
    platform::RegistryTree registry;
    platform::posix::PosixNetwork network;
    platform::Platform platform{sockets, icmp, files, clock, processes, boxes, registry};
    ui::HelpWindows sideWindows{kDpi};
};

}  // namespace virelo::test
