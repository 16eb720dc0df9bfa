#include "ui/BusyCursor.h"

#include <QApplication>
#include <QCursor>

namespace virelo::ui {

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace virelo::ui
