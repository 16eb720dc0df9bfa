#pragma once

#include <cstdint>

class QWidget;

namespace virelo::ui {

// The two background colours of input and display fields, by their system colour numbers. A field
// that belongs to an option that is not selected keeps working but shows the menu colour.
enum class SysColour : std::uint32_t {
    Menu = 0x80000004,    // the grey look of display fields
    Window = 0x80000005,  // the usual background of an input field
};

void SetBackColour(QWidget* field, SysColour colour);
SysColour BackColour(const QWidget* field);

}  // namespace virelo::ui
