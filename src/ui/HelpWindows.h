#pragma once

#include <QPointer>
#include <QWidget>
#include <array>

#include "ui/HelpTexts.h"

namespace virelo::ui {

enum class SideWindow { About, TcpHelp, NativeHelp, ComHelp, OdbcHelp, JdbcHelp };

// The About window and the five help windows: at most one instance of each for the whole program,
// shown modeless, created afresh with its initial text after it was closed. They have no parent,
// so closing the main window leaves them open.
class HelpWindows {
public:
    explicit HelpWindows(double dpi) : dpi_(dpi) {}
    ~HelpWindows();
    HelpWindows(const HelpWindows&) = delete;
    HelpWindows& operator=(const HelpWindows&) = delete;

    // Creates the window when it has no instance, shows it and brings it to the front.
    QWidget* Show(SideWindow which);
    // The open instance, or nullptr.
    QWidget* Instance(SideWindow which) const;

private:
    QWidget* Create(SideWindow which) const;
    QWidget* CreateAbout() const;
    QWidget* CreateHelp(SideWindow which) const;
    int Px(int twips) const;

    double dpi_;
    std::array<QPointer<QWidget>, 6> windows_;
};

}  // namespace virelo::ui
