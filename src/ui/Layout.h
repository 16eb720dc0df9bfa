#pragma once

#include <span>

namespace virelo::ui {

// What the main window looks like before any code has run: one row per frame and control, with
// its name, kind, caption or initial text, place and fixed properties. Places are in twips (1/1440
// inch) from the top-left corner of the container: the tab control itself, tab strip included,
// for a control that sits directly on a tab page; the frame for a control inside a frame.

enum class Kind { Label, TextBox, Frame, Button, Option, Combo, List };

enum Flag : unsigned {
    kMultiLine = 1u << 0,       // wraps at the box's width, vertical scroll bar
    kReadOnly = 1u << 1,        // can be selected and copied, not changed
    kNoTabStop = 1u << 2,       // the Tab key skips it
    kMenuBackground = 1u << 3,  // the grey menu colour instead of the window colour
    kPassword = 1u << 4,        // every character shows as "*"
    kSelected = 1u << 5,        // the selected option button of its group
};

struct Twips {
    int left;
    int top;
    int width;
    int height;
};

struct ControlRow {
    int page;               // tab index 0 to 4
    const char* container;  // the frame it sits in, or nullptr for the tab page itself
    const char* name;
    Kind kind;
    const char* caption;  // caption, or initial text of a combo box
    Twips place;
    unsigned flags;
    const char* toolTip;
};

inline constexpr const char* kMainCaption =
    "VIRELO   A TECH SUPPORT UTILITY USED TO DIAGNOSE CONNECTIVITY ISSUES ";
inline constexpr const char* kProgramName = "VIRELO";
inline constexpr Twips kClientArea{0, 0, 11925, 8835};
inline constexpr Twips kTabControl{0, 0, 11895, 8775};
inline constexpr const char* kTabCaptions[] = {"TCPIP", "Native Connect", "COM+", "ODBC", "JDBC"};
inline constexpr int kTabCount = 5;

// Every row, containers before what they contain.
std::span<const ControlRow> MainWindowLayout();

}  // namespace virelo::ui

namespace virelo::ui {

// Twips to device pixels at the screen's logical DPI (15 twips a pixel at 96 DPI).
inline int TwipsToPixels(int twips, double dpi) {
    return static_cast<int>(twips * dpi / 1440.0 + 0.5);
}

}  // namespace virelo::ui
