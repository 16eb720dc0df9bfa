#pragma once

#include <gmock/gmock.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <memory>
#include <sstream>

#include "complus/LocalConnectionTester.h"
#include "platform/posix/SystemPlatform.h"
#include "platform/posix/registry/RegistryTree.h"
#include "serverdir/LocalNativeConnector.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "ui/ColourCue.h"
#include "ui/FrmVirelo.h"
#include "ui/HelpWindows.h"
#include "ui/MessagePane.h"

namespace virelo::test {

// The parts of "a|b|c"; none of an empty text.
inline std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream list(text);
    for (std::string part; std::getline(list, part, '|');) {
        parts.push_back(part);
    }
    return parts;
}

// The real main window on the offscreen platform, with a private TEMP, a fixed clock, recorded
// message boxes and counted socket sessions. The window is open, shown and active before each
// test (a test may open another in its place), and controls are used by their names as a user
// would use them.
class WindowFixture : public ::testing::Test {
protected:
    using Texts = std::vector<std::string>;
    static constexpr double kDpi = 96.0;

    void SetUp() override {
        window = open();
        activate();  // fonts, styles, layout and focus handling are final once shown
    }

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
        auto opened =
            std::make_unique<ui::frmVIRELO>(platform, sideWindows, std::move(components), kDpi);
        opened->FinishStartup();  // as after the first paint: the tests see start-up complete
        return opened;
    }
    // Shows the window and makes it active, which focus handling needs.
    void activate() {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    static std::string focusName() {
        QWidget* focus = QApplication::focusWidget();
        return focus == nullptr ? "(none)" : focus->objectName().toStdString();
    }

    // Types into a combo box, a text box or a message pane.
    void set(const char* name, const std::string& text) {
        if (auto* combo = window->control<QComboBox>(name)) {
            combo->setEditText(QString::fromStdString(text));
        } else if (auto* line = window->control<QLineEdit>(name)) {
            line->setText(QString::fromStdString(text));
        } else {
            window->pane(name)->setText(text);
        }
    }
    // Types "name=value|name=value..." into the named fields, in that order.
    void fill(const std::string& fields) {
        for (const std::string& field : Split(fields)) {
            const auto equals = field.find('=');
            set(field.substr(0, equals).c_str(), field.substr(equals + 1));
        }
    }
    // The text of a combo box, a message pane or any control with a caption or a text.
    std::string text(const char* name) const {
        if (const auto* combo = window->control<QComboBox>(name)) {
            return combo->currentText().toStdString();
        }
        if (const auto* pane = window->pane(name)) {
            return pane->text();
        }
        return window->control(name)->property("text").toString().toStdString();
    }
    // The items of a combo box or a list box, in order.
    Texts items(const char* name) const {
        const auto* combo = window->control<QComboBox>(name);
        const QAbstractItemModel* model =
            combo ? combo->model() : window->control<QListWidget>(name)->model();
        Texts list;
        for (int i = 0; i < model->rowCount(); ++i) {
            list.push_back(model->index(i, 0).data().toString().toStdString());
        }
        return list;
    }
    // Presses a button or selects an option button.
    void click(const char* name) { window->control<QAbstractButton>(name)->click(); }
    bool checked(const char* name) const {
        return window->control<QAbstractButton>(name)->isChecked();
    }
    ui::SysColour colour(const char* name) const { return ui::BackColour(window->control(name)); }
    Texts boxTexts() const {
        Texts texts(boxes.boxes.size());
        std::ranges::transform(boxes.boxes, texts.begin(), &RecordingBoxes::Box::text);
        return texts;
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
    std::unique_ptr<ui::frmVIRELO> window;  // declared last: it goes before what it uses
};

}  // namespace virelo::test
