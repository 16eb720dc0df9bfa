#include "ui/Frame.h"

#include <QPainter>

namespace virelo::ui {
namespace {
constexpr int kCaptionLeft = 6;  // pixels from the frame's left edge to the caption's gap
constexpr int kCaptionGap = 2;   // blank on either side of the caption
}  // namespace

QRect Frame::captionArea() const {
    if (title().isEmpty()) {
        return {};
    }
    const QSize text = fontMetrics().boundingRect(QRect(), Qt::AlignLeft, title()).size();
    return QRect(kCaptionLeft, 0, text.width() + 2 * kCaptionGap, text.height());
}

void Frame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect caption = captionArea();
    const int top = caption.isEmpty() ? 0 : caption.height() / 2;
    const int right = width() - 1;
    const int bottom = height() - 1;
    // The border, one pixel wide, with a gap in its top line where the caption sits.
    const QBrush line = palette().mid();
    if (caption.isEmpty()) {
        painter.fillRect(QRect(0, top, width(), 1), line);
    } else {
        painter.fillRect(QRect(0, top, caption.left(), 1), line);
        painter.fillRect(QRect(QPoint(caption.right() + 1, top), QPoint(right, top)), line);
    }
    painter.fillRect(QRect(QPoint(0, top), QPoint(0, bottom)), line);
    painter.fillRect(QRect(QPoint(right, top), QPoint(right, bottom)), line);
    painter.fillRect(QRect(QPoint(0, bottom), QPoint(right, bottom)), line);
    if (!caption.isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        painter.drawText(caption, Qt::AlignCenter, title());
    }
}

}  // namespace virelo::ui
