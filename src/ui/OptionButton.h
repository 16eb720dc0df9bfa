#pragma once

#include <QRadioButton>

namespace virelo::ui {

// An option button whose caption wraps over several lines at the button's width, with the round
// indicator centred on the left; the whole button area takes clicks.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    QRect textRect(int width, int height) const;
};

}  // namespace virelo::ui
