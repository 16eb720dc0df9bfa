#pragma once

#include <QGroupBox>

namespace virelo::ui {

// A frame: a captioned group box whose caption sits on its top border line, so that the first
// row of controls inside, 240 twips below the frame's top, is clear of the line. (The platform's
// own group box draws the caption above a border that starts lower, where it crosses that row.)
// A frame without caption draws only its border.
class Frame : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

    // The rectangle of the caption, border gap included; empty without caption.
    QRect captionArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace virelo::ui
