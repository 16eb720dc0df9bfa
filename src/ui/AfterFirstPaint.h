#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace virelo::ui {

// Work that the window need not have done before it is first seen. It runs right after the
// window's first paint, so the window shows sooner, and never later than the user's first input
// to the program: a key or a click reaching any window first waits until the work has run. So by
// the time the user can act, everything is as if the work had run before the window was shown.
// It runs once; runNow() runs it at once when it has not run yet.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* window, std::function<void()> work);

    void runNow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<void()> work_;
    bool queued_ = false;
};

}  // namespace virelo::ui
