#pragma once

#include <QPlainTextEdit>
#include <string>

namespace virelo::ui {

// A multi-line text box that keeps its text exactly as the program set it, CR LF included (the
// editor itself shows line ends as plain new lines). Typing into an editable box updates the kept
// text with CR LF line ends.
class MessagePane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MessagePane(QWidget* parent = nullptr);

    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    // Appends a line: the old text, the line, CR LF.
    void appendLine(const std::string& line) { setText(text_ + line + "\r\n"); }

private:
    void takeTypedText();

    std::string text_;
    bool setting_ = false;
};

}  // namespace virelo::ui
