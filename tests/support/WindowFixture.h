#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "platform/posix/SystemPlatform.h"
#include "shell/FrmVirelo.h"
#include "shell/HelpWindows.h"
#include "shell/MessagePane.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace virelo::test {

// The real main window on the offscreen platform, with a private TEMP, a fixed clock, recorded
// message boxes and counted socket sessions.
class WindowFixture : public ::testing::Test {
protected:
    static constexpr double kDpi = 96.0;

    std::unique_ptr<shell::frmVIRELO> open(shell::frmVIRELO::ListFillers fillers = {}) {
        return std::make_unique<shell::frmVIRELO>(platform, sideWindows, std::move(fillers), kDpi);
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
    platform::Platform platform{sockets, icmp, files, clock, processes, boxes};
    shell::HelpWindows sideWindows{kDpi};
};

}  // namespace virelo::test
