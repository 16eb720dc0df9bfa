#pragma once

namespace virelo::ui {

// Shows the wait cursor while a handler blocks the window, and restores it when the handler
// returns or raises.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace virelo::ui
