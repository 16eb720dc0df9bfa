#pragma once

#include "platform/MessageBoxes.h"

namespace virelo::ui {

// Modal Qt message boxes with an OK button.
class QtMessageBoxes : public platform::MessageBoxes {
public:
    void show(const std::string& text, const std::string& title, platform::BoxIcon icon) override;
};

}  // namespace virelo::ui
