#include "ui/AfterFirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace virelo::ui {

AfterFirstPaint::AfterFirstPaint(QWidget* window, std::function<void()> work)
    : QObject(window), window_(window), work_(std::move(work)) {
    // Every event of the program passes here while the work waits: the window's paints, and the
    // user's input to any of its windows.
    QCoreApplication::instance()->installEventFilter(this);
}

void AfterFirstPaint::runNow() {
    if (!work_) {
        return;
    }
    QCoreApplication::instance()->removeEventFilter(this);
    const std::function<void()> work = std::move(work_);
    work_ = nullptr;
    work();
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Paint:
            // The paint is under way: the work goes after it, once the painted window is out.
            if (watched == window_ && !queued_) {
                queued_ = true;
                QMetaObject::invokeMethod(this, &AfterFirstPaint::runNow, Qt::QueuedConnection);
            }
            break;
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            runNow();
            break;
        default:
            break;
    }
    return false;
}

}  // namespace virelo::ui
