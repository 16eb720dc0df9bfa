#include "ui/IconArt.h"

#include <QPainter>

namespace virelo::ui {

QImage IconArt(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 32-unit grid and scaled to the size asked for.
    painter.scale(size / 32.0, size / 32.0);
    painter.setBrush(QColor(0x1f, 0x5f, 0x9f));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    painter.setBrush(Qt::white);
    const QPointF letterV[] = {{7, 7},  {12.5, 7},  {16, 19},  {19.5, 7},
                               {25, 7}, {18.5, 26}, {13.5, 26}};
    painter.drawPolygon(letterV, 7);
    painter.end();
    return image;
}

}  // namespace virelo::ui
