#pragma once

#include <string>

namespace virelo::ui {

enum class HelpTopic { Tcp, Native, Com, Odbc, Jdbc };

// The help text of a tab: a title line, then sections whose heading ends in ":" and is followed by
// an empty line, then one entry per control separated by empty lines. Lines end in CR LF.
std::string HelpText(HelpTopic topic);

}  // namespace virelo::ui
