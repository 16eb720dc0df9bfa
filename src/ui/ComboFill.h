#pragma once

#include <QComboBox>
#include <string>

namespace virelo::ui {

// Empties a combo box: its list and the text it shows.
inline void ClearCombo(QComboBox* combo) {
    combo->clear();
    combo->setEditText(QString());
}

// Appends an item to a combo box's list without changing the text the box shows: filling a list
// never chooses an item.
inline void AddComboItem(QComboBox* combo, const std::string& item) {
    const QString shown = combo->currentText();
    combo->addItem(QString::fromStdString(item));
    combo->setEditText(shown);
}

}  // namespace virelo::ui
