#include "shell/BusyCursor.h"

#include <QApplication>
#include <QCursor>

namespace virelo::shell {

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace virelo::shell
