#include "ui/AppLook.h"
#include "ui/IconArt.h"

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
    return QIcon(QPixmap::fromImage(IconArt(32)));
}

double ScreenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
}

}  // namespace virelo::ui
