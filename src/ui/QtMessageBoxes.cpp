#include "ui/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace virelo::ui {

void QtMessageBoxes::show(const std::string& text, const std::string& title,
                          platform::BoxIcon icon) {
    QMessageBox box(
        icon == platform::BoxIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
        QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
        QApplication::activeWindow());
    // A box opened from a blocking handler must not show the handler's wait cursor.
    QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    box.exec();
    QApplication::restoreOverrideCursor();
}

}  // namespace virelo::ui
