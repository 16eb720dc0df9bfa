#pragma once

#include <QRadioButton>

namespace virelo::ui {

// An option button whose caption wraps over several lines at the button's width, with the round
// indicator centred on the left; the whole button area takes clicks.
//
// Its Click signal is the option button's Click event. It is raised when the user clicks the
// button, also when it is the selected one already, and when the arrow keys move the selection to
// it (both go through QAbstractButton::click()); and once when code selects it with setChecked().
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    OptionButton(const QString& caption, QWidget* parent);

    // The part of the button the caption is drawn in, right of the indicator.
    QRect captionArea() const;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    // Called only on the way through click(): the selection it makes is reported by `clicked`,
    // so the `toggled` it causes must not raise a second Click.
    void nextCheckState() override;

private:
    bool clicking_ = false;
};

}  // namespace virelo::ui
