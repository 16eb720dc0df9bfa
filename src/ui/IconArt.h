#pragma once

#include <QImage>

namespace virelo::ui {

// The program's icon at a size in pixels: a white "V" on a blue rounded square, drawn as shapes
// (no font), so it can be drawn without a running application, for the installed icon files.
QImage IconArt(int size);

}  // namespace virelo::ui
