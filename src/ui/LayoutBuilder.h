#pragma once

#include <string>
#include <unordered_map>

class QTabWidget;
class QWidget;

namespace virelo::ui {

using ControlMap = std::unordered_map<std::string, QWidget*>;

// Builds the tab control SSTabVIRELO with its five pages and every frame and control of the window
// layout on `window`, scaled from twips to pixels at `dpi`. Each widget's object name is its name
// in the layout; `controls` receives them all by name. Every control keeps the size the layout
// gives it: the window's font is chosen so that each caption fits.
QTabWidget* BuildMainLayout(QWidget* window, double dpi, ControlMap& controls);

}  // namespace virelo::ui
