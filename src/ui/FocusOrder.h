#pragma once

#include <span>
#include <vector>

class QWidget;

namespace virelo::ui {

// The tab order of one page: its controls in TabIndex order from 1; the last one is the wrap
// control, which lies on the next page and sends the focus back when it receives it.
std::span<const char* const> TabOrderTable(int page);
// The control with TabIndex 1 of a page: where the focus goes when that page comes to the front.
const char* FirstInputControl(int page);

// The tab order the window holds now, and where the Tab key goes from a control. Only the page in
// front takes part: a control takes the focus when it is shown, enabled and a tab stop, and of an
// option-button group only the selected button does.
class FocusOrder {
public:
    struct Step {
        QWidget* target = nullptr;
        bool wrap = false;  // the target is the wrap control (on a page not in front)
    };

    void assign(std::vector<QWidget*> controls, bool endsWithWrap);
    // 1 for the first control, 0 for one not in the order.
    int tabIndex(const QWidget* control) const;
    // Where Tab (forward) or Shift+Tab goes from the focused widget or the control holding it.
    Step next(const QWidget* from, bool forward) const;

private:
    int positionOf(const QWidget* widget) const;
    static bool TakesFocus(const QWidget* control);

    std::vector<QWidget*> order_;
    bool wrap_ = false;
};

}  // namespace virelo::ui
