#include "ui/AppLook.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace virelo::ui {

QFont ProgramFont() {
    // The layout gives a one-line caption 255 twips (17 pixels at 96 DPI) of height, and its
    // longest one-line caption, on the JDBC tab, 7695 twips for 101 characters; the two-line
    // labels of the TCP/IP tab get 375 twips. DejaVu Sans Condensed at 7.5 points (10 pixels at
    // 96 DPI, 11 pixels from line to line) fits them all; DejaVu Sans at that size is too
    // wide for the longest one.
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setPointSizeF(7.5);
    return font;
}

QIcon ProgramIcon() {
    // A white "V" on a blue rounded square, drawn as a shape: drawing it as text would load a
    // second font face at start-up just for the icon.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1f, 0x5f, 0x9f));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    painter.setBrush(Qt::white);
    const QPointF letterV[] = {{7, 7},  {12.5, 7},  {16, 19},  {19.5, 7},
                               {25, 7}, {18.5, 26}, {13.5, 26}};
    painter.drawPolygon(letterV, 7);
    painter.end();
    return QIcon(pixmap);
}

double ScreenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
}

}  // namespace virelo::ui
