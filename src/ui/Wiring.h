#pragma once

#include <QAbstractButton>
#include <QPushButton>
#include <QRadioButton>

#include "ui/FrmVirelo.h"

namespace virelo::ui {

// Runs a tab's handler when the named button is clicked.
template <typename Tab>
void OnClick(frmVIRELO& window, const char* button, Tab* tab, void (Tab::*handler)()) {
    QObject::connect(window.control<QPushButton>(button), &QPushButton::clicked, tab, handler);
}

// Runs a tab's handler when the named option button becomes the selected one of its group, which
// is when an option button's click handler runs.
template <typename Tab>
void OnSelect(frmVIRELO& window, const char* option, Tab* tab, void (Tab::*handler)()) {
    QObject::connect(window.control<QRadioButton>(option), &QRadioButton::toggled, tab,
                     [tab, handler](bool selected) {
                         if (selected) {
                             (tab->*handler)();
                         }
                     });
}

}  // namespace virelo::ui
