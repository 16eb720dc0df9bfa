#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "platform/RegistryTree.h"
#include "platform/posix/SystemPlatform.h"
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

    std::unique_ptr<ui::frmVIRELO> open(ui::frmVIRELO::Components components = {}) {
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
    platform::Platform platform{sockets, icmp, files, clock, processes, boxes, registry};
    ui::HelpWindows sideWindows{kDpi};
};

}  // namespace virelo::test
