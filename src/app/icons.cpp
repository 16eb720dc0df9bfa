// Writes the program's icon at the usual sizes of an icon theme, for installation:
// <directory>/<n>x<n>/apps/virelo.png.
#include <QDir>
#include <QImage>
#include <cstdio>

#include "ui/IconArt.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 64;
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(dir) || !virelo::ui::IconArt(size).save(dir + "/virelo.png")) {
            std::fprintf(stderr, "cannot write the %dx%d icon into %s\n", size, size, argv[1]);
            return 1;
        }
    }
    return 0;
}
