#pragma once

#include <QFont>
#include <QIcon>

namespace virelo::ui {

// The font of every window: each caption fits the place the layout gives its control, on one
// line where the control is one line high.
QFont ProgramFont();
// The program's icon, drawn in code so the program needs no image files.
QIcon ProgramIcon();
// The screen's logical dots per inch, which turn twips into pixels.
double ScreenDpi();

}  // namespace virelo::ui
