#pragma once

#include <QAbstractButton>
#include <QPushButton>

#include "ui/FrmVirelo.h"
#include "ui/OptionButton.h"

namespace virelo::ui {

// Runs a tab's handler when the named button is clicked.
template <typename Tab>
void OnClick(frmVIRELO& window, const char* button, Tab* tab, void (Tab::*handler)()) {
    QObject::connect(window.control<QPushButton>(button), &QPushButton::clicked, tab, handler);
}

// Runs a tab's handler on the named option button's Click event: a click on it (also when it is
// selected already), the arrow keys moving the selection to it, or code selecting it.
template <typename Tab>
void OnSelect(frmVIRELO& window, const char* option, Tab* tab, void (Tab::*handler)()) {
    QObject::connect(window.control<OptionButton>(option), &OptionButton::Click, tab, handler);
}

}  // namespace virelo::ui
