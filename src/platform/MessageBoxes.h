#pragma once

#include <string>

namespace virelo::platform {

enum class BoxIcon { None, Critical };

// Modal message boxes with an OK button only.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const std::string& text, const std::string& title, BoxIcon icon) = 0;
};

}  // namespace virelo::platform
