#include "ui/ColourCue.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace virelo::ui {
namespace {

constexpr const char* kProperty = "BackColor";

void SetBase(QWidget* widget, const QColor& shade) {
    QPalette palette = widget->palette();
    if (palette.color(QPalette::Base) == shade) {
        return;  // most fields start with the window colour: no palette of their own needed
    }
    palette.setColor(QPalette::Base, shade);
    widget->setPalette(palette);
}

}  // namespace

void SetBackColour(QWidget* field, SysColour colour) {
    const QPalette app = QApplication::palette();
    const QColor shade =
        colour == SysColour::Menu ? app.color(QPalette::Window) : app.color(QPalette::Base);
    SetBase(field, shade);
    // The part that draws the background is not always the field itself: a multi-line box or a
    // list box paints its viewport, an editable combo box its line edit. Those would take the
    // colour from the field only by inheritance, which a style sheet anywhere above them stops;
    // so each gets it directly.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(field)) {
        SetBase(area->viewport(), shade);
    }
    if (auto* combo = qobject_cast<QComboBox*>(field); combo != nullptr && combo->lineEdit()) {
        SetBase(combo->lineEdit(), shade);
    }
    field->setProperty(kProperty, static_cast<qulonglong>(colour));
}

SysColour BackColour(const QWidget* field) {
    const QVariant value = field->property(kProperty);
    return value.isValid() ? static_cast<SysColour>(value.toULongLong()) : SysColour::Window;
}

}  // namespace virelo::ui
