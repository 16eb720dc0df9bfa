#include "ui/MessagePane.h"

namespace virelo::ui {

MessagePane::MessagePane(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &MessagePane::takeTypedText);
}

void MessagePane::setText(const std::string& text) {
    text_ = text;
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QChar('\r'), QChar('\n'));
    setting_ = true;
    setPlainText(shown);
    setting_ = false;
}

void MessagePane::takeTypedText() {
    if (setting_) {
        return;
    }
    QString typed = toPlainText();
    typed.replace(QChar('\n'), QStringLiteral("\r\n"));
    text_ = typed.toStdString();
}

}  // namespace virelo::ui
