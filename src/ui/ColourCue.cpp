#include "ui/ColourCue.h"

#include <QApplication>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace virelo::ui {
namespace {
constexpr const char* kProperty = "BackColor";
}

void SetBackColour(QWidget* field, SysColour colour) {
    const QPalette app = QApplication::palette();
    const QColor shade =
        colour == SysColour::Menu ? app.color(QPalette::Window) : app.color(QPalette::Base);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, shade);
    field->setPalette(palette);  // children such as a combo box's line edit inherit it
    field->setProperty(kProperty, static_cast<qulonglong>(colour));
}

SysColour BackColour(const QWidget* field) {
    const QVariant value = field->property(kProperty);
    return value.isValid() ? static_cast<SysColour>(value.toULongLong()) : SysColour::Window;
}

}  // namespace virelo::ui
